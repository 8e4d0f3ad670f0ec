// ReadRegisteredClasses and the class list's selection rule.
#include "typelib/catalogue.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "base/text.h"
#include "typelib/registry_lookups.h"

namespace tessivar {
namespace {

constexpr std::size_t kNameBuffer = 260;   // the enumeration's name buffer, zero included

std::unique_ptr<RegKey> openBelow(const RegKey& parent, const std::string& path) {
    std::unique_ptr<RegKey> key;
    if (parent.openSubKey(path, RegAccess::AllAccess, key) != kRegSuccess) key.reset();
    return key;
}

// The default value's text, or nothing when the read fails.
std::optional<std::string> readDefault(const RegKey& key) {
    RegValue value;
    if (key.queryValue("", kLookupValueBuffer, value) != kRegSuccess) return std::nullopt;
    return value.text();
}

ClassEntry readClass(Registry& registry, const RegKey& classes, const std::string& clsid, bool& registered) {
    ClassEntry entry;
    entry.clsid = clsid;
    const auto progIdKey = openBelow(classes, clsid + "\\ProgID");
    registered = progIdKey != nullptr;
    if (!registered) return entry;
    if (auto progId = readDefault(*progIdKey)) entry.progId = std::move(*progId);
    const auto typeLibKey = openBelow(classes, clsid + "\\TypeLib");
    if (!typeLibKey) return entry;
    if (auto guid = readDefault(*typeLibKey)) entry.typeLibGuid = std::move(*guid);
    const auto versionKey = openBelow(classes, clsid + "\\Version");
    if (!versionKey) return entry;
    const auto version = readDefault(*versionKey);
    if (!version) return entry;
    FindTypeLibPath(registry, entry.typeLibGuid, *version, entry.typeLibPath);  // not found leaves it empty
    return entry;
}

}  // namespace

void ReadRegisteredClasses(Registry& registry, ClassCatalogue& catalogue) {
    catalogue.clear();
    std::unique_ptr<RegKey> classes;
    if (registry.openKey(RegRoot::ClassesRoot, "CLSID", RegAccess::AllAccess, classes) != kRegSuccess || !classes)
        return;
    std::string name;
    for (std::uint32_t index = 0; classes->enumSubKey(index, name) == kRegSuccess; ++index) {
        // A name the platform's buffer cannot hold is no class name; skipping it keeps the classes after it.
        if (name.size() + 1 > kNameBuffer) continue;
        bool registered = false;
        ClassEntry entry = readClass(registry, *classes, name, registered);
        if (registered) catalogue.push_back(std::move(entry));
    }
}

std::vector<std::string> shownClassNames(const ClassCatalogue& catalogue) {
    std::vector<std::string> names;
    for (const ClassEntry& e : catalogue)
        if (!e.typeLibGuid.empty() && !e.progId.empty() && !e.typeLibPath.empty()) names.push_back(e.progId);
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int c = compareIgnoreCase(a, b);
        return c != 0 ? c < 0 : compareCodeUnits(a, b) < 0;
    });
    return names;
}

std::vector<RegisteredTypeLib> ReadRegisteredTypeLibs(Registry& registry) {
    std::vector<RegisteredTypeLib> libraries;
    std::unique_ptr<RegKey> typeLibs;
    if (registry.openKey(RegRoot::ClassesRoot, "TypeLib", RegAccess::Read, typeLibs) != kRegSuccess || !typeLibs)
        return libraries;
    std::string guid, version;
    for (std::uint32_t i = 0; typeLibs->enumSubKey(i, guid) == kRegSuccess; ++i) {
        if (guid.size() + 1 > kNameBuffer) continue;
        std::unique_ptr<RegKey> guidKey;
        if (typeLibs->openSubKey(guid, RegAccess::Read, guidKey) != kRegSuccess || !guidKey) continue;
        for (std::uint32_t j = 0; guidKey->enumSubKey(j, version) == kRegSuccess; ++j) {
            if (version.size() + 1 > kNameBuffer) continue;
            std::unique_ptr<RegKey> versionKey;
            if (guidKey->openSubKey(version, RegAccess::Read, versionKey) != kRegSuccess || !versionKey) continue;
            RegisteredTypeLib library{guid, version, readDefault(*versionKey).value_or(""), {}};
            FindTypeLibPath(registry, guid, version, library.path);
            libraries.push_back(std::move(library));
        }
    }
    return libraries;
}

}  // namespace tessivar
