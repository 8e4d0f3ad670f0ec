// Package and jar module names checked against Java's identifier rules and the file name rules of the
// systems the output is built on.
#include "app/cli/option_checks.h"

#include "mapping/java_words.h"
#include "mapping/path_names.h"

namespace tessivar {
namespace {

// File names of most file systems hold 255 bytes; the jar file adds ".jar".
constexpr std::size_t kMaxJarModuleBytes = 251;

bool isJavaLiteral(std::string_view word) { return word == "true" || word == "false" || word == "null"; }

std::string quoted(std::string_view text) {
    std::string out(1, '"');
    out += printableName(text);
    out += '"';
    return out;
}

std::optional<std::string> packagePartProblem(std::string_view part) {
    if (part.empty()) return std::string("it has an empty part");
    // javaIdentifier changes a name exactly when it is no identifier or a word the package avoids.
    const std::string id = javaIdentifier(part, JavaNameUse::PackagePart);
    if (id == part) return std::nullopt;
    if (isJavaLiteral(part)) return quoted(part) + " is a Java literal";
    if (isJavaReservedWord(part)) return quoted(part) + " is a Java keyword";
    if (part[0] >= '0' && part[0] <= '9') return quoted(part) + " starts with a digit";
    if (isWindowsDeviceName(part)) return quoted(part) + " names a device on Windows, so it cannot name a folder";
    return quoted(part) + " is not a Java identifier";
}

}  // namespace

std::optional<std::string> javaPackageProblem(std::string_view name) {
    for (std::size_t start = 0; !name.empty();) {
        const std::size_t dot = name.find('.', start);
        const std::string_view part = name.substr(start, dot == std::string_view::npos ? name.npos : dot - start);
        if (auto problem = packagePartProblem(part)) return problem;
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    return std::nullopt;
}

std::optional<std::string> jarModuleProblem(std::string_view name) {
    if (name.empty()) return std::string("it is empty");
    if (name == "." || name == "..") return std::string("it names a folder");
    if (name.size() > kMaxJarModuleBytes)
        return "it is longer than " + std::to_string(kMaxJarModuleBytes) + " bytes";
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) return std::string("it holds a control character");
        if (c == '/' || c == '\\') return "it holds the path separator " + std::string(1, c);
        if (std::string_view("<>:\"|?*").find(c) != std::string_view::npos)
            return "it holds " + std::string(1, c) + ", which Windows does not allow in file names";
        // build.xml names the jar in an attribute, where Ant reads "${...}" and "$$".
        if (c == '$') return std::string("it holds $, which Ant reads as the start of a property");
    }
    if (name.back() == '.' || name.back() == ' ') return std::string("it ends in a dot or a space, which Windows drops");
    if (isWindowsDeviceName(name)) return std::string("it names a device on Windows");
    return std::nullopt;
}

}  // namespace tessivar
