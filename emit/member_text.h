// The Java text of one collected member of a proxy: its Javadoc block and one late-bound wrapper method
// per overload.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "mapping/member_info.h"
#include "mapping/member_names.h"

namespace tessivar {

// The Javadoc block and the overloads of `member`, appended to `out`; getter and setter names enter
// `usedNames`, method names are looked up in it. Nothing for a member left out (emitCount -1). The member
// and parameter names the Java mapping changed are added to `changes` when it is given.
void appendMemberText(std::string& out, UsedNames& usedNames, const MemberInfo& member,
                      NameChanges* changes = nullptr);

// The parameter declarations for the member's current emitCount, without parentheses. `taken` holds
// names the declaration already uses (a listener's "srcObj"); changed names go to `changes` when given.
std::string parameterList(const MemberInfo& member, std::initializer_list<std::string_view> taken = {},
                          NameChanges* changes = nullptr);

}  // namespace tessivar
