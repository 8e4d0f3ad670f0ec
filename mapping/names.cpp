// Reserved names, the identifier rule, and package/folder text conversions.
#include "mapping/names.h"

#include "base/path_separator.h"
#include "mapping/java_words.h"

namespace tessivar {

ReservedNames::ReservedNames()
    : names_{"toString", "close", "init", "getGuidToken", "DispatchPtr", "addEventListener", "toGITRef",
             "removeEventListener", "get", "getObject", "getN", "put", "putN", "invoke", "UnknownPtr", "setPeer",
             "setUnknown", "COMPtr", "stealUnknown", "copyUnknown", "getPeer", "getUnknown", "queryInterface",
             "finalize", "releaseUnknown", "clone", "equals", "getClass", "hashCode", "notify", "notifyAll", "wait"} {}

// Filled once, thread-safely, on first use; never emptied.
const ReservedNames& ReservedNames::instance() {
    static const ReservedNames names;
    return names;
}

bool ReservedNames::contains(std::string_view name) const { return names_.count(name) != 0; }

std::string pathToPackage(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '/' || c == '\\') c = '.';
    return out;
}

std::string packageToFolder(std::string_view text) {
    std::string out(text);
    if (!out.empty() && out.front() == '.') return out;
    for (char& c : out)
        if (c == '.' || c == '/') c = kPathSeparator;
    return out;
}

std::string javaPackage(std::string_view package, std::string_view libName) {
    // The library's part is its Java name, which is its folder's name too.
    const std::string lib = javaIdentifier(libName, JavaNameUse::PackagePart);
    std::string pkg = pathToPackage(package);
    if (pkg.empty()) return lib;
    if (lib.empty()) return pkg;
    return pkg + "." + lib;
}

}  // namespace tessivar
