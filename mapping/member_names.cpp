// The names of generated members, parameters and enum constants.
#include "mapping/member_names.h"

#include <algorithm>

#include "base/text.h"
#include "mapping/java_words.h"
#include "mapping/path_names.h"

namespace tessivar {
namespace {

// verb + property + suffix: the property's identifier characters, the whole under the method rule (a
// reserved name gets '_' in front). The name is changed when either rule changed something.
std::string accessorName(UsedNames& usedNames, std::string_view verb, const std::string& property,
                         std::string_view suffix, NameChanges* changes) {
    const std::string part = javaIdentifier(property, JavaNameUse::NamePart);
    std::string name(verb);
    appendParts(name, part, suffix);
    name = clearOfReservedWords(std::move(name), JavaNameUse::Method);
    const bool changed = part != property || name.size() != verb.size() + part.size() + suffix.size();
    if (changes && changed) changes->emplace_back(property, name);
    usedNames.insert(name);
    return name;
}

// Whether `taken` or one of the parameters named so far (after the result's place) holds `name`.
bool isTaken(const std::string& name, const ParameterNames& names, std::initializer_list<std::string_view> taken) {
    return std::find(taken.begin(), taken.end(), name) != taken.end() ||
           std::find(names.begin() + 1, names.end(), name) != names.end();
}

}  // namespace

std::string methodName(std::string_view name, NameChanges* changes) {
    std::string method = javaIdentifier(name, JavaNameUse::Method);
    if (changes && method != name) changes->emplace_back(name, method);
    return method;
}

std::string proxyMemberName(UsedNames& usedNames, const MemberInfo& member, NameChanges* changes) {
    const std::string& name = member.element(0).name;
    switch (member.invokeKind) {
        case INVOKE_FUNC: {
            std::string method = methodName(name, changes);
            if (usedNames.count(method)) method.insert(0, 1, '_');
            return method;
        }
        case INVOKE_PROPERTYGET:
            return accessorName(usedNames, "get", name, "", changes);
        case INVOKE_PROPERTYPUT:
            return accessorName(usedNames, "set", name, "", changes);
        case INVOKE_PROPERTYPUTREF:
            return accessorName(usedNames, "set", name, "Ref", changes);
        default:
            return {};
    }
}

std::string listenerIdName(std::string_view name) { return "id" + javaIdentifier(name, JavaNameUse::NamePart); }

ParameterNames parameterNames(const MemberInfo& member, int n, std::initializer_list<std::string_view> taken,
                              NameChanges* changes) {
    ParameterNames names;
    const int count = std::min(n, static_cast<int>(member.elements.size()));
    if (count < 1) return names;
    names.reserve(static_cast<std::size_t>(count));
    names.emplace_back();  // the result's place
    for (int i = 1; i < count; ++i) {
        const std::string& base = member.element(i).name;
        const bool putValue = member.isPut() && i == n - 1;
        const std::string_view prefix = putValue ? "new" : "";
        std::string name(prefix);
        if (base.empty()) {
            name += "arg" + std::to_string(i);
        } else {
            name += javaIdentifier(base, putValue ? JavaNameUse::NamePart : JavaNameUse::Parameter);
            if (changes && name.compare(prefix.size(), std::string::npos, base) != 0) changes->emplace_back(base, name);
        }
        // '_' goes in front of the name's own part.
        while (isTaken(name, names, taken)) name.insert(prefix.size(), 1, '_');
        names.push_back(std::move(name));
    }
    return names;
}

std::string putValueName(const MemberInfo& member, int n, const ParameterNames& names) {
    const int value = n - 1;
    if (value >= 1 && static_cast<std::size_t>(value) < names.size()) return names[static_cast<std::size_t>(value)];
    return "new" + member.element(value).name;
}

std::string constantName(TypeRecorder& recorder, std::string_view name, UsedNames& declared) {
    std::string constant = javaIdentifier(recorder, name, JavaNameUse::Constant);
    while (!declared.insert(constant).second) constant.insert(0, 1, '_');
    return constant;
}

}  // namespace tessivar
