// Member text: Javadoc block, overload loop and signatures, the parameter list and the call body. All
// of it is appended piece by piece to one output string.
#include "emit/member_text.h"

#include <algorithm>
#include <charconv>

#include "mapping/java_text.h"
#include "mapping/java_words.h"
#include "mapping/names.h"
#include "base/text.h"
#include "mapping/type_mapping.h"

namespace tessivar {
namespace {

constexpr std::string_view kObjectArray = "\", new java.lang.Object[]{";
constexpr std::string_view kEnumerationOpen = "new com.corlith.kovra.Enumeration(";

// The fixed runs around the variable parts, indents included.
constexpr std::string_view kJavadocOpen = "    /**\r\n     * ";
constexpr std::string_view kJavadocClose = "\r\n     */\r\n";
constexpr std::string_view kMethodOpen = "    public ";
constexpr std::string_view kBodyOpen = ") throws com.corlith.kovra.COMException {\r\n        ";
constexpr std::string_view kMethodClose = "\r\n    }\r\n";

// The Java names of one overload's parameters, at the indices of their elements (index 0 unused).
using ParameterNames = std::vector<std::string>;

void addNumber(std::string& out, int value) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

// Unusual type information may give fewer elements than emitCount asks for; such elements read as empty.
const ParamInfo kNoElement;

const ParamInfo& element(const MemberInfo& m, int i) {
    if (i < 0 || static_cast<std::size_t>(i) >= m.elements.size()) return kNoElement;
    return m.elements[static_cast<std::size_t>(i)];
}

bool isPut(const MemberInfo& m) { return m.invokeKind == INVOKE_PROPERTYPUT || m.invokeKind == INVOKE_PROPERTYPUTREF; }

bool isEmittedKind(const MemberInfo& m) {
    return m.invokeKind == INVOKE_FUNC || m.invokeKind == INVOKE_PROPERTYGET || isPut(m);
}

bool isNewEnum(std::string_view name) { return equalsIgnoreCase(name, "_newenum"); }

void addJavadocBlock(std::string& out, std::string_view doc) {
    out += kJavadocOpen;
    out += javadocText(doc);
    out += kJavadocClose;
}

// The result type of a method or getter.
std::string_view resultType(const MemberInfo& m) {
    const ParamInfo& r = element(m, 0);
    return isNewEnum(r.name) ? "java.util.Enumeration" : std::string_view(r.javaType);
}

// verb + property + suffix, the property's part made of identifier characters and the whole under the
// method rule (a reserved member name gets '_' in front).
std::string accessorName(std::string_view verb, std::string_view property, std::string_view suffix = {}) {
    std::string name(verb);
    appendParts(name, javaIdentifier(property, JavaNameUse::NamePart), suffix);
    return javaIdentifier(name, JavaNameUse::Method);
}

// The Java name every overload of the member takes; empty for a kind that has no Java form. It depends
// on the member alone, so usedNames is asked and filled once per member.
std::string javaName(UsedNames& usedNames, const MemberInfo& m, NameChanges* changes) {
    const std::string& n = element(m, 0).name;
    std::string name;
    switch (m.invokeKind) {
        case INVOKE_FUNC:
            name = javaIdentifier(n, JavaNameUse::Method);
            if (changes && name != n) changes->emplace_back(n, name);
            if (usedNames.count(name)) name.insert(0, 1, '_');
            return name;
        case INVOKE_PROPERTYGET:
            name = accessorName("get", n);
            break;
        case INVOKE_PROPERTYPUT:
            name = accessorName("set", n);
            break;
        case INVOKE_PROPERTYPUTREF:
            name = accessorName("set", n, "Ref");
            break;
        default:
            return name;
    }
    // An accessor's name is changed when more than the verb and suffix were added to the property's.
    const std::size_t added = m.invokeKind == INVOKE_PROPERTYPUTREF ? 6 : 3;
    if (changes && (name.size() != n.size() + added || name.compare(3, n.size(), n) != 0))
        changes->emplace_back(n, name);
    usedNames.insert(name);
    return name;
}

// Whether `name` is in `taken` or is one of the names given before index `upTo`.
bool isTaken(std::string_view name, const ParameterNames& names, std::size_t upTo,
             std::initializer_list<std::string_view> taken) {
    const auto given = names.begin() + static_cast<std::ptrdiff_t>(upTo);
    return std::find(taken.begin(), taken.end(), name) != taken.end() ||
           std::find(names.begin() + 1, given, name) != given;
}

// Fills `names` for elements 1 to n - 1 (see javaParameterNames). A member has few parameters, so
// uniqueness is a linear search over the names given so far; the strings keep their storage from one
// overload to the next.
void nameParameters(ParameterNames& names, const MemberInfo& m, int n,
                    std::initializer_list<std::string_view> taken, NameChanges* changes = nullptr) {
    const int count = std::min<int>(n, static_cast<int>(m.elements.size()));
    names.resize(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 1; i < count; ++i) {
        std::string& name = names[static_cast<std::size_t>(i)];
        const bool putValue = isPut(m) && i == n - 1;
        name.assign(putValue ? "new" : "");
        const std::size_t baseStart = name.size();  // where "_" goes in front of the name's own part
        const std::string& base = element(m, i).name;
        if (base.empty()) {
            name += "arg";
            addNumber(name, i);
        } else {
            name += javaIdentifier(base, putValue ? JavaNameUse::NamePart : JavaNameUse::Parameter);
            if (changes && name.compare(baseStart, std::string::npos, base) != 0) changes->emplace_back(base, name);
        }
        while (isTaken(name, names, static_cast<std::size_t>(i), taken)) name.insert(baseStart, 1, '_');
    }
}

// The declarations of the parameters named `names`, without parentheses.
void addDeclarations(std::string& out, const MemberInfo& m, int n, const ParameterNames& names) {
    if (n < 2 || !isEmittedKind(m)) return;
    for (int i = 1; i <= n - 1 && static_cast<std::size_t>(i) < names.size(); ++i) {
        const ParamInfo& p = element(m, i);
        if (isPut(m) && i == n - 1 && p.javaType.empty()) break;
        if (i > 1) out += ", ";
        if (p.byRef < 1) out += p.javaType;
        else out += refHolderName(p);
        out += ' ';
        out += names[static_cast<std::size_t>(i)];
    }
}

void addArgumentExpression(std::string& out, const ParamInfo& p, std::string_view javaName) {
    if (!p.isPrimitive || p.byRef >= 1) {
        out += javaName;
        return;
    }
    appendParts(out, "new ", p.boxedType, "(", javaName, ")");
}

// The argument expressions of elements first to last, joined by ", ".
void addArguments(std::string& out, const MemberInfo& m, const ParameterNames& names, int first, int last) {
    for (int i = first; i <= last && static_cast<std::size_t>(i) < names.size(); ++i) {
        if (i > first) out += ", ";
        addArgumentExpression(out, element(m, i), names[static_cast<std::size_t>(i)]);
    }
}

// The cast an object result of a user-defined type is constructed from.
std::string_view objectPointerCast(const MemberInfo& m) {
    return m.viaVtable ? "((UnknownPtr) " : "((DispatchPtr) ";
}

// invoke("name") without arguments; invokeN("name", new java.lang.Object[]{...}, count with them.
void addMethodCall(std::string& out, const MemberInfo& m, int n, const ParameterNames& names) {
    const std::string& name = element(m, 0).name;
    if (n < 2) {
        appendParts(out, "invoke(\"", javaStringText(name), "\")");
        return;
    }
    appendParts(out, "invokeN(\"", javaStringText(name), kObjectArray);
    addArguments(out, m, names, 1, n - 1);
    out += "}, ";
    addNumber(out, n - 1);
}

void addMethodStatement(std::string& out, const MemberInfo& m, int n, const ParameterNames& names) {
    const ParamInfo& r = element(m, 0);
    if (n < 2) {
        if (r.vt == VT_VOID) {
            addMethodCall(out, m, n, names);
            out += ';';
            return;
        }
        const bool newEnum = isNewEnum(r.name);
        out += "return ";
        if (newEnum) out += kEnumerationOpen;
        if (r.isPrimitive) {
            appendParts(out, "((", r.boxedType, ") ");
            addMethodCall(out, m, n, names);
            appendParts(out, ").", r.javaType, "Value()");
        } else if (r.vt == VT_USERDEFINED) {
            appendParts(out, "new ", r.boxedType, objectPointerCast(m));
            addMethodCall(out, m, n, names);
            out += ')';
        } else {
            appendParts(out, "(", r.boxedType, ") ");
            addMethodCall(out, m, n, names);
        }
        if (newEnum) out += ')';
        out += ';';
        return;
    }
    if (r.vt == VT_VOID) {
        addMethodCall(out, m, n, names);
        out += ", false);";
    } else if (r.isPrimitive) {
        appendParts(out, "return ((", r.boxedType, ") ");
        addMethodCall(out, m, n, names);
        appendParts(out, ")).", r.javaType, "Value();");
    } else if (r.vt == VT_USERDEFINED) {
        appendParts(out, "return new ", r.boxedType, objectPointerCast(m));
        addMethodCall(out, m, n, names);
        out += "));";
    } else {
        appendParts(out, "return (", r.javaType, ") ");
        addMethodCall(out, m, n, names);
        out += ");";
    }
}

// get("name" without arguments; getN("name", new java.lang.Object[]{...} with them.
void addGetCall(std::string& out, const MemberInfo& m, int n, const ParameterNames& names) {
    const std::string& name = element(m, 0).name;
    if (n < 2) {
        appendParts(out, "get(\"", javaStringText(name), "\"");
        return;
    }
    appendParts(out, "getN(\"", javaStringText(name), kObjectArray);
    addArguments(out, m, names, 1, n - 1);
    out += '}';
}

void addGetStatement(std::string& out, const MemberInfo& m, int n, const ParameterNames& names) {
    const ParamInfo& r = element(m, 0);
    if (r.vt == VT_DISPATCH) {
        out += "return (DispatchPtr) ";
        addGetCall(out, m, n, names);
        out += ");";
        return;
    }
    // A handle (wireHWND, wireHDC) keeps vt 29 but is a primitive: unboxed, as methods do, not constructed.
    if (r.isPrimitive) {
        appendParts(out, "return ((", r.boxedType, ") ");
        addGetCall(out, m, n, names);
        appendParts(out, ")).", r.javaType, "Value();");
        return;
    }
    if (r.vt == VT_USERDEFINED) {
        appendParts(out, "return new ", r.javaType, objectPointerCast(m));
        addGetCall(out, m, n, names);
        out += "));";
        return;
    }
    const bool newEnum = isNewEnum(r.name);
    const std::string_view cast = (newEnum && n < 2) ? "IUnknown" : std::string_view(r.boxedType);
    out += "return ";
    if (newEnum) out += kEnumerationOpen;
    appendParts(out, "(", cast, ") ");
    addGetCall(out, m, n, names);
    if (newEnum) out += ')';
    out += ");";
}

// The value a put passes: its parameter name, boxed when primitive.
void addPutValue(std::string& out, const MemberInfo& m, int n, const ParameterNames& names) {
    const ParamInfo& v = element(m, n - 1);
    if (v.isPrimitive) appendParts(out, "new ", v.boxedType, "(");
    if (n - 1 >= 1 && static_cast<std::size_t>(n - 1) < names.size()) out += names[static_cast<std::size_t>(n - 1)];
    else appendParts(out, "new", v.name);
    if (v.isPrimitive) out += ')';
}

void addPutStatement(std::string& out, const MemberInfo& m, int n, const ParameterNames& names) {
    const std::string& name = element(m, 0).name;
    if (n == 2) {
        appendParts(out, "put(\"", javaStringText(name), "\", ");
    } else {
        appendParts(out, "putN(\"", javaStringText(name), kObjectArray);
        addArguments(out, m, names, 1, n - 2);
        out += "}, ";
    }
    addPutValue(out, m, n, names);
    out += ");";
}

// The statement of an overload that uses n elements.
void addStatement(std::string& out, const MemberInfo& m, int n, const ParameterNames& names) {
    if (m.invokeKind == INVOKE_FUNC) addMethodStatement(out, m, n, names);
    else if (m.invokeKind == INVOKE_PROPERTYGET) addGetStatement(out, m, n, names);
    else if (isPut(m)) addPutStatement(out, m, n, names);
}

// One wrapper method: the overload that uses n elements. `names` is scratch space for its parameter
// names; an overload without parameters (n < 2) neither makes nor reads any.
void addOverload(std::string& out, const MemberInfo& m, std::string_view javaName, int n, ParameterNames& names,
                 NameChanges* changes) {
    out += kMethodOpen;
    if (!isEmittedKind(m)) {
        out += "\r\n";
        return;
    }
    appendParts(out, isPut(m) ? "void" : resultType(m), " ", javaName, "(");
    if (n >= 2) nameParameters(names, m, n, {}, changes);  // the declarations' and the call's
    addDeclarations(out, m, n, names);
    out += kBodyOpen;
    addStatement(out, m, n, names);
    out += kMethodClose;
}

void addMember(std::string& out, UsedNames& usedNames, const MemberInfo& member, ParameterNames& names,
               NameChanges* changes) {
    if (member.emitCount == -1) return;
    addJavadocBlock(out, member.doc);
    if (member.overloads < 1) return;
    const std::string name = javaName(usedNames, member, changes);
    for (std::int32_t i = 0; i < member.overloads; ++i) {
        // One more argument each time; the count wraps as the 16-bit emitCount it continues.
        addOverload(out, member, name, static_cast<std::int16_t>(member.emitCount + i), names, changes);
    }
}

}  // namespace

std::vector<std::string> javaParameterNames(const MemberInfo& m, std::initializer_list<std::string_view> taken) {
    ParameterNames names;
    nameParameters(names, m, m.emitCount, taken);
    return names;
}

std::string parameterList(const MemberInfo& m, std::initializer_list<std::string_view> taken, NameChanges* changes) {
    std::string text;
    if (m.emitCount < 2 || !isEmittedKind(m)) return text;
    ParameterNames names;
    nameParameters(names, m, m.emitCount, taken, changes);
    addDeclarations(text, m, m.emitCount, names);
    return text;
}

std::string callBody(std::string_view bodyIndent, const MemberInfo& m) {
    ParameterNames names;
    nameParameters(names, m, m.emitCount, {});
    std::string text(bodyIndent);
    addStatement(text, m, m.emitCount, names);
    text += "\r\n";
    return text;
}

void appendMemberText(std::string& out, UsedNames& usedNames, const MemberInfo& member, NameChanges* changes) {
    ParameterNames names;
    addMember(out, usedNames, member, names, changes);
}

void appendMembersText(std::string& out, UsedNames& usedNames, const std::vector<MemberInfo>& members,
                       NameChanges* changes) {
    ParameterNames names;  // shared, so that its strings keep their room from member to member
    for (const MemberInfo& member : members) addMember(out, usedNames, member, names, changes);
}

std::string memberText(UsedNames& usedNames, const MemberInfo& member) {
    std::string text;
    appendMemberText(text, usedNames, member);
    return text;
}

}  // namespace tessivar
