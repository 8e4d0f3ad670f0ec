// The Java text of one collected member of a proxy: its Javadoc block and one late-bound wrapper method
// per overload.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "emit/member_info.h"

namespace tessivar {

// The getter and setter names a proxy declares so far. Only membership is asked, once per member.
using UsedNames = std::unordered_set<std::string>;

inline constexpr std::string_view kIndent = "    ";

// The Javadoc block and the overloads of `member`, appended to `out`; getter and setter names enter
// `usedNames`, method names are looked up in it. Nothing for a member left out (emitCount -1).
void appendMemberText(std::string& out, UsedNames& usedNames, const MemberInfo& member);

// appendMemberText for each of `members` in order.
void appendMembersText(std::string& out, UsedNames& usedNames, const std::vector<MemberInfo>& members);

// appendMemberText into a string of its own.
std::string memberText(UsedNames& usedNames, const MemberInfo& member);

// The parameter declarations for the member's current emitCount, without parentheses. `taken` holds
// names the declaration already uses (a listener's "srcObj").
std::string parameterList(const MemberInfo& member, std::initializer_list<std::string_view> taken = {});

// The body indent, the one statement that makes the late-bound call, and CR LF.
std::string callBody(std::string_view bodyIndent, const MemberInfo& member);

// The Java names of elements 1 to emitCount - 1 (index 0 is unused): a put's value is "new" + name;
// an empty name becomes "arg" + index, a reserved word and a name already used get "_" in front.
std::vector<std::string> javaParameterNames(const MemberInfo& member,
                                            std::initializer_list<std::string_view> taken = {});

// A documentation string made safe inside a Javadoc comment: "*/" would end the comment and a
// backslash before 'u' starts a Unicode escape anywhere in a Java file; both are written as HTML
// character references, which Javadoc shows as the original characters.
std::string javadocText(std::string_view doc);

}  // namespace tessivar
