// MemberInfo and ParamInfo: one collected interface member, its result and parameters after type mapping.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "typelib/typelib_api.h"

namespace tessivar {

// One element of a member: element 0 is the result and carries the member's name.
struct ParamInfo {
    std::uint16_t vt = VT_EMPTY;  // Automation type code after mapping
    std::int32_t kind = 0;        // for a user-defined type, the kind of the referenced type
    bool isPrimitive = false;     // a Java primitive, boxed in argument arrays; clear when byRef >= 1
    std::string javaType;         // the declared Java type
    const char* boxedName = nullptr;  // the type table's wrapper class of a primitive, "" for void; null: javaType
    std::int32_t byRef = 0;       // pointer levels left; 1 or more means passed in a Ref holder
    std::string name;

    // The wrapper class of a primitive, else javaType; empty for void.
    std::string_view boxedType() const { return boxedName ? std::string_view(boxedName) : std::string_view(javaType); }
};

struct MemberInfo {
    std::vector<ParamInfo> elements;
    std::string doc;
    std::int16_t emitCount = 0;  // elements the first overload uses; -1 leaves the member out
    MemberId memid = 0;
    std::int32_t invokeKind = INVOKE_FUNC;
    std::int32_t overloads = 0;  // optional parameters + 1
    bool viaVtable = false;      // collected from a vtable interface: object results go through UnknownPtr

    // Element i. Unusual type information may give fewer elements than emitCount asks for; such elements
    // read as empty.
    const ParamInfo& element(int i) const {
        static const ParamInfo none;
        if (i < 0 || static_cast<std::size_t>(i) >= elements.size()) return none;
        return elements[static_cast<std::size_t>(i)];
    }
    bool isPut() const { return invokeKind == INVOKE_PROPERTYPUT || invokeKind == INVOKE_PROPERTYPUTREF; }
};

}  // namespace tessivar
