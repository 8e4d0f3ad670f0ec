// The names generated code declares for the members of an interface and their parameters, and for the
// constants of an enum: each starts from the outside name under the identifier rule of its use
// (javaIdentifier), and a name already declared gets '_' in front.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "mapping/member_info.h"
#include "mapping/type_recorder.h"

namespace tessivar {

// The names a file declares so far. Only membership is asked.
using UsedNames = std::unordered_set<std::string>;

// The outside names written under other Java names: (name, Java name), as met.
using NameChanges = std::vector<std::pair<std::string, std::string>>;

// The Java names of one overload's parameters at the indices of their elements (index 0, the result,
// stays empty).
using ParameterNames = std::vector<std::string>;

// A method's name under the identifier rule of methods; a change is added to `changes` when given.
std::string methodName(std::string_view name, NameChanges* changes);

// The name every overload of a proxy member takes. A method has its method name, with '_' in front when
// `usedNames` holds it; a property's getter and setters are "get", "set" and "set" ... "Ref" with the
// property's name, under the method rule, and enter `usedNames`. Empty for a kind with no Java form.
std::string proxyMemberName(UsedNames& usedNames, const MemberInfo& member, NameChanges* changes);

// The name of a listener member's id constant: "id" and the method's name.
std::string listenerIdName(std::string_view name);

// The names of elements 1 to n - 1 of the overload that uses n elements (none when n < 2), as far as the
// member has them: a put's value is "new" and its name, an unnamed parameter "arg" and its index, and a
// name that `taken` or an earlier parameter holds gets '_' in front of its own part. The names the Java
// mapping changed are added to `changes` when given.
ParameterNames parameterNames(const MemberInfo& member, int n, std::initializer_list<std::string_view> taken = {},
                              NameChanges* changes = nullptr);

// The name a put's value goes by in the overload that uses n elements: its parameter name, or "new" and
// the name of the element when the member has no such parameter.
std::string putValueName(const MemberInfo& member, int n, const ParameterNames& names);

// The name of an enum constant: its Java name (the change logged), with '_' in front while `declared`
// holds it; then `declared` holds it.
std::string constantName(TypeRecorder& recorder, std::string_view name, UsedNames& declared);

}  // namespace tessivar
