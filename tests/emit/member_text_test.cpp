// Member text of members collected as a proxy collects them: the IGadget example byte for byte, then the
// overload, naming and call-body rules.
#include <gtest/gtest.h>

#include "emit/member_collector.h"
#include "emit/member_text.h"
#include "support/golden_compare.h"
#include "support/memory_typelib.h"

namespace tessivar::test {
namespace {

// A function of the interface under test.
struct Func {
    std::int32_t kind = INVOKE_FUNC;
    TypeDesc result = vt(VT_VOID);
    std::vector<TypeDesc> params = {};
    std::vector<std::string> names = {};  // the member's, then its parameters'
    std::int16_t cParamsOpt = 0;
    FuncKind funckind = FUNC_DISPATCH;  // FUNC_PUREVIRTUAL: a vtable function, its last parameter the retval
    std::string doc = {};
};

// IGadget, a dispatch interface of the widgets library, whose functions are collected and written as its
// proxy collects and writes them.
class MemberTextTest : public ::testing::Test {
protected:
    MemberTextTest() { recorder.currentLibName = "widgets"; }

    // Adds the function to IGadget; returns its member's index.
    std::size_t add(Func f) {
        FuncDesc desc =
            makeFunc(nextMemid++, static_cast<InvokeKind>(f.kind), f.funckind, f.result, f.params, f.cParamsOpt);
        if (f.funckind != FUNC_DISPATCH && !desc.params.empty())
            desc.params.back().paramDesc.flags = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;
        MemoryType& type = lib->type(gadget);
        type.funcs.push_back(MemoryFunc{std::move(desc), std::move(f.names), std::move(f.doc)});
        return type.funcs.size() - 1;
    }

    std::vector<MemberInfo> members() {
        TypeAttr attr;
        EXPECT_EQ(lib->info(gadget)->typeAttr(attr), kOk);
        std::vector<MemberInfo> collected;
        forEachMember(recorder, lib->info(gadget), attr, [&](const MemberInfo& m) { collected.push_back(m); });
        return collected;
    }

    // The text of member `index` written alone.
    std::string textOf(std::size_t index) {
        UsedNames used;
        std::string text;
        appendMemberText(text, used, members().at(index));
        return text;
    }
    std::string textOf(Func f) { return textOf(add(std::move(f))); }

    // The text of every member written together.
    std::string allText(UsedNames& used, NameChanges* changes = nullptr) {
        std::string text;
        for (const MemberInfo& member : members()) appendMemberText(text, used, member, changes);
        return text;
    }

    std::string parametersOf(Func f, std::initializer_list<std::string_view> taken = {}) {
        const std::size_t index = add(std::move(f));
        return parameterList(members().at(index), taken);
    }

    // A pointer to an interface of the library, as a function of IGadget refers to it.
    TypeDesc pointerTo(const std::string& name) {
        const unsigned target = lib->addInterface(name, guidOf(nextGuid++), TKIND_DISPATCH, 0);
        return ptr(userDefined(lib->addRef(gadget, lib, target)));
    }

    TypeRecorder recorder;
    std::shared_ptr<MemoryTypeLib> lib = MemoryTypeLib::create("widgets", guidOf(1));
    unsigned gadget = lib->addInterface("IGadget", guidOf(2), TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE);
    MemberId nextMemid = 1;
    std::uint32_t nextGuid = 10;
};

const std::string kEmptyJavadoc = "    /**\r\n     * \r\n     */\r\n";

TEST_F(MemberTextTest, IGadgetExampleMatchesGolden) {
    add({.kind = INVOKE_PROPERTYGET, .result = vt(VT_I4), .names = {"Size"}});
    add({.kind = INVOKE_PROPERTYPUT, .params = {vt(VT_I4)}, .names = {"Size"}});
    add({.params = {vt(VT_I4), ptr(vt(VT_BSTR))}, .names = {"Find", "index", "label"}});
    add({.result = pointerTo("IGadgetOwner"), .names = {"Owner"}});
    UsedNames used;
    EXPECT_TRUE(matchesGolden("emit/igadget_members.txt", allText(used)));
}

TEST_F(MemberTextTest, LeftOutMemberAndVarargMember) {
    // More optional parameters than elements by one: emitCount -1, the member is left out.
    EXPECT_EQ(textOf({.names = {"Gone"}, .cParamsOpt = 2, .doc = "not written"}), "");

    // A variable argument list (cParamsOpt -1) gives overloads 0: the Javadoc block alone.
    EXPECT_EQ(textOf({.params = {vt(VT_VARIANT)}, .names = {"Print", "args"}, .cParamsOpt = -1, .doc = "Prints"}),
              "    /**\r\n     * Prints\r\n     */\r\n");
}

TEST_F(MemberTextTest, OptionalParametersGiveOneOverloadEach) {
    // Two optional parameters: emitCount counts the result and the required one; three overloads.
    EXPECT_EQ(textOf({.result = vt(VT_I4), .params = {vt(VT_BSTR), vt(VT_I4), vt(VT_VARIANT)},
                      .names = {"Add", "key", "before", "tag"}, .cParamsOpt = 2}),
              kEmptyJavadoc +
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

TEST_F(MemberTextTest, MembersWrittenTogetherMatchMembersWrittenAlone) {
    // Each member names its own parameters: none carries over from the one before ("z" is Move's too).
    add({.params = {vt(VT_I4), vt(VT_I4), vt(VT_I4)}, .names = {"Move", "x", "y", "z"}});
    add({.params = {vt(VT_I4), vt(VT_I4), vt(VT_I4)}, .names = {"Turn", "z", "a", "b"}});
    add({.kind = INVOKE_PROPERTYGET, .result = vt(VT_I4), .names = {"Count"}});
    add({.kind = INVOKE_PROPERTYPUT, .params = {vt(VT_I4), vt(VT_BSTR)}, .names = {"Item", "x"}});
    add({.result = vt(VT_I4), .params = {vt(VT_BSTR), vt(VT_I4)}, .names = {"Add", "key", "before"}, .cParamsOpt = 1});
    add({.kind = INVOKE_PROPERTYPUT, .params = {vt(VT_BSTR)}, .names = {"Name"}});
    UsedNames usedAlone, usedTogether;
    std::string alone;
    for (const MemberInfo& m : members()) appendMemberText(alone, usedAlone, m);
    const std::string together = allText(usedTogether);
    EXPECT_EQ(together, alone);
    EXPECT_NE(together.find("public void Turn(int z, int a, int b)"), std::string::npos);
}

TEST_F(MemberTextTest, UnknownInvokeKindGivesBareSignatureStart) {
    EXPECT_EQ(textOf({.kind = 16, .result = vt(VT_I4), .names = {"Odd"}}), kEmptyJavadoc + "    public \r\n");
}

TEST_F(MemberTextTest, GetterAndSetterNamesCollideWithLaterMethodsOnly) {
    add({.kind = INVOKE_PROPERTYGET, .result = vt(VT_I4), .names = {"Size"}});
    add({.kind = INVOKE_PROPERTYPUTREF, .params = {vt(VT_DISPATCH)}, .names = {"Font"}});
    add({.names = {"getSize"}});
    add({.names = {"setFontRef"}});
    UsedNames used;
    const std::string text = allText(used);
    EXPECT_EQ(used, (UsedNames{"getSize", "setFontRef"}));
    EXPECT_NE(text.find("public void _getSize()"), std::string::npos);
    EXPECT_NE(text.find("public void _setFontRef()"), std::string::npos);
    EXPECT_NE(textOf(2).find("public void getSize()"), std::string::npos);
}

TEST_F(MemberTextTest, AMethodNameIsOnlyLookedUp) {
    // A getter written after a method of its name keeps its name.
    add({.names = {"getWidth"}});
    add({.kind = INVOKE_PROPERTYGET, .result = vt(VT_I4), .names = {"Width"}});
    const std::vector<MemberInfo> collected = members();
    UsedNames used;
    std::string text;
    appendMemberText(text, used, collected[0]);
    EXPECT_TRUE(used.empty());
    appendMemberText(text, used, collected[1]);
    EXPECT_NE(text.find("public int getWidth()"), std::string::npos);
}

TEST_F(MemberTextTest, IdentifierRuleAndJavaReservedWords) {
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
        Func f{.kind = c.kind, .names = {c.name}};
        if (c.kind == INVOKE_PROPERTYPUT) f.params = {vt(VT_I4)};
        EXPECT_NE(textOf(f).find(c.signature), std::string::npos) << c.name;
    }
}

TEST_F(MemberTextTest, NameChangesAreTheNamesWrittenOtherwise) {
    add({.kind = INVOKE_PROPERTYGET, .result = vt(VT_I4), .names = {"Size"}});
    add({.kind = INVOKE_PROPERTYGET, .result = vt(VT_I4), .names = {"Class"}});
    add({.kind = INVOKE_PROPERTYPUTREF, .params = {vt(VT_DISPATCH)}, .names = {"a-b"}});
    add({.params = {vt(VT_I4), vt(VT_I4)}, .names = {"class", "default", "index"}});
    add({.kind = INVOKE_PROPERTYPUT, .params = {vt(VT_I4), vt(VT_I4)}, .names = {"x y", "row"}});
    add({.names = {"getSize"}});  // '_' for a name in use is no change of the outside name
    UsedNames used;
    NameChanges changes;
    allText(used, &changes);
    EXPECT_EQ(changes, (NameChanges{{"Class", "_getClass"},
                                    {"a-b", "seta_bRef"},
                                    {"a-b", "newa_b"},
                                    {"class", "_class"},
                                    {"default", "_default"},
                                    {"x y", "setx_y"},
                                    {"x y", "newx_y"}}));
}

TEST_F(MemberTextTest, NewEnumInAnyCaseIsAnEnumeration) {
    for (const std::string name : {"_NewEnum", "_NEWENUM", "_newenum"}) {
        const std::string getter = textOf({.kind = INVOKE_PROPERTYGET, .result = vt(VT_UNKNOWN), .names = {name}});
        EXPECT_NE(getter.find("public java.util.Enumeration get" + name + "() throws"), std::string::npos);
        EXPECT_NE(getter.find("return new com.corlith.kovra.Enumeration((IUnknown) get(\"" + name + "\"));"),
                  std::string::npos);
        const std::string method = textOf({.result = vt(VT_UNKNOWN), .names = {name}});
        EXPECT_NE(method.find("public java.util.Enumeration " + name + "() throws"), std::string::npos);
        EXPECT_NE(method.find("return new com.corlith.kovra.Enumeration((IUnknown) invoke(\"" + name + "\"));"),
                  std::string::npos);
    }
}

TEST_F(MemberTextTest, DocumentationThatWouldEndTheCommentOrTheFileIsEscaped) {
    EXPECT_EQ(textOf({.names = {"Open"}, .cParamsOpt = -1, .doc = "Opens C:\\users\\x.txt */ or \\\\u0041 */"}),
              "    /**\r\n     * Opens C:&#92;users\\x.txt *&#47; or \\&#92;u0041 *&#47;\r\n     */\r\n");
}

TEST_F(MemberTextTest, ParameterListTypesNamesAndHolders) {
    EXPECT_EQ(parametersOf({.names = {"M"}}), "");
    EXPECT_EQ(parametersOf({.params = {vt(VT_I4), ptr(vt(VT_I4)), ptr(ptr(vt(VT_DISPATCH))), ptr(vt(VT_DECIMAL))},
                            .names = {"M", "a", "b", "c", "d"}}),
              "int a, IntegerRef b, ObjectRef c, Decimal d");
    // A setter's value is "new" + its name; an index keeps its own.
    EXPECT_EQ(parametersOf({.kind = INVOKE_PROPERTYPUT, .params = {vt(VT_I4), vt(VT_BSTR)},
                            .names = {"Item", "index"}}),
              "int index, java.lang.String newItem");
    // A setter's value without a Java type is left out with its separator.
    EXPECT_EQ(parametersOf({.kind = INVOKE_PROPERTYPUT, .params = {vt(VT_I4), vt(VT_LPSTR)},
                            .names = {"Name", "index"}}),
              "int index");
    EXPECT_EQ(parametersOf({.kind = 16, .params = {vt(VT_I4)}, .names = {"M", "a"}}), "");
}

TEST_F(MemberTextTest, ParameterNamesThatCannotCompileAreMadeUnique) {
    const std::string text = textOf({.params = std::vector<TypeDesc>(6, vt(VT_I4)),
                                     .names = {"M", "", "default", "a", "a", "_a", "arg1"}});
    EXPECT_NE(text.find("M(int arg1, int _default, int a, int _a, int __a, int _arg1)"), std::string::npos);
    EXPECT_NE(text.find("        invokeN(\"M\", new java.lang.Object[]{new java.lang.Integer(arg1), "
                        "new java.lang.Integer(_default), new java.lang.Integer(a), new java.lang.Integer(_a), "
                        "new java.lang.Integer(__a), new java.lang.Integer(_arg1)}, 6, false);\r\n"),
              std::string::npos);
    // An unnamed setter value is not the keyword "new".
    const std::string put = textOf({.kind = INVOKE_PROPERTYPUT, .params = {vt(VT_I4)}, .names = {""}});
    EXPECT_NE(put.find("(int newarg1)"), std::string::npos);
    EXPECT_NE(put.find("        put(\"\", new java.lang.Integer(newarg1));\r\n"), std::string::npos);
    EXPECT_EQ(parametersOf({.params = {vt(VT_I4)}, .names = {"M", "srcObj"}}, {"srcObj"}), "int _srcObj");
}

TEST_F(MemberTextTest, CallBodyOfEveryInvokeKindAndResultKind) {
    const TypeDesc owner = pointerTo("IOwner");
    // A window handle keeps vt 29 with a primitive Java type.
    const unsigned handle = lib->addInterface("wireHWND", guidOf(3), TKIND_RECORD, 0);
    const TypeDesc window = userDefined(lib->addRef(gadget, lib, handle));
    constexpr FuncKind kVtable = FUNC_PUREVIRTUAL;

    const std::pair<Func, std::string> cases[] = {
        {{.names = {"Go"}}, "invoke(\"Go\");"},
        {{.result = vt(VT_BOOL), .names = {"On"}}, "return ((java.lang.Boolean) invoke(\"On\")).booleanValue();"},
        {{.result = vt(VT_BSTR), .names = {"Text"}}, "return (java.lang.String) invoke(\"Text\");"},
        {{.result = vt(VT_DISPATCH), .names = {"Parent"}}, "return (DispatchPtr) invoke(\"Parent\");"},
        {{.result = owner, .names = {"Owner"}}, "return new IOwner((DispatchPtr) invoke(\"Owner\"));"},
        {{.result = vt(VT_HRESULT), .params = {ptr(owner)}, .names = {"Owner"}, .funckind = kVtable},
         "return new IOwner((UnknownPtr) invoke(\"Owner\"));"},
        // A vtable result through a pointer is no primitive: cast to its wrapper class without arguments.
        {{.result = vt(VT_HRESULT), .params = {ptr(vt(VT_I4))}, .names = {"Level"}, .funckind = kVtable},
         "return (java.lang.Integer) invoke(\"Level\");"},
        {{.params = {vt(VT_R8)}, .names = {"Go", "x"}},
         "invokeN(\"Go\", new java.lang.Object[]{new java.lang.Double(x)}, 1, false);"},
        {{.result = vt(VT_UI2), .params = {vt(VT_I2)}, .names = {"Ch", "i"}},
         "return ((java.lang.Character) invokeN(\"Ch\", new java.lang.Object[]{new java.lang.Short(i)}, 1)).charValue();"},
        {{.result = owner, .params = {vt(VT_I4)}, .names = {"Find", "i"}},
         "return new IOwner((DispatchPtr) invokeN(\"Find\", new java.lang.Object[]{new java.lang.Integer(i)}, 1));"},
        {{.result = vt(VT_HRESULT), .params = {vt(VT_I4), ptr(owner)}, .names = {"Find", "i"}, .funckind = kVtable},
         "return new IOwner((UnknownPtr) invokeN(\"Find\", new java.lang.Object[]{new java.lang.Integer(i)}, 1));"},
        // ... and to its Java type with them.
        {{.result = vt(VT_HRESULT), .params = {vt(VT_I4), ptr(vt(VT_I4))}, .names = {"Level", "i"},
          .funckind = kVtable},
         "return (int) invokeN(\"Level\", new java.lang.Object[]{new java.lang.Integer(i)}, 1);"},
        {{.result = vt(VT_DATE), .params = {vt(VT_BSTR)}, .names = {"When", "s"}},
         "return (java.util.Date) invokeN(\"When\", new java.lang.Object[]{s}, 1);"},
        {{.result = vt(VT_UNKNOWN), .params = {vt(VT_I4)}, .names = {"_NewEnum", "i"}},
         "return (IUnknown) invokeN(\"_NewEnum\", new java.lang.Object[]{new java.lang.Integer(i)}, 1);"},
        {{.params = {ptr(vt(VT_I4))}, .names = {"Swap", "a"}}, "invokeN(\"Swap\", new java.lang.Object[]{a}, 1, false);"},
        {{.kind = INVOKE_PROPERTYGET, .result = vt(VT_DISPATCH), .names = {"Parent"}},
         "return (DispatchPtr) get(\"Parent\");"},
        {{.kind = INVOKE_PROPERTYGET, .result = vt(VT_DISPATCH), .params = {vt(VT_I4)}, .names = {"Item", "i"}},
         "return (DispatchPtr) getN(\"Item\", new java.lang.Object[]{new java.lang.Integer(i)});"},
        {{.kind = INVOKE_PROPERTYGET, .result = owner, .names = {"Owner"}},
         "return new IOwner((DispatchPtr) get(\"Owner\"));"},
        {{.kind = INVOKE_PROPERTYGET, .result = vt(VT_HRESULT), .params = {vt(VT_I4), ptr(owner)}, .names = {"Item", "i"},
          .funckind = kVtable},
         "return new IOwner((UnknownPtr) getN(\"Item\", new java.lang.Object[]{new java.lang.Integer(i)}));"},
        {{.kind = INVOKE_PROPERTYGET, .result = vt(VT_R4), .params = {vt(VT_I4)}, .names = {"Scale", "i"}},
         "return ((java.lang.Float) getN(\"Scale\", new java.lang.Object[]{new java.lang.Integer(i)})).floatValue();"},
        {{.kind = INVOKE_PROPERTYGET, .result = vt(VT_VARIANT), .names = {"Value"}},
         "return (java.lang.Object) get(\"Value\");"},
        {{.kind = INVOKE_PROPERTYGET, .result = vt(VT_UNKNOWN), .params = {vt(VT_I4)}, .names = {"_newEnum", "i"}},
         "return new com.corlith.kovra.Enumeration((IUnknown) getN(\"_newEnum\", new java.lang.Object[]{new java.lang.Integer(i)}));"},
        {{.kind = INVOKE_PROPERTYGET, .result = window, .names = {"Window"}},
         "return ((java.lang.Long) get(\"Window\")).longValue();"},
        {{.result = window, .names = {"Window"}}, "return ((java.lang.Long) invoke(\"Window\")).longValue();"},
        {{.kind = INVOKE_PROPERTYPUT, .params = {vt(VT_BSTR)}, .names = {"Caption"}}, "put(\"Caption\", newCaption);"},
        {{.kind = INVOKE_PROPERTYPUTREF, .params = {vt(VT_DISPATCH)}, .names = {"Font"}}, "put(\"Font\", newFont);"},
        {{.kind = INVOKE_PROPERTYPUT, .params = {vt(VT_I4), vt(VT_BSTR), vt(VT_BOOL)}, .names = {"Cell", "row", "col"}},
         "putN(\"Cell\", new java.lang.Object[]{new java.lang.Integer(row), col}, new java.lang.Boolean(newCell));"},
    };
    for (const auto& [func, statement] : cases) {
        const std::string text = textOf(func);
        EXPECT_NE(text.find(" {\r\n        " + statement + "\r\n    }\r\n"), std::string::npos) << statement << "\n" << text;
    }
}

}  // namespace
}  // namespace tessivar::test
