// The lookups that tie a chosen class to its type library file, coclass and implemented interfaces.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/type_entry.h"
#include "base/class_entry.h"
#include "typelib/typelib_api.h"

namespace tessivar {

// Replaces the catalogue by one entry per coclass of the file; the status of loading the file.
HResult LoadClassesFromFile(TypeLibLoader& loader, const std::string& path, ClassCatalogue& catalogue);

struct FoundClass {
    std::string typeLibGuid;
    std::string typeLibPath;
    std::string coClassName;
    std::shared_ptr<const TypeInfo> coClass;  // none when not found
};

// The first catalogue entry whose progId is `name`, with its coclass found by CLSID (ignoring case).
FoundClass FindClass(TypeLibLoader& loader, const std::string& name, const ClassCatalogue& catalogue);
// The same for a given entry (generate-all mode pairs each entry with its own coclass).
FoundClass FindClassOfEntry(TypeLibLoader& loader, const ClassEntry& entry);

// One TypeEntry per interface the coclass implements, in implementation order.
std::vector<TypeEntry> ListImplementedInterfaces(const std::string& typeLibPath,
                                                 const std::shared_ptr<const TypeInfo>& coClass);

}  // namespace tessivar
