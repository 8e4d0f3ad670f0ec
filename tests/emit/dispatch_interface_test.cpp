// Proxy class files: the IGadget proxy byte for byte, then member collection (excluded names,
// variables, vtable functions) and the file rules.
#include <gtest/gtest.h>

#include "emit/dispatch_interface.h"
#include "emit/member_collector.h"
#include "emit_fixture.h"
#include "support/golden_compare.h"

namespace tessivar::test {
namespace {

MemoryVar variable(MemberId memid, std::string name, std::uint16_t type, std::uint16_t flags) {
    MemoryVar v;
    v.desc.memid = memid;
    v.desc.varkind = VAR_DISPATCH;
    v.desc.elemdescVar.tdesc = vt(type);
    v.desc.wVarFlags = flags;
    v.name = std::move(name);
    return v;
}

class DispatchInterfaceTest : public ::testing::Test {
protected:
    DispatchInterfaceTest() { g.package = "com.example"; }

    unsigned addInterface(const std::string& name, TypeKind kind, std::uint16_t flags) {
        return lib->addInterface(name, guidOf(nextGuid++), kind, flags);
    }
    void addFunc(unsigned type, FuncDesc desc, std::vector<std::string> names, std::string doc = "") {
        lib->type(type).funcs.push_back(MemoryFunc{std::move(desc), std::move(names), std::move(doc), false});
    }
    std::string pathOf(const std::string& name) const { return "/out/src/com/example/GadgetLib/" + name + ".java"; }
    std::string generate(unsigned type) {
        generateDispatchInterface(g, entryOf(lib, type, "/lib/gadgets.tlb"), "/out/src");
        return fx.fileText(pathOf(lib->type(type).name));
    }
    // The text after the constructors: the members and the closing brace.
    std::string membersOf(const std::string& text) {
        const std::string last = "        super(ClsID);\r\n    }\r\n";
        return text.substr(text.find(last) + last.size());
    }

    EmitFixture fx;
    WrapperGenerator& g = fx.generator;
    std::shared_ptr<MemoryTypeLib> lib = MemoryTypeLib::create("GadgetLib", guidOf(1));
    std::uint32_t nextGuid = 30;
};

TEST_F(DispatchInterfaceTest, IGadgetExampleMatchesGolden) {
    const unsigned gadget = addInterface("IGadget", TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE);
    const unsigned owner = addInterface("IGadgetOwner", TKIND_INTERFACE, TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE);
    addFunc(gadget, makeFunc(1, INVOKE_PROPERTYGET, FUNC_DISPATCH, vt(VT_I4)), {"Size"});
    addFunc(gadget, makeFunc(1, INVOKE_PROPERTYPUT, FUNC_DISPATCH, vt(VT_VOID), {vt(VT_I4)}), {"Size"});
    addFunc(gadget, makeFunc(2, INVOKE_FUNC, FUNC_DISPATCH, vt(VT_VOID), {vt(VT_I4), ptr(vt(VT_BSTR))}),
            {"Find", "index", "label"});
    addFunc(gadget, makeFunc(3, INVOKE_FUNC, FUNC_DISPATCH, ptr(userDefined(lib->addRef(gadget, lib, owner)))),
            {"Owner"});

    EXPECT_TRUE(matchesGolden("emit/igadget_proxy.java.txt", generate(gadget)));
    EXPECT_EQ(fx.ui.log, (std::vector<std::string>{"Generating Dispatch interface: " + pathOf("IGadget")}));
    EXPECT_EQ(g.doneInterfaces.size(), 1u);
    ASSERT_EQ(g.referencedTypes.size(), 1u);
    EXPECT_EQ(g.referencedTypes.begin()->name, "IGadgetOwner");
}

TEST_F(DispatchInterfaceTest, ExcludedNamesAreExactAndFunctionFlagsDoNotFilter) {
    const unsigned gadget = addInterface("IGadget", TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE);
    MemberId id = 0x60000000;
    for (const char* name : {"QueryInterface", "AddRef", "Release", "GetTypeInfoCount", "GetTypeInfo",
                             "GetIDsOfNames", "Invoke"})
        addFunc(gadget, makeFunc(id++, INVOKE_FUNC, FUNC_DISPATCH, vt(VT_VOID)), {name});
    FuncDesc restricted = makeFunc(10, INVOKE_FUNC, FUNC_DISPATCH, vt(VT_VOID));
    restricted.wFuncFlags = 0x1 | 0x40;  // FUNCFLAG_FRESTRICTED | FUNCFLAG_FHIDDEN
    addFunc(gadget, restricted, {"invoke"});
    addFunc(gadget, makeFunc(11, INVOKE_FUNC, FUNC_DISPATCH, vt(VT_VOID)), {"release"});

    const std::string members = membersOf(generate(gadget));
    EXPECT_EQ(members,
              "    /**\r\n     * \r\n     */\r\n"
              "    public void _invoke() throws com.corlith.kovra.COMException {\r\n"
              "        invoke(\"invoke\");\r\n    }\r\n"
              "    /**\r\n     * \r\n     */\r\n"
              "    public void release() throws com.corlith.kovra.COMException {\r\n"
              "        invoke(\"release\");\r\n    }\r\n"
              "}\r\n");
}

TEST_F(DispatchInterfaceTest, VariablesGiveSetterThenGetterUnlessReadOnlyRestrictedOrHidden) {
    const unsigned gadget = addInterface("IGadget", TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE);
    auto& vars = lib->type(gadget).vars;
    vars.push_back(variable(1, "Name", VT_BSTR, 0));
    vars.push_back(variable(2, "Id", VT_I4, VARFLAG_FREADONLY));
    vars.push_back(variable(3, "Secret", VT_I4, VARFLAG_FRESTRICTED));
    vars.push_back(variable(4, "Shy", VT_I4, VARFLAG_FHIDDEN));
    MemoryVar perInstance = variable(5, "Raw", VT_I4, 0);
    perInstance.desc.varkind = VAR_PERINSTANCE;
    vars.push_back(perInstance);

    TypeAttr attr;
    lib->info(gadget)->typeAttr(attr);
    std::vector<std::string> signatures;
    forEachMember(g, lib->info(gadget), attr, [&](const MemberInfo& m) {
        signatures.push_back(std::to_string(m.invokeKind) + " " + m.elements.front().name + " " +
                             std::to_string(m.elements.size()) + " " + std::to_string(m.emitCount));
    });
    EXPECT_EQ(signatures, (std::vector<std::string>{"4 Name 2 2", "2 Name 1 1", "2 Id 1 1", "4 Shy 2 2", "2 Shy 1 1"}));

    const std::string members = membersOf(generate(gadget));
    EXPECT_LT(members.find("public void setName(java.lang.String newName)"),
              members.find("public java.lang.String getName()"));
    EXPECT_EQ(members.find("setId"), std::string::npos);
    EXPECT_EQ(members.find("Secret"), std::string::npos);

    // The hidden switch leaves hidden variables out too.
    EmitFixture hidden;
    WrapperGenerator hiddenGenerator{Services{hidden.files, hidden.registry, hidden.loader, hidden.settings, hidden.ui},
                                     true, Emitters{}};
    int hiddenCount = 0;
    forEachMember(hiddenGenerator, lib->info(gadget), attr, [&](const MemberInfo&) { ++hiddenCount; });
    EXPECT_EQ(hiddenCount, 3);
}

// Members are collected one after another into the same record: the accessor of a variable keeps
// nothing of the documented function with optional parameters before it.
TEST_F(DispatchInterfaceTest, AccessorAfterADocumentedFunctionKeepsNothingOfIt) {
    const unsigned gadget = addInterface("IGadget", TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE);
    addFunc(gadget, makeFunc(1, INVOKE_FUNC, FUNC_DISPATCH, vt(VT_I4), {vt(VT_BSTR), vt(VT_I4)}, 1),
            {"Find", "label", "start"}, "Finds a gadget");
    lib->type(gadget).vars.push_back(variable(2, "Name", VT_BSTR, VARFLAG_FREADONLY));

    const std::string members = membersOf(generate(gadget));
    const std::string getter = "    /**\r\n     * \r\n     */\r\n"
                               "    public java.lang.String getName() throws com.corlith.kovra.COMException {\r\n"
                               "        return (java.lang.String) get(\"Name\");\r\n    }\r\n}\r\n";
    ASSERT_GE(members.size(), getter.size());
    EXPECT_EQ(members.substr(members.size() - getter.size()), getter);
    EXPECT_EQ(members.find("Finds a gadget"), members.rfind("Finds a gadget"));
}

TEST_F(DispatchInterfaceTest, VarargFunctionGivesOnlyItsJavadoc) {
    const unsigned gadget = addInterface("IGadget", TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE);
    addFunc(gadget, makeFunc(1, INVOKE_FUNC, FUNC_DISPATCH, vt(VT_VOID), {vt(VT_VARIANT | VT_ARRAY)}, -1),
            {"Print", "args"}, "Prints all");
    EXPECT_EQ(membersOf(generate(gadget)), "    /**\r\n     * Prints all\r\n     */\r\n}\r\n");
}

TEST_F(DispatchInterfaceTest, VtableFunctionsTakeTheirRetvalAsResult) {
    const unsigned gadget = addInterface("IGadget", TKIND_INTERFACE, TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION);
    const unsigned owner = addInterface("IGadgetOwner", TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE);
    auto retval = [](FuncDesc f) {
        f.params.back().paramDesc.flags = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;
        return f;
    };
    addFunc(gadget, retval(makeFunc(1, INVOKE_FUNC, FUNC_PUREVIRTUAL, vt(VT_HRESULT), {vt(VT_I4), ptr(vt(VT_BSTR))})),
            {"Label", "index", "pVal"});
    addFunc(gadget, retval(makeFunc(2, INVOKE_PROPERTYGET, FUNC_PUREVIRTUAL, vt(VT_HRESULT),
                                    {ptr(ptr(userDefined(lib->addRef(gadget, lib, owner))))})),
            {"Owner", "ppOwner"});
    addFunc(gadget, makeFunc(3, INVOKE_PROPERTYPUT, FUNC_PUREVIRTUAL, vt(VT_HRESULT), {vt(VT_I4), vt(VT_BOOL)}),
            {"Flag", "which"});
    addFunc(gadget, makeFunc(4, INVOKE_FUNC, FUNC_PUREVIRTUAL, vt(VT_HRESULT), {vt(VT_I4)}), {"Reset"});

    EXPECT_EQ(membersOf(generate(gadget)),
              "    /**\r\n     * \r\n     */\r\n"
              "    public java.lang.String Label(int index) throws com.corlith.kovra.COMException {\r\n"
              "        return (java.lang.String) invokeN(\"Label\", new java.lang.Object[]{new java.lang.Integer(index)}, 1);\r\n"
              "    }\r\n"
              "    /**\r\n     * \r\n     */\r\n"
              "    public IGadgetOwner getOwner() throws com.corlith.kovra.COMException {\r\n"
              "        return new IGadgetOwner((UnknownPtr) get(\"Owner\"));\r\n"
              "    }\r\n"
              "    /**\r\n     * \r\n     */\r\n"
              "    public void setFlag(int which, boolean newFlag) throws com.corlith.kovra.COMException {\r\n"
              "        putN(\"Flag\", new java.lang.Object[]{new java.lang.Integer(which)}, new java.lang.Boolean(newFlag));\r\n"
              "    }\r\n"
              // A parameter without a name is not collected.
              "    /**\r\n     * \r\n     */\r\n"
              "    public void Reset() throws com.corlith.kovra.COMException {\r\n"
              "        invoke(\"Reset\");\r\n"
              "    }\r\n"
              "}\r\n");
}

TEST_F(DispatchInterfaceTest, UnknownPtrFormOnlyForOleAutomationAlone) {
    struct Case {
        std::uint16_t flags;
        const char* declaration;
    };
    for (const Case& c : {Case{0x100, " extends UnknownPtr {"}, Case{0x140, " extends DispatchPtr {"},
                          Case{0x1040, " extends DispatchPtr {"}, Case{0x1140, " extends DispatchPtr {"}}) {
        const unsigned type = addInterface("I" + std::to_string(c.flags), TKIND_INTERFACE, c.flags);
        const std::string text = generate(type);
        EXPECT_NE(text.find("public class I" + std::to_string(c.flags) + c.declaration), std::string::npos) << c.flags;
        EXPECT_EQ(text.find("registerTypeInfo") != std::string::npos, c.flags == 0x100) << c.flags;
    }
}

TEST_F(DispatchInterfaceTest, WrittenOnceAndUnreadableAttributesGiveOnlyTheBrace) {
    const unsigned gadget = addInterface("IGadget", TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE);
    generate(gadget);
    fx.files.files.clear();
    EXPECT_EQ(generate(gadget), "<no file>");
    EXPECT_EQ(fx.ui.log.size(), 1u);

    const unsigned broken = addInterface("IBroken", TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE);
    lib->type(broken).attrStatus = kFail;
    EXPECT_EQ(generate(broken), "}\r\n");
}

}  // namespace
}  // namespace tessivar::test
