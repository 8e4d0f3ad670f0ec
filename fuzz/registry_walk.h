// What the program asks of a registry read from a file: the class catalogue, the library and interface
// lookups for each class, every key reachable from the roots, and environment and path expansion.
#pragma once

#include <memory>
#include <string>

#include "base/guid_text.h"
#include "typelib/catalogue.h"
#include "typelib/progid.h"
#include "typelib/registry.h"
#include "typelib/registry_lookups.h"

namespace tessivar::fuzz {

inline void walkKeys(const RegKey& key, int depth, int& budget) {
    RegValue value;
    (void)key.queryValue("", 4096, value);
    (void)key.queryValue("", 2, value);
    std::string name;
    for (std::uint32_t i = 0; depth < 16 && budget > 0 && key.enumSubKey(i, name) == kRegSuccess; ++i, --budget) {
        std::unique_ptr<RegKey> sub;
        (void)key.queryValue(name, 4096, value);
        if (key.openSubKey(name, RegAccess::Read, sub) == kRegSuccess && sub) walkKeys(*sub, depth + 1, budget);
    }
}

inline void walkRegistry(Registry& registry) {
    ClassCatalogue catalogue;
    ReadRegisteredClasses(registry, catalogue);
    (void)shownClassNames(catalogue);
    int lookups = 64;
    for (const ClassEntry& entry : catalogue) {
        if (--lookups < 0) break;
        (void)progIdFromClsid(registry, entry.clsid);
        std::string path;
        (void)FindTypeLibPath(registry, entry.typeLibGuid, "1.0", path);
        (void)registry.localPath(path);
        (void)registry.localPath(registry.expandEnvironment(entry.typeLibPath));
        if (const auto iid = parseGuidText(entry.clsid)) (void)FindInterfaceTypeLibPath(registry, *iid, path);
    }
    for (const RegRoot root : {RegRoot::ClassesRoot, RegRoot::LocalMachine, RegRoot::CurrentUser}) {
        std::unique_ptr<RegKey> key;
        int budget = 20000;
        if (registry.openKey(root, "", RegAccess::Read, key) == kRegSuccess && key) walkKeys(*key, 0, budget);
    }
    (void)registry.expandEnvironment("%SystemRoot%\\%TEMP%%%windir%%");
    (void)registry.localPath("C:\\windows\\system32\\stdole2.tlb");
    (void)registry.localPath("\\\\?\\c:\\x");
}

}  // namespace tessivar::fuzz
