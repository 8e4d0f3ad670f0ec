// The Java text of one collected member of a proxy: its Javadoc block and one late-bound wrapper method
// per overload.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "mapping/member_info.h"

namespace tessivar {

// The getter and setter names a proxy declares so far. Only membership is asked, once per member.
using UsedNames = std::unordered_set<std::string>;

inline constexpr std::string_view kIndent = "    ";

// The outside names that the member text writes under other Java names: (name, Java name), as met.
using NameChanges = std::vector<std::pair<std::string, std::string>>;

// The Javadoc block and the overloads of `member`, appended to `out`; getter and setter names enter
// `usedNames`, method names are looked up in it. Nothing for a member left out (emitCount -1). The member
// and parameter names the Java mapping changed are added to `changes` when it is given.
void appendMemberText(std::string& out, UsedNames& usedNames, const MemberInfo& member,
                      NameChanges* changes = nullptr);

// appendMemberText for each of `members` in order.
void appendMembersText(std::string& out, UsedNames& usedNames, const std::vector<MemberInfo>& members,
                       NameChanges* changes = nullptr);

// appendMemberText into a string of its own.
std::string memberText(UsedNames& usedNames, const MemberInfo& member);

// The parameter declarations for the member's current emitCount, without parentheses. `taken` holds
// names the declaration already uses (a listener's "srcObj"); changed names go to `changes` when given.
std::string parameterList(const MemberInfo& member, std::initializer_list<std::string_view> taken = {},
                          NameChanges* changes = nullptr);

// The body indent, the one statement that makes the late-bound call, and CR LF.
std::string callBody(std::string_view bodyIndent, const MemberInfo& member);

// The Java names of elements 1 to emitCount - 1 (index 0 is unused): a put's value is "new" + name;
// an empty name becomes "arg" + index, a reserved word and a name already used get "_" in front.
std::vector<std::string> javaParameterNames(const MemberInfo& member,
                                            std::initializer_list<std::string_view> taken = {});

}  // namespace tessivar
