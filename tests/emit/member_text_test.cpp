// Member text: the IGadget example byte for byte, then the overload, naming and call-body rules.
#include <gtest/gtest.h>

#include "emit/member_text.h"
#include "support/golden_compare.h"
#include "mapping/type_mapping.h"

namespace tessivar::test {
namespace {

// An element as the collectors leave it: mapped from vt, by reference when byRef >= 1.
ParamInfo param(std::uint16_t vt, std::string name, std::int32_t byRef = 0, std::string javaType = "") {
    ParamInfo p;
    p.vt = vt;
    p.javaType = std::move(javaType);
    p.byRef = byRef;
    p.name = std::move(name);
    p = mapVarType(p);
    if (byRef >= 1) p.isPrimitive = false;
    return p;
}

MemberInfo member(std::int32_t kind, std::vector<ParamInfo> elements, std::int32_t overloads = 1,
                  std::int16_t emitCount = -2) {
    MemberInfo m;
    m.invokeKind = kind;
    m.emitCount = emitCount == -2 ? static_cast<std::int16_t>(elements.size()) : emitCount;
    m.elements = std::move(elements);
    m.overloads = overloads;
    return m;
}

std::string textOf(const MemberInfo& m) {
    UsedNames used;
    return memberText(used, m);
}

const std::string kEmptyJavadoc = "    /**\r\n     * \r\n     */\r\n";

TEST(MemberText, IGadgetExampleMatchesGolden) {
    UsedNames used;
    std::string text;
    text += memberText(used, member(INVOKE_PROPERTYGET, {param(VT_I4, "Size")}));
    text += memberText(used, member(INVOKE_PROPERTYPUT, {param(VT_VOID, "Size"), param(VT_I4, "Size")}));
    text += memberText(used, member(INVOKE_FUNC, {param(VT_VOID, "Find"), param(VT_I4, "index"),
                                                  param(VT_BSTR, "label", 1)}));
    text += memberText(used, member(INVOKE_FUNC, {param(VT_USERDEFINED, "Owner", 0, "IGadgetOwner")}));
    EXPECT_TRUE(matchesGolden("emit/igadget_members.txt", text));
}

TEST(MemberText, LeftOutMemberAndVarargMember) {
    MemberInfo leftOut = member(INVOKE_FUNC, {param(VT_VOID, "Gone")}, 1, -1);
    leftOut.doc = "not written";
    EXPECT_EQ(textOf(leftOut), "");

    // A variable argument list (cParamsOpt -1) gives overloads 0: the Javadoc block alone.
    MemberInfo vararg = member(INVOKE_FUNC, {param(VT_VOID, "Print"), param(VT_VARIANT, "args")}, 0);
    vararg.doc = "Prints";
    EXPECT_EQ(textOf(vararg), "    /**\r\n     * Prints\r\n     */\r\n");
}

TEST(MemberText, OptionalParametersGiveOneOverloadEach) {
    // Two optional parameters: emitCount counts the result and the required one; three overloads.
    MemberInfo m = member(INVOKE_FUNC, {param(VT_I4, "Add"), param(VT_BSTR, "key"), param(VT_I4, "before"),
                                        param(VT_VARIANT, "tag")},
                          3, 2);
    EXPECT_EQ(textOf(m), kEmptyJavadoc +
                             "    public int Add(java.lang.String key) throws com.corlith.kovra.COMException {\r\n"
                             "        return ((java.lang.Integer) invokeN(\"Add\", new java.lang.Object[]{key}, 1)).intValue();\r\n"
                             "    }\r\n"
                             "    public int Add(java.lang.String key, int before) throws com.corlith.kovra.COMException {\r\n"
                             "        return ((java.lang.Integer) invokeN(\"Add\", new java.lang.Object[]{key, new java.lang.Integer(before)}, 2)).intValue();\r\n"
                             "    }\r\n"
                             "    public int Add(java.lang.String key, int before, java.lang.Object tag) throws com.corlith.kovra.COMException {\r\n"
                             "        return ((java.lang.Integer) invokeN(\"Add\", new java.lang.Object[]{key, new java.lang.Integer(before), tag}, 3)).intValue();\r\n"
                             "    }\r\n");
}

TEST(MemberText, MembersWrittenTogetherMatchMembersWrittenAlone) {
    // appendMembersText keeps the parameter names' storage from member to member: none may carry over
    // ("z" is still in it when Turn is named).
    const std::vector<MemberInfo> members = {
        member(INVOKE_FUNC, {param(VT_VOID, "Move"), param(VT_I4, "x"), param(VT_I4, "y"), param(VT_I4, "z")}),
        member(INVOKE_FUNC, {param(VT_VOID, "Turn"), param(VT_I4, "z"), param(VT_I4, "a"), param(VT_I4, "b")}),
        member(INVOKE_PROPERTYGET, {param(VT_I4, "Count")}),
        member(INVOKE_PROPERTYPUT, {param(VT_VOID, "Item"), param(VT_I4, "x"), param(VT_BSTR, "Item")}),
        member(INVOKE_FUNC, {param(VT_I4, "Add"), param(VT_BSTR, "key"), param(VT_I4, "before")}, 2, 2),
        member(INVOKE_PROPERTYPUT, {param(VT_VOID, "Name"), param(VT_BSTR, "Name")}),
    };
    UsedNames usedAlone, usedTogether;
    std::string alone, together;
    for (const MemberInfo& m : members) alone += memberText(usedAlone, m);
    appendMembersText(together, usedTogether, members);
    EXPECT_EQ(together, alone);
    EXPECT_NE(together.find("public void Turn(int z, int a, int b)"), std::string::npos);
}

TEST(MemberText, UnknownInvokeKindGivesBareSignatureStart) {
    EXPECT_EQ(textOf(member(16, {param(VT_I4, "Odd")})), kEmptyJavadoc + "    public \r\n");
}

TEST(MemberText, GetterAndSetterNamesCollideWithLaterMethodsOnly) {
    UsedNames used;
    memberText(used, member(INVOKE_PROPERTYGET, {param(VT_I4, "Size")}));
    memberText(used, member(INVOKE_PROPERTYPUTREF, {param(VT_VOID, "Font"), param(VT_DISPATCH, "Font")}));
    EXPECT_EQ(used, (UsedNames{"getSize", "setFontRef"}));

    const std::string method = textOf(member(INVOKE_FUNC, {param(VT_VOID, "getSize")}));
    EXPECT_NE(memberText(used, member(INVOKE_FUNC, {param(VT_VOID, "getSize")})), method);
    EXPECT_NE(memberText(used, member(INVOKE_FUNC, {param(VT_VOID, "getSize")})).find(" _getSize()"),
              std::string::npos);
    EXPECT_NE(memberText(used, member(INVOKE_FUNC, {param(VT_VOID, "setFontRef")})).find(" _setFontRef()"),
              std::string::npos);

    // A method name is only looked up: a getter written after it keeps its name.
    UsedNames fresh;
    memberText(fresh, member(INVOKE_FUNC, {param(VT_VOID, "getWidth")}));
    EXPECT_TRUE(fresh.empty());
    EXPECT_NE(memberText(fresh, member(INVOKE_PROPERTYGET, {param(VT_I4, "Width")})).find(" getWidth()"),
              std::string::npos);
}

TEST(MemberText, IdentifierRuleAndJavaReservedWords) {
    struct Case {
        std::int32_t kind;
        std::string name;
        std::string signature;
    };
    const Case cases[] = {
        {INVOKE_FUNC, "equals", "public void _equals("},
        {INVOKE_FUNC, "Equals", "public void Equals("},
        {INVOKE_FUNC, "class", "public void _class("},  // a Java keyword cannot name a method
        {INVOKE_FUNC, "true", "public void _true("},
        {INVOKE_PROPERTYGET, "Class", "public void _getClass("},
        {INVOKE_PROPERTYGET, "class", "public void getclass("},
        {INVOKE_PROPERTYPUT, "Peer", "public void _setPeer("},
    };
    for (const Case& c : cases) {
        std::vector<ParamInfo> elements{param(VT_VOID, c.name)};
        if (c.kind == INVOKE_PROPERTYPUT) elements.push_back(param(VT_I4, c.name));
        EXPECT_NE(textOf(member(c.kind, elements)).find(c.signature), std::string::npos) << c.name;
    }
}

TEST(MemberText, NewEnumInAnyCaseIsAnEnumeration) {
    for (const std::string name : {"_NewEnum", "_NEWENUM", "_newenum"}) {
        const std::string getter = textOf(member(INVOKE_PROPERTYGET, {param(VT_UNKNOWN, name)}));
        EXPECT_NE(getter.find("public java.util.Enumeration get" + name + "() throws"), std::string::npos);
        EXPECT_NE(getter.find("return new com.corlith.kovra.Enumeration((IUnknown) get(\"" + name + "\"));"),
                  std::string::npos);
        const std::string method = textOf(member(INVOKE_FUNC, {param(VT_UNKNOWN, name)}));
        EXPECT_NE(method.find("public java.util.Enumeration " + name + "() throws"), std::string::npos);
        EXPECT_NE(method.find("return new com.corlith.kovra.Enumeration((IUnknown) invoke(\"" + name + "\"));"),
                  std::string::npos);
    }
}

TEST(MemberText, DocumentationThatWouldEndTheCommentOrTheFileIsEscaped) {
    MemberInfo m = member(INVOKE_FUNC, {param(VT_VOID, "Open")}, 0);
    m.doc = "Opens C:\\users\\x.txt */ or \\\\u0041 */";
    EXPECT_EQ(textOf(m), "    /**\r\n     * Opens C:&#92;users\\x.txt *&#47; or \\&#92;u0041 *&#47;\r\n     */\r\n");
}

TEST(ParameterList, TypesNamesAndHolders) {
    EXPECT_EQ(parameterList(member(INVOKE_FUNC, {param(VT_VOID, "M")})), "");
    EXPECT_EQ(parameterList(member(INVOKE_FUNC, {param(VT_VOID, "M"), param(VT_I4, "a"), param(VT_I4, "b", 1),
                                                 param(VT_DISPATCH, "c", 2), param(VT_DECIMAL, "d", 1)})),
              "int a, IntegerRef b, ObjectRef c, Decimal d");
    // A setter's value is "new" + its name; an index keeps its own.
    EXPECT_EQ(parameterList(member(INVOKE_PROPERTYPUT, {param(VT_VOID, "Item"), param(VT_I4, "index"),
                                                        param(VT_BSTR, "Item")})),
              "int index, java.lang.String newItem");
    // A setter's value without a Java type is left out with its separator.
    EXPECT_EQ(parameterList(member(INVOKE_PROPERTYPUT, {param(VT_VOID, "Name"), param(VT_I4, "index"),
                                                        param(VT_LPSTR, "Name")})),
              "int index");
    EXPECT_EQ(parameterList(member(16, {param(VT_VOID, "M"), param(VT_I4, "a")})), "");
}

TEST(ParameterList, NamesThatCannotCompileAreMadeUnique) {
    MemberInfo m = member(INVOKE_FUNC, {param(VT_VOID, "M"), param(VT_I4, ""), param(VT_I4, "default"),
                                        param(VT_I4, "a"), param(VT_I4, "a"), param(VT_I4, "_a"), param(VT_I4, "arg1")});
    EXPECT_EQ(parameterList(m), "int arg1, int _default, int a, int _a, int __a, int _arg1");
    EXPECT_EQ(callBody("", m),
              "invokeN(\"M\", new java.lang.Object[]{new java.lang.Integer(arg1), new java.lang.Integer(_default), "
              "new java.lang.Integer(a), new java.lang.Integer(_a), new java.lang.Integer(__a), "
              "new java.lang.Integer(_arg1)}, 6, false);\r\n");
    // An unnamed setter value is not the keyword "new".
    MemberInfo put = member(INVOKE_PROPERTYPUT, {param(VT_VOID, ""), param(VT_I4, "")});
    EXPECT_EQ(parameterList(put), "int newarg1");
    EXPECT_EQ(callBody("", put), "put(\"\", new java.lang.Integer(newarg1));\r\n");
    EXPECT_EQ(parameterList(member(INVOKE_FUNC, {param(VT_VOID, "M"), param(VT_I4, "srcObj")}), {"srcObj"}),
              "int _srcObj");
}

struct BodyCase {
    const char* what;
    MemberInfo member;
    std::string statement;
};

TEST(CallBody, EveryInvokeKindAndResultKind) {
    MemberInfo vtableOwner = member(INVOKE_FUNC, {param(VT_USERDEFINED, "Owner", 0, "IOwner")});
    vtableOwner.viaVtable = true;
    MemberInfo vtableGet = member(INVOKE_PROPERTYGET, {param(VT_USERDEFINED, "Item", 0, "IOwner"), param(VT_I4, "i")});
    vtableGet.viaVtable = true;
    MemberInfo vtableFind = member(INVOKE_FUNC, {param(VT_USERDEFINED, "Find", 0, "IOwner"), param(VT_I4, "i")});
    vtableFind.viaVtable = true;
    // A window handle keeps vt 29 with a primitive Java type.
    const ParamInfo handle = mapSpecialType(param(VT_USERDEFINED, "Window", 0, "wireHWND"));

    const BodyCase cases[] = {
        {"void method", member(INVOKE_FUNC, {param(VT_VOID, "Go")}), "invoke(\"Go\");"},
        {"primitive method", member(INVOKE_FUNC, {param(VT_BOOL, "On")}),
         "return ((java.lang.Boolean) invoke(\"On\")).booleanValue();"},
        {"object method", member(INVOKE_FUNC, {param(VT_BSTR, "Text")}),
         "return (java.lang.String) invoke(\"Text\");"},
        {"dispatch method", member(INVOKE_FUNC, {param(VT_DISPATCH, "Parent")}),
         "return (DispatchPtr) invoke(\"Parent\");"},
        {"user-defined method", member(INVOKE_FUNC, {param(VT_USERDEFINED, "Owner", 0, "IOwner")}),
         "return new IOwner((DispatchPtr) invoke(\"Owner\"));"},
        {"user-defined vtable method", vtableOwner, "return new IOwner((UnknownPtr) invoke(\"Owner\"));"},
        {"void method with arguments", member(INVOKE_FUNC, {param(VT_VOID, "Go"), param(VT_R8, "x")}),
         "invokeN(\"Go\", new java.lang.Object[]{new java.lang.Double(x)}, 1, false);"},
        {"primitive method with arguments", member(INVOKE_FUNC, {param(VT_UI2, "Ch"), param(VT_I2, "i")}),
         "return ((java.lang.Character) invokeN(\"Ch\", new java.lang.Object[]{new java.lang.Short(i)}, 1)).charValue();"},
        {"user-defined method with arguments",
         member(INVOKE_FUNC, {param(VT_USERDEFINED, "Find", 0, "IOwner"), param(VT_I4, "i")}),
         "return new IOwner((DispatchPtr) invokeN(\"Find\", new java.lang.Object[]{new java.lang.Integer(i)}, 1));"},
        {"user-defined vtable method with arguments", vtableFind,
         "return new IOwner((UnknownPtr) invokeN(\"Find\", new java.lang.Object[]{new java.lang.Integer(i)}, 1));"},
        {"object method with arguments", member(INVOKE_FUNC, {param(VT_DATE, "When"), param(VT_BSTR, "s")}),
         "return (java.util.Date) invokeN(\"When\", new java.lang.Object[]{s}, 1);"},
        {"_NewEnum method with arguments", member(INVOKE_FUNC, {param(VT_UNKNOWN, "_NewEnum"), param(VT_I4, "i")}),
         "return (IUnknown) invokeN(\"_NewEnum\", new java.lang.Object[]{new java.lang.Integer(i)}, 1);"},
        {"by-reference argument", member(INVOKE_FUNC, {param(VT_VOID, "Swap"), param(VT_I4, "a", 1)}),
         "invokeN(\"Swap\", new java.lang.Object[]{a}, 1, false);"},
        {"dispatch getter", member(INVOKE_PROPERTYGET, {param(VT_DISPATCH, "Parent")}),
         "return (DispatchPtr) get(\"Parent\");"},
        {"dispatch getter with arguments", member(INVOKE_PROPERTYGET, {param(VT_DISPATCH, "Item"), param(VT_I4, "i")}),
         "return (DispatchPtr) getN(\"Item\", new java.lang.Object[]{new java.lang.Integer(i)});"},
        {"user-defined getter", member(INVOKE_PROPERTYGET, {param(VT_USERDEFINED, "Owner", 0, "IOwner")}),
         "return new IOwner((DispatchPtr) get(\"Owner\"));"},
        {"user-defined vtable getter with arguments", vtableGet,
         "return new IOwner((UnknownPtr) getN(\"Item\", new java.lang.Object[]{new java.lang.Integer(i)}));"},
        {"primitive getter with arguments", member(INVOKE_PROPERTYGET, {param(VT_R4, "Scale"), param(VT_I4, "i")}),
         "return ((java.lang.Float) getN(\"Scale\", new java.lang.Object[]{new java.lang.Integer(i)})).floatValue();"},
        {"object getter", member(INVOKE_PROPERTYGET, {param(VT_VARIANT, "Value")}),
         "return (java.lang.Object) get(\"Value\");"},
        {"_NewEnum getter with arguments", member(INVOKE_PROPERTYGET, {param(VT_UNKNOWN, "_newEnum"), param(VT_I4, "i")}),
         "return new com.corlith.kovra.Enumeration((IUnknown) getN(\"_newEnum\", new java.lang.Object[]{new java.lang.Integer(i)}));"},
        {"handle getter", member(INVOKE_PROPERTYGET, {handle}), "return ((java.lang.Long) get(\"Window\")).longValue();"},
        {"handle method", member(INVOKE_FUNC, {handle}), "return ((java.lang.Long) invoke(\"Window\")).longValue();"},
        {"object setter", member(INVOKE_PROPERTYPUT, {param(VT_VOID, "Caption"), param(VT_BSTR, "Caption")}),
         "put(\"Caption\", newCaption);"},
        {"setter by reference", member(INVOKE_PROPERTYPUTREF, {param(VT_VOID, "Font"), param(VT_DISPATCH, "Font")}),
         "put(\"Font\", newFont);"},
        {"indexed setter",
         member(INVOKE_PROPERTYPUT, {param(VT_VOID, "Cell"), param(VT_I4, "row"), param(VT_BSTR, "col"), param(VT_BOOL, "Cell")}),
         "putN(\"Cell\", new java.lang.Object[]{new java.lang.Integer(row), col}, new java.lang.Boolean(newCell));"},
    };
    for (const BodyCase& c : cases) EXPECT_EQ(callBody("        ", c.member), "        " + c.statement + "\r\n") << c.what;
}

}  // namespace
}  // namespace tessivar::test
