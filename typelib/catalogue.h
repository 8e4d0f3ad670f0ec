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

}  // namespace tessivar
