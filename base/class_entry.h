// ClassEntry: one class the user can pick, or a coclass met by a run; and the catalogue that holds them.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace tessivar {

class TypeLib;  // the type library seam's, held and passed on here

struct ClassEntry {
    std::string typeLibGuid;  // type library GUID text
    std::string clsid;        // CLSID text
    std::string progId;       // the registered ProgID, or the coclass name
    std::string typeLibPath;  // type library file path
    std::shared_ptr<const TypeLib> typeLib;  // the coclass's containing library, or none
};

using ClassCatalogue = std::vector<ClassEntry>;

// The order of a run's coclass set: shorter CLSID text first, then ANSI order ignoring case.
struct ClassEntryClsidLess {
    bool operator()(const ClassEntry& a, const ClassEntry& b) const;
};

using ClassEntrySet = std::set<ClassEntry, ClassEntryClsidLess>;

}  // namespace tessivar
