// Collects the functions and variables of an interface into MemberInfo records, mapping every result
// and parameter type and recording the user-defined types they refer to.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mapping/member_info.h"
#include "mapping/type_recorder.h"
#include "typelib/typelib_api.h"

namespace tessivar {

// `owner` is the interface that holds the description. Each collector empties `member` first. A
// function's documentation string, which its caller has read already, becomes the member's doc.
void collectDispatchFunction(TypeRecorder& generator, const std::shared_ptr<const TypeInfo>& owner,
                             const FuncDesc& func, std::string doc, MemberInfo& member);
void collectVtableFunction(TypeRecorder& generator, const std::shared_ptr<const TypeInfo>& owner,
                           const FuncDesc& func, std::string doc, MemberInfo& member);
// invokeKind is INVOKE_PROPERTYGET or INVOKE_PROPERTYPUT.
void collectVariableAccessor(TypeRecorder& generator, const std::shared_ptr<const TypeInfo>& owner,
                             const VarDesc& var, MemberInfo& member, std::int32_t invokeKind);

// Reads function `index` of `owner` and its documentation; a failure is noted as a lost function.
bool readFunction(TypeRecorder& generator, const TypeInfo& owner, unsigned index, FuncDesc& func, Documentation& doc);

// True for the IUnknown and IDispatch methods a proxy never wraps (exact, case-sensitive).
bool isExcludedName(const TypeRecorder& generator, std::string_view name);

// Hands each member of a proxy to `visit` in the order they are written: functions in index order, then
// for each variable its setter (unless read-only) and its getter. Restricted variables, and hidden ones
// while the hidden switch is on, are left out. The member handed over is reused for the next one.
void forEachMember(TypeRecorder& generator, const std::shared_ptr<const TypeInfo>& owner, const TypeAttr& attr,
                   const std::function<void(const MemberInfo&)>& visit);

}  // namespace tessivar
