// The catalogue of registered classes read from the registry, and the names the class list shows.
#pragma once

#include <string>
#include <vector>

#include "base/class_entry.h"
#include "typelib/registry.h"

namespace tessivar {

// Empties the catalogue and fills it with every class under HKEY_CLASSES_ROOT\CLSID that has a
// "ProgID" subkey, in enumeration order, with values as stored.
void ReadRegisteredClasses(Registry& registry, ClassCatalogue& catalogue);

// The names the class list shows: the progId of every entry whose typeLibGuid, progId and
// typeLibPath are all non-empty, duplicates kept, sorted as the list sorts (ignoring case).
// A shown name is resolved back to its entry through FindClass, never by position.
std::vector<std::string> shownClassNames(const ClassCatalogue& catalogue);

// A type library version registered under HKEY_CLASSES_ROOT\TypeLib.
struct RegisteredTypeLib {
    std::string guid;     // the GUID key's name, as stored
    std::string version;  // the version key's name
    std::string name;     // the version key's default value
    std::string path;     // the path the lookup by GUID and version finds (FindTypeLibPath); empty when none
};

// Every version key under HKEY_CLASSES_ROOT\TypeLib, in enumeration order.
std::vector<RegisteredTypeLib> ReadRegisteredTypeLibs(Registry& registry);

}  // namespace tessivar
