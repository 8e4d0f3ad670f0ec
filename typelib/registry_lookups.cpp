// FindTypeLibPath and FindInterfaceTypeLibPath.
#include "typelib/registry_lookups.h"

#include <array>
#include <optional>

#include "base/guid_text.h"

namespace tessivar {
namespace {

constexpr std::size_t kKeyPathBuffer = 128;  // the formatted key path with its terminating zero

// Each locale is tried for a 32-bit registration first, then for a 64-bit one: a 64-bit system
// registers its libraries under win64 only, and a lookup of win32 alone finds nothing there.
struct LibraryKeySuffix {
    const char* locale;
    const char* platform;
};
constexpr std::array<LibraryKeySuffix, 6> kLibraryKeys{{
    {"0", "win32"}, {"0", "win64"}, {"9", "win32"}, {"9", "win64"}, {"409", "win32"}, {"409", "win64"}}};

// "TypeLib\<guid>\<version>\<locale>\<platform>", or nothing when it would not fit the buffer.
std::optional<std::string> libraryKeyPath(const std::string& guid, const std::string& version,
                                          const LibraryKeySuffix& suffix) {
    std::string path = "TypeLib\\" + guid + "\\" + version + "\\" + suffix.locale + "\\" + suffix.platform;
    if (path.size() + 1 > kKeyPathBuffer) return std::nullopt;
    return path;
}

// The key's default value as a path: REG_EXPAND_SZ expanded; nothing when the read fails or the
// expanded text would not fit the buffer.
std::optional<std::string> readPath(const Registry& registry, const RegKey& key) {
    RegValue value;
    if (key.queryValue("", kLookupValueBuffer, value) != kRegSuccess) return std::nullopt;
    std::string text = value.text();
    if (value.type == REG_EXPAND_SZ) {
        text = registry.expandEnvironment(text);
        if (text.size() + 1 > kLookupValueBuffer) return std::nullopt;
    }
    return text;
}

std::unique_ptr<RegKey> openClassesKey(Registry& registry, const std::string& path) {
    std::unique_ptr<RegKey> key;
    if (registry.openKey(RegRoot::ClassesRoot, path, RegAccess::Read, key) != kRegSuccess) key.reset();
    return key;
}

HResult result(const std::string& path) { return path.empty() ? kOutOfMemory : kOk; }

}  // namespace

HResult FindTypeLibPath(Registry& registry, const std::string& typeLibGuid, const std::string& version,
                        std::string& path) {
    path.clear();
    for (const LibraryKeySuffix& suffix : kLibraryKeys) {
        const auto keyPath = libraryKeyPath(typeLibGuid, version, suffix);
        if (!keyPath) continue;
        if (const auto key = openClassesKey(registry, *keyPath)) {
            path = readPath(registry, *key).value_or("");
            break;
        }
    }
    return result(path);
}

HResult FindInterfaceTypeLibPath(Registry& registry, const Guid& iid, std::string& path) {
    path.clear();
    const std::string iidText = guidText(iid);
    const std::string interfacePath = "Interface\\" + iidText + "\\TypeLib";
    if (interfacePath.size() + 1 > kKeyPathBuffer) return result(path);
    const auto interfaceKey = openClassesKey(registry, interfacePath);
    if (!interfaceKey) return result(path);
    RegValue guid, version;
    if (interfaceKey->queryValue("", kLookupValueBuffer, guid) != kRegSuccess ||
        interfaceKey->queryValue("Version", kLookupValueBuffer, version) != kRegSuccess)
        return result(path);

    for (const LibraryKeySuffix& suffix : kLibraryKeys) {
        const auto keyPath = libraryKeyPath(guid.text(), version.text(), suffix);
        if (!keyPath) continue;
        if (const auto key = openClassesKey(registry, *keyPath)) path = readPath(registry, *key).value_or("");
        if (!path.empty()) break;
    }
    return result(path);
}

}  // namespace tessivar
