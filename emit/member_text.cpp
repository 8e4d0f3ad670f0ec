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
std::string declarations(const MemberInfo& m, int n, const ParameterNames& names) {
    std::string out;
    for (int i = 1; i < n && static_cast<std::size_t>(i) < names.size(); ++i) {
        const ParamInfo& p = m.element(i);
        if (m.isPut() && i == n - 1 && p.javaType.empty()) break;
        if (i > 1) out += ", ";
        if (p.byRef < 1) out += p.javaType;
        else out += refHolderName(p);
        appendParts(out, " ", names[static_cast<std::size_t>(i)]);
    }
    return out;
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

// The forms of a result: a primitive unboxed, an object of a generated type constructed from the pointer
// the call gives, any other object cast.
std::string unboxed(const ParamInfo& r, std::string_view call) {
    std::string value;
    appendParts(value, "((", r.boxedType(), ") ", call, ").", r.javaType, "Value()");
    return value;
}

std::string constructed(std::string_view type, const MemberInfo& m, std::string_view call) {
    std::string value;
    appendParts(value, "new ", type, m.viaVtable ? "((UnknownPtr) " : "((DispatchPtr) ", call, ")");
    return value;
}

std::string cast(std::string_view type, std::string_view call) {
    std::string value;
    appendParts(value, "(", type, ") ", call);
    return value;
}

std::string enumeration(std::string_view value) {
    std::string enumerator;
    appendParts(enumerator, "new com.corlith.kovra.Enumeration(", value, ")");
    return enumerator;
}

// invoke("name") without arguments; invokeN("name", new java.lang.Object[]{...}, count) with them, and
// then false after the count when no result is wanted.
std::string invokeCall(const MemberInfo& m, int n, const ParameterNames& names, bool noResult) {
    std::string call;
    const std::string name = javaStringText(m.element(0).name);
    if (n < 2) {
        appendParts(call, "invoke(\"", name, "\")");
        return call;
    }
    appendParts(call, "invokeN(\"", name, "\", ");
    addArgumentArray(call, m, names, 1, n - 1);
    appendParts(call, ", ", std::to_string(n - 1), noResult ? ", false)" : ")");
    return call;
}

void addMethodStatement(std::string& out, const MemberInfo& m, int n, const ParameterNames& names) {
    const ParamInfo& r = m.element(0);
    if (r.vt == VT_VOID) {
        addLine(out, "        ", invokeCall(m, n, names, true), ";");
        return;
    }
    const std::string call = invokeCall(m, n, names, false);
    const bool withArguments = n >= 2;
    std::string value;
    if (r.isPrimitive) value = unboxed(r, call);
    else if (r.vt == VT_USERDEFINED) value = constructed(r.boxedType(), m, call);
    else value = cast(withArguments ? r.javaType : r.boxedType(), call);
    // The enumerator of a call without arguments is handed over as a java.util.Enumeration.
    if (isNewEnum(r.name) && !withArguments) value = enumeration(value);
    addLine(out, "        return ", value, ";");
}

// get("name") without arguments; getN("name", new java.lang.Object[]{...}) with them.
std::string getCall(const MemberInfo& m, int n, const ParameterNames& names) {
    std::string call;
    const std::string name = javaStringText(m.element(0).name);
    if (n < 2) {
        appendParts(call, "get(\"", name, "\")");
        return call;
    }
    appendParts(call, "getN(\"", name, "\", ");
    addArgumentArray(call, m, names, 1, n - 1);
    call += ")";
    return call;
}

void addGetStatement(std::string& out, const MemberInfo& m, int n, const ParameterNames& names) {
    const ParamInfo& r = m.element(0);
    const std::string call = getCall(m, n, names);
    std::string value;
    if (r.vt == VT_DISPATCH) value = cast("DispatchPtr", call);
    // A handle (wireHWND, wireHDC) keeps vt 29 but is a primitive: unboxed, as methods do, not constructed.
    else if (r.isPrimitive) value = unboxed(r, call);
    else if (r.vt == VT_USERDEFINED) value = constructed(r.javaType, m, call);
    else if (isNewEnum(r.name)) value = enumeration(cast(n < 2 ? "IUnknown" : r.boxedType(), call));
    else value = cast(r.boxedType(), call);
    addLine(out, "        return ", value, ";");
}

// put("name", value) for the value alone; putN("name", new java.lang.Object[]{...}, value) with indices.
void addPutStatement(std::string& out, const MemberInfo& m, int n, const ParameterNames& names) {
    std::string call;
    const std::string name = javaStringText(m.element(0).name);
    if (n == 2) {
        appendParts(call, "put(\"", name, "\", ");
    } else {
        appendParts(call, "putN(\"", name, "\", ");
        addArgumentArray(call, m, names, 1, n - 2);
        call += ", ";
    }
    addArgument(call, m.element(n - 1), putValueName(m, n, names));
    addLine(out, "        ", call, ");");
}

// The wrapper method of the overload that uses n elements. A kind with no Java form gets the start of a
// signature alone.
void addOverload(std::string& out, const MemberInfo& m, const std::string& javaName, int n, NameChanges* changes) {
    if (!isEmittedKind(m)) {
        addLine(out, "    public ");
        return;
    }
    const ParameterNames names = parameterNames(m, n, {}, changes);
    addLine(out, "    public ", resultType(m), " ", javaName, "(", declarations(m, n, names),
            ") throws com.corlith.kovra.COMException {");
    if (m.invokeKind == INVOKE_FUNC) addMethodStatement(out, m, n, names);
    else if (m.invokeKind == INVOKE_PROPERTYGET) addGetStatement(out, m, n, names);
    else addPutStatement(out, m, n, names);
    addLine(out, "    }");
}

}  // namespace

std::string parameterList(const MemberInfo& m, std::initializer_list<std::string_view> taken, NameChanges* changes) {
    if (!isEmittedKind(m)) return {};
    return declarations(m, m.emitCount, parameterNames(m, m.emitCount, taken, changes));
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

void appendMembersText(std::string& out, UsedNames& usedNames, const std::vector<MemberInfo>& members,
                       NameChanges* changes) {
    for (const MemberInfo& member : members) appendMemberText(out, usedNames, member, changes);
}

}  // namespace tessivar
