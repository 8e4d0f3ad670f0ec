// Java type mapping: Automation type descriptions to Java types, boxed types and Ref holder classes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "mapping/member_info.h"
#include "mapping/type_recorder.h"
#include "typelib/typelib_api.h"

namespace tessivar {

// Follows pointers (adding one to `depth` per level) and user-defined types. For a user-defined type
// `context` becomes the referenced type, and enums, aliases of enums and coclasses are queued for
// generation. Returns the innermost description with its possibly changed vt; `javaType` is "" for codes
// it does not resolve. Raises ComError(E_POINTER) for a missing context or a coclass without library.
TypeDesc resolveTypeDesc(TypeRecorder& generator, const TypeDesc& desc, std::shared_ptr<const TypeInfo>& context,
                         std::string& javaType, std::int32_t& depth);

// Sets isPrimitive, javaType and boxedType from vt; kind, byRef and name pass through.
void applyVarType(ParamInfo& info);

// Replaces the structure and handle names that have a fixed Java form (tagPOINT, tagRECT, wireHDC, wireHWND).
void applySpecialType(ParamInfo& info);

// The by-reference holder class for vt.
std::string refHolderName(const ParamInfo& info);

// The name of the coclass's default interface, "IUnknown" when it has only others, "" when it implements
// nothing (or cannot be read).
std::string defaultInterfaceName(const TypeInfo& coClass);

// The Java name of type `name` as generated code refers to it from the current library:
// package.library.name (or library.name without a package) when `type` lives in another library, else the
// name alone; library and type take their Java names.
std::string qualifiedTypeName(const TypeRecorder& generator, const TypeInfo& type, const std::string& name);

}  // namespace tessivar
