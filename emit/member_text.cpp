// Member text: Javadoc block, overload loop and signatures, the parameter list and the call body.
#include "emit/member_text.h"

#include <algorithm>

#include "mapping/java_words.h"
#include "mapping/names.h"
#include "mapping/type_mapping.h"

namespace tessivar {
namespace {

constexpr std::string_view kObjectArray = "\", new java.lang.Object[]{";
constexpr std::string_view kThrowsOpen = ") throws com.corlith.kovra.COMException {\r\n";
constexpr std::string_view kEnumerationOpen = "new com.corlith.kovra.Enumeration(";

// Unusual type information may give fewer elements than emitCount asks for; such elements read as empty.
const ParamInfo& element(const MemberInfo& m, int i) {
    static const ParamInfo none;
    if (i < 0 || static_cast<std::size_t>(i) >= m.elements.size()) return none;
    return m.elements[static_cast<std::size_t>(i)];
}

bool isPut(const MemberInfo& m) { return m.invokeKind == INVOKE_PROPERTYPUT || m.invokeKind == INVOKE_PROPERTYPUTREF; }

bool isEmittedKind(const MemberInfo& m) {
    return m.invokeKind == INVOKE_FUNC || m.invokeKind == INVOKE_PROPERTYGET || isPut(m);
}

bool isNewEnum(std::string_view name) { return equalsIgnoreCase(name, "_newenum"); }

std::string javadocBlock(std::string_view doc) {
    std::string indent(kIndent);
    return indent + "/**\r\n" + indent + " * " + javadocText(doc) + "\r\n" + indent + " */\r\n";
}

// The result type of a method or getter.
std::string resultType(const MemberInfo& m) {
    const ParamInfo& r = element(m, 0);
    return isNewEnum(r.name) ? "java.util.Enumeration" : r.javaType;
}

// "result name(" or "void name(" for one overload; empty for a kind that has no Java form.
std::string signatureStart(UsedNames& usedNames, const MemberInfo& m) {
    const std::string& n = element(m, 0).name;
    switch (m.invokeKind) {
        case INVOKE_FUNC: {
            std::string name = javaMemberName(n);
            if (usedNames.count(name)) name = "_" + name;
            return resultType(m) + " " + name + "(";
        }
        case INVOKE_PROPERTYGET: {
            std::string name = safeIdentifier("get" + n);
            usedNames.insert(name);
            return resultType(m) + " " + name + "(";
        }
        case INVOKE_PROPERTYPUT: {
            std::string name = safeIdentifier("set" + n);
            usedNames.insert(name);
            return "void " + name + "(";
        }
        case INVOKE_PROPERTYPUTREF: {
            std::string name = safeIdentifier("set" + n + "Ref");
            usedNames.insert(name);
            return "void " + name + "(";
        }
        default:
            return {};
    }
}

// The declarations of the parameters named `names`, without parentheses.
std::string declarations(const MemberInfo& m, const std::vector<std::string>& names) {
    const int n = m.emitCount;
    if (n < 2 || !isEmittedKind(m)) return {};
    std::string text;
    for (int i = 1; i <= n - 1 && static_cast<std::size_t>(i) < names.size(); ++i) {
        const ParamInfo& p = element(m, i);
        if (isPut(m) && i == n - 1 && p.javaType.empty()) break;
        if (i > 1) text += ", ";
        text += p.byRef < 1 ? p.javaType : refHolderName(p);
        text += ' ';
        text += names[static_cast<std::size_t>(i)];
    }
    return text;
}

std::string statement(const MemberInfo& m, const std::vector<std::string>& names);

std::string overloadText(UsedNames& usedNames, const MemberInfo& m) {
    std::string text(kIndent);
    text += "public ";
    text += signatureStart(usedNames, m);
    if (isEmittedKind(m)) {
        const std::vector<std::string> names = javaParameterNames(m);  // the declarations' and the call's
        text += declarations(m, names);
        text += kThrowsOpen;
        text += kBodyIndent;
        text += statement(m, names);
        text += "\r\n";
        text += kIndent;
        text += '}';
    }
    text += "\r\n";
    return text;
}

std::string argumentExpression(const ParamInfo& p, const std::string& javaName) {
    if (!p.isPrimitive || p.byRef >= 1) return javaName;
    return "new " + p.boxedType + "(" + javaName + ")";
}

// The argument expressions of elements first to last, joined by ", ".
std::string arguments(const MemberInfo& m, const std::vector<std::string>& names, int first, int last) {
    std::string text;
    for (int i = first; i <= last && static_cast<std::size_t>(i) < names.size(); ++i) {
        if (i > first) text += ", ";
        text += argumentExpression(element(m, i), names[static_cast<std::size_t>(i)]);
    }
    return text;
}

std::string methodStatement(const MemberInfo& m, const std::vector<std::string>& names) {
    const int n = m.emitCount;
    const ParamInfo& r = element(m, 0);
    const std::string& name = r.name;
    if (n < 2) {
        const std::string call = "invoke(\"" + name + "\")";
        if (r.vt == VT_VOID) return call + ";";
        const bool newEnum = isNewEnum(name);
        std::string x;
        if (r.isPrimitive) x = "((" + r.boxedType + ") " + call + ")" + "." + r.javaType + "Value()";
        else if (r.vt == VT_USERDEFINED && m.viaVtable) x = "new " + r.boxedType + "((UnknownPtr) " + call + ")";
        else if (r.vt == VT_USERDEFINED) x = "new " + r.boxedType + "((DispatchPtr) " + call + ")";
        else x = "(" + r.boxedType + ") " + call;
        return "return " + (newEnum ? std::string(kEnumerationOpen) : "") + x + (newEnum ? ")" : "") + ";";
    }
    const std::string call = "invokeN(\"" + name + std::string(kObjectArray) + arguments(m, names, 1, n - 1) + "}, " +
                             std::to_string(n - 1);
    if (r.vt == VT_VOID) return call + ", false);";
    if (r.isPrimitive) return "return ((" + r.boxedType + ") " + call + "))." + r.javaType + "Value();";
    if (r.vt == VT_USERDEFINED)
        return "return new " + r.boxedType + (m.viaVtable ? "((UnknownPtr) " : "((DispatchPtr) ") + call + "));";
    return "return (" + r.javaType + ") " + call + ");";
}

std::string getStatement(const MemberInfo& m, const std::vector<std::string>& names) {
    const int n = m.emitCount;
    const ParamInfo& r = element(m, 0);
    const std::string& name = r.name;
    const bool withArguments = n >= 2;
    const std::string call = withArguments
                                 ? "getN(\"" + name + std::string(kObjectArray) + arguments(m, names, 1, n - 1) + "}"
                                 : "get(\"" + name + "\"";
    if (r.vt == VT_DISPATCH) return "return (DispatchPtr) " + call + ");";
    // A handle (wireHWND, wireHDC) keeps vt 29 but is a primitive: unboxed, as methods do, not constructed.
    if (r.isPrimitive) return "return ((" + r.boxedType + ") " + call + "))." + r.javaType + "Value();";
    if (r.vt == VT_USERDEFINED)
        return "return new " + r.javaType + (m.viaVtable ? "((UnknownPtr) " : "((DispatchPtr) ") + call + "));";
    const bool newEnum = isNewEnum(name);
    const std::string cast = (newEnum && !withArguments) ? "IUnknown" : r.boxedType;
    return "return " + (newEnum ? std::string(kEnumerationOpen) : "") + "(" + cast + ") " + call +
           (newEnum ? ")" : "") + ");";
}

std::string putStatement(const MemberInfo& m, const std::vector<std::string>& names) {
    const int n = m.emitCount;
    const std::string& name = element(m, 0).name;
    const ParamInfo& v = element(m, n - 1);
    const std::string valueName =
        (n - 1 >= 1 && static_cast<std::size_t>(n - 1) < names.size()) ? names[static_cast<std::size_t>(n - 1)]
                                                                       : "new" + v.name;
    const std::string value = v.isPrimitive ? "new " + v.boxedType + "(" + valueName + ")" : valueName;
    if (n == 2) return "put(\"" + name + "\"" + ", " + value + ");";
    return "putN(\"" + name + std::string(kObjectArray) + arguments(m, names, 1, n - 2) + "}, " + value + ");";
}

std::string statement(const MemberInfo& m, const std::vector<std::string>& names) {
    if (m.invokeKind == INVOKE_FUNC) return methodStatement(m, names);
    if (m.invokeKind == INVOKE_PROPERTYGET) return getStatement(m, names);
    if (isPut(m)) return putStatement(m, names);
    return {};
}

}  // namespace

std::string javadocText(std::string_view doc) {
    std::string text;
    for (std::size_t i = 0; i < doc.size(); ++i) {
        const char next = i + 1 < doc.size() ? doc[i + 1] : '\0';
        if (doc[i] == '*' && next == '/') {
            text += "*&#47;";
            ++i;
        } else if (doc[i] == '\\' && next == 'u') {
            text += "&#92;";
        } else {
            text += doc[i];
        }
    }
    return text;
}

std::vector<std::string> javaParameterNames(const MemberInfo& m, std::set<std::string> taken) {
    const int n = m.emitCount;
    const int count = std::min<int>(n, static_cast<int>(m.elements.size()));
    std::vector<std::string> names(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 1; i < count; ++i) {
        const std::string prefix = (isPut(m) && i == n - 1) ? "new" : "";
        std::string base = element(m, i).name;
        if (base.empty()) base = "arg" + std::to_string(i);
        if (prefix.empty() && isJavaReservedWord(base)) base = "_" + base;
        while (taken.count(prefix + base)) base = "_" + base;
        names[static_cast<std::size_t>(i)] = prefix + base;
        taken.insert(prefix + base);
    }
    return names;
}

std::string parameterList(const MemberInfo& m, const std::set<std::string>& taken) {
    if (m.emitCount < 2 || !isEmittedKind(m)) return {};
    return declarations(m, javaParameterNames(m, taken));
}

std::string callBody(std::string_view bodyIndent, const MemberInfo& m) {
    return std::string(bodyIndent) + statement(m, javaParameterNames(m)) + "\r\n";
}

std::string memberText(UsedNames& usedNames, const MemberInfo& member) {
    if (member.emitCount == -1) return {};
    std::string text = javadocBlock(member.doc);
    if (member.overloads == 1) return text + overloadText(usedNames, member);
    MemberInfo overload = member;  // one more argument each time
    for (std::int32_t i = 0; i < member.overloads; ++i) {
        text += overloadText(usedNames, overload);
        ++overload.emitCount;
    }
    return text;
}

}  // namespace tessivar
