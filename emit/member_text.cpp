// Member text: the Javadoc block of a member, then per overload
//     public RESULT NAME(DECLARATIONS) throws com.corlith.kovra.COMException {
//         STATEMENT
//     }
// where the statement makes the late-bound call: invoke for a method, get for a getter, put for a setter.
#include "emit/member_text.h"

#include "emit/java_lines.h"
#include "mapping/java_text.h"
#include "mapping/type_mapping.h"

namespace tessivar {
namespace {

bool isEmittedKind(const MemberInfo& m) {
    return m.invokeKind == INVOKE_FUNC || m.invokeKind == INVOKE_PROPERTYGET || m.isPut();
}

bool isNewEnum(std::string_view name) { return equalsIgnoreCase(name, "_newenum"); }

std::string_view resultType(const MemberInfo& m) {
    if (m.isPut()) return "void";
    const ParamInfo& r = m.element(0);
    return isNewEnum(r.name) ? "java.util.Enumeration" : std::string_view(r.javaType);
}

// The declarations of the parameters of the overload that uses n elements, without parentheses. A put's
// value without a Java type is left out.
void addDeclarations(std::string& out, const MemberInfo& m, int n, const ParameterNames& names) {
    for (int i = 1; i < n && static_cast<std::size_t>(i) < names.size(); ++i) {
        const ParamInfo& p = m.element(i);
        if (m.isPut() && i == n - 1 && p.javaType.empty()) break;
        if (i > 1) out += ", ";
        if (p.byRef < 1) out += p.javaType;
        else out += refHolderName(p);
        appendParts(out, " ", names[static_cast<std::size_t>(i)]);
    }
}

// What the call passes for a parameter: a primitive boxed, anything else as it is.
void addArgument(std::string& out, const ParamInfo& p, std::string_view name) {
    if (p.isPrimitive) appendParts(out, "new ", p.boxedType(), "(", name, ")");
    else out += name;
}

// new java.lang.Object[]{...} with the arguments of elements first to last.
void addArgumentArray(std::string& out, const MemberInfo& m, const ParameterNames& names, int first, int last) {
    out += "new java.lang.Object[]{";
    for (int i = first; i <= last && static_cast<std::size_t>(i) < names.size(); ++i) {
        if (i > first) out += ", ";
        addArgument(out, m.element(i), names[static_cast<std::size_t>(i)]);
    }
    out += "}";
}

// verb("name" alone, or verbN("name", new java.lang.Object[]{...} with the arguments of elements 1 to last:
// the call up to what follows its arguments.
void addCallStart(std::string& out, std::string_view verb, const MemberInfo& m, const ParameterNames& names,
                  bool withArguments, int last) {
    appendParts(out, verb, withArguments ? "N(\"" : "(\"");
    appendJavaStringText(out, m.element(0).name);
    out += '"';
    if (!withArguments) return;
    out += ", ";
    addArgumentArray(out, m, names, 1, last);
}

// invoke("name") without arguments; invokeN("name", new java.lang.Object[]{...}, count) with them, and
// then false after the count when no result is wanted.
std::string invokeCall(const MemberInfo& m, int n, const ParameterNames& names, bool noResult) {
    std::string call;
    addCallStart(call, "invoke", m, names, n >= 2, n - 1);
    if (n < 2) call += ")";
    else appendParts(call, ", ", std::to_string(n - 1), noResult ? ", false)" : ")");
    return call;
}

// get("name") without arguments; getN("name", new java.lang.Object[]{...}) with them.
std::string getCall(const MemberInfo& m, int n, const ParameterNames& names) {
    std::string call;
    addCallStart(call, "get", m, names, n >= 2, n - 1);
    call += ")";
    return call;
}

// The forms of a result: a primitive unboxed, an object of a generated type constructed from the pointer
// the call gives, any other object cast.
void addUnboxed(std::string& out, const ParamInfo& r, std::string_view call) {
    appendParts(out, "((", r.boxedType(), ") ", call, ").", r.javaType, "Value()");
}

void addConstructed(std::string& out, std::string_view type, const MemberInfo& m, std::string_view call) {
    appendParts(out, "new ", type, m.viaVtable ? "((UnknownPtr) " : "((DispatchPtr) ", call, ")");
}

void addCast(std::string& out, std::string_view type, std::string_view call) {
    appendParts(out, "(", type, ") ", call);
}

// An enumerator is handed over as a java.util.Enumeration: its value goes between this and ")".
constexpr std::string_view kEnumerationStart = "new com.corlith.kovra.Enumeration(";

void addMethodStatement(std::string& out, const MemberInfo& m, int n, const ParameterNames& names) {
    const ParamInfo& r = m.element(0);
    if (r.vt == VT_VOID) {
        addLine(out, "        ", invokeCall(m, n, names, true), ";");
        return;
    }
    const std::string call = invokeCall(m, n, names, false);
    const bool withArguments = n >= 2;
    // The enumerator of a call without arguments is handed over as a java.util.Enumeration.
    const bool enumeration = isNewEnum(r.name) && !withArguments;
    out += "        return ";
    if (enumeration) out += kEnumerationStart;
    if (r.isPrimitive) addUnboxed(out, r, call);
    else if (r.vt == VT_USERDEFINED) addConstructed(out, r.boxedType(), m, call);
    else addCast(out, withArguments ? r.javaType : r.boxedType(), call);
    addLine(out, enumeration ? ");" : ";");
}

void addGetStatement(std::string& out, const MemberInfo& m, int n, const ParameterNames& names) {
    const ParamInfo& r = m.element(0);
    const std::string call = getCall(m, n, names);
    out += "        return ";
    if (r.vt == VT_DISPATCH) {
        addCast(out, "DispatchPtr", call);
    } else if (r.isPrimitive) {
        // A handle (wireHWND, wireHDC) keeps vt 29 but is a primitive: unboxed, as methods do, not constructed.
        addUnboxed(out, r, call);
    } else if (r.vt == VT_USERDEFINED) {
        addConstructed(out, r.javaType, m, call);
    } else if (isNewEnum(r.name)) {
        out += kEnumerationStart;
        addCast(out, n < 2 ? "IUnknown" : r.boxedType(), call);
        out += ")";
    } else {
        addCast(out, r.boxedType(), call);
    }
    addLine(out, ";");
}

// put("name", value) for the value alone; putN("name", new java.lang.Object[]{...}, value) with indices.
void addPutStatement(std::string& out, const MemberInfo& m, int n, const ParameterNames& names) {
    out += "        ";
    addCallStart(out, "put", m, names, n != 2, n - 2);
    out += ", ";
    addArgument(out, m.element(n - 1), putValueName(m, n, names));
    addLine(out, ");");
}

// The wrapper method of the overload that uses n elements. A kind with no Java form gets the start of a
// signature alone.
void addOverload(std::string& out, const MemberInfo& m, const std::string& javaName, int n, NameChanges* changes) {
    if (!isEmittedKind(m)) {
        addLine(out, "    public ");
        return;
    }
    const ParameterNames names = parameterNames(m, n, {}, changes);
    appendParts(out, "    public ", resultType(m), " ", javaName, "(");
    addDeclarations(out, m, n, names);
    addLine(out, ") throws com.corlith.kovra.COMException {");
    if (m.invokeKind == INVOKE_FUNC) addMethodStatement(out, m, n, names);
    else if (m.invokeKind == INVOKE_PROPERTYGET) addGetStatement(out, m, n, names);
    else addPutStatement(out, m, n, names);
    addLine(out, "    }");
}

}  // namespace

std::string parameterList(const MemberInfo& m, std::initializer_list<std::string_view> taken, NameChanges* changes) {
    std::string out;
    if (isEmittedKind(m)) addDeclarations(out, m, m.emitCount, parameterNames(m, m.emitCount, taken, changes));
    return out;
}

void appendMemberText(std::string& out, UsedNames& usedNames, const MemberInfo& member, NameChanges* changes) {
    if (member.emitCount == -1) return;
    addJavadoc(out, javadocText(member.doc));
    if (member.overloads < 1) return;
    const std::string name = proxyMemberName(usedNames, member, changes);
    // One more argument each time; the count wraps as the 16-bit emitCount it continues.
    for (std::int32_t i = 0; i < member.overloads; ++i)
        addOverload(out, member, name, static_cast<std::int16_t>(member.emitCount + i), changes);
}

}  // namespace tessivar
