// TypeEntry: one type to generate or to refer to, and the order of the sets that hold them.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>

namespace tessivar {

class TypeInfo;  // the type library seam's, held and passed on here

struct TypeEntry {
    std::string name;         // GetDocumentation(-1) of the type
    std::string typeLibPath;  // file of the type's library; empty until looked up
    std::string libName;      // name of the containing library
    std::string guidText;     // the type's GUID in GUID text form
    std::int32_t kind = 0;    // IMPLTYPEFLAGS under which a coclass lists it, or 0
    std::shared_ptr<const TypeInfo> typeInfo;
};

// By GUID text ignoring case, then by name (code-unit order): entries with equal GUID text and name
// are one entry.
bool typeEntryLess(const TypeEntry& a, const TypeEntry& b);

struct TypeEntryLess {
    bool operator()(const TypeEntry& a, const TypeEntry& b) const { return typeEntryLess(a, b); }
};

using TypeEntrySet = std::set<TypeEntry, TypeEntryLess>;

}  // namespace tessivar
