// Listener member text and listener files: the Click and IWidgetEvents examples byte for byte, and
// which functions give listener text.
#include <gtest/gtest.h>

#include "emit/listener_interface.h"
#include "emit/listener_member.h"
#include "emit/member_collector.h"
#include "emit_fixture.h"
#include "support/golden_compare.h"

namespace tessivar::test {
namespace {

// The listener text of an event method, collected from a dispatch interface as the listener file
// collects its members.
std::string listenerText(FuncDesc func, std::vector<std::string> names) {
    auto lib = MemoryTypeLib::create("widgets", guidOf(1));
    const unsigned events = lib->addInterface("IWidgetEvents", guidOf(2), TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE);
    lib->type(events).funcs.push_back(MemoryFunc{func, std::move(names), ""});
    TypeRecorder recorder;
    MemberInfo member;
    collectDispatchFunction(recorder, lib->info(events), func, "", member);
    return listenerMemberText(member);
}

TEST(ListenerMember, ClickExampleMatchesGolden) {
    EXPECT_TRUE(matchesGolden("emit/click_listener_member.txt",
                              listenerText(makeFunc(1, INVOKE_FUNC, FUNC_DISPATCH, vt(VT_VOID), {vt(VT_I4)}),
                                           {"Click", "x"})));
}

TEST(ListenerMember, EdgeCases) {
    EXPECT_EQ(listenerText(makeFunc(7, INVOKE_FUNC, FUNC_DISPATCH, vt(VT_VOID)), {"Done"}),
              "    public int idDone = 7;\n"
              "    public void Done(Object srcObj) throws com.corlith.kovra.COMException;\n");
    // Optional parameters are left out: emitCount as collected, no further overloads.
    EXPECT_EQ(listenerText(makeFunc(2, INVOKE_FUNC, FUNC_DISPATCH, vt(VT_BOOL), {vt(VT_BSTR), vt(VT_I4)}, 1),
                           {"Ask", "q", "opt"}),
              "    public int idAsk = 2;\n"
              "    public boolean Ask(Object srcObj, java.lang.String q) throws com.corlith.kovra.COMException;\n");
    // The constant keeps the name; the method takes the identifier rule.
    EXPECT_EQ(listenerText(makeFunc(-600, INVOKE_FUNC, FUNC_DISPATCH, vt(VT_VOID), {vt(VT_I4)}), {"wait", "srcObj"}),
              "    public int idwait = -600;\n"
              "    public void _wait(Object srcObj, int _srcObj) throws com.corlith.kovra.COMException;\n");
}

// The widgets library: the event interface IWidgetEvents and an interface of another library.
class ListenerFileTest : public ::testing::Test {
protected:
    ListenerFileTest() {
        g.package = "com.example";
        events = lib->addInterface("IWidgetEvents", *parseGuidText("{6B1D2C3E-4F50-4A61-8B72-9C83D4E5F608}"),
                                   TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE);
        addFunc(makeFunc(1, INVOKE_FUNC, FUNC_DISPATCH, vt(VT_VOID), {vt(VT_I4)}), {"Click", "x"});
    }

    void addFunc(FuncDesc desc, std::vector<std::string> names, bool documentationFails = false) {
        lib->type(events).funcs.push_back(MemoryFunc{std::move(desc), std::move(names), "", documentationFails});
    }

    std::string generate() {
        generateListenerInterface(g, entryOf(lib, events, "C:\\Lib\\widgets.tlb"), "/out/src");
        return fx.fileText(kPath);
    }

    const std::string kPath = "/out/src/com/example/widgets/IWidgetEvents.java";
    EmitFixture fx;
    WrapperGenerator& g = fx.generator;
    std::shared_ptr<MemoryTypeLib> lib = MemoryTypeLib::create("widgets", guidOf(1));
    unsigned events = 0;
};

TEST_F(ListenerFileTest, ExampleMatchesGolden) {
    EXPECT_TRUE(matchesGolden("emit/iwidgetevents_listener.java.txt", generate()));
    EXPECT_EQ(fx.ui.log, (std::vector<std::string>{"Generating stub: " + kPath}));
    EXPECT_EQ(g.currentLibName, "widgets");
}

TEST_F(ListenerFileTest, OnlyDispatchMethodsGiveListenerText) {
    auto other = MemoryTypeLib::create("stdole", guidOf(2));
    const unsigned font = other->addInterface("IFontDisp", guidOf(3), TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE);
    addFunc(makeFunc(2, INVOKE_PROPERTYGET, FUNC_DISPATCH, vt(VT_I4)), {"Level"});
    addFunc(makeFunc(3, INVOKE_FUNC, FUNC_PUREVIRTUAL, vt(VT_HRESULT),
                     {ptr(userDefined(lib->addRef(events, other, font)))}),
            {"Repaint", "font"});
    addFunc(makeFunc(4, INVOKE_FUNC, FUNC_DISPATCH, vt(VT_VOID)), {"Invoke"});
    addFunc(makeFunc(5, INVOKE_FUNC, FUNC_DISPATCH, vt(VT_VOID)), {"Lost"}, true);
    addFunc(makeFunc(6, INVOKE_FUNC, FUNC_DISPATCH, vt(VT_VOID)), {"invoke"});

    const std::string text = generate();
    const std::string members = text.substr(text.find("    public int idClick"));
    EXPECT_EQ(members,
              "    public int idClick = 1;\n"
              "    public void Click(Object srcObj, int x) throws com.corlith.kovra.COMException;\n\r\n"
              "    public int idinvoke = 6;\n"
              "    public void _invoke(Object srcObj) throws com.corlith.kovra.COMException;\n\r\n"
              "\r\n}\r\n");
    // The vtable function was still collected: the type it uses is queued, its library recorded. The
    // file was written before that, so it has no import of that library.
    ASSERT_EQ(g.referencedTypes.size(), 1u);
    EXPECT_EQ(g.referencedTypes.begin()->name, "IFontDisp");
    EXPECT_EQ(g.referencedLibs.count("stdole"), 1u);
    EXPECT_EQ(text.find("stdole"), std::string::npos);
}

TEST_F(ListenerFileTest, WrittenOncePerClassRun) {
    const std::string first = generate();
    fx.files.files.clear();
    generateListenerInterface(g, entryOf(lib, events, "C:\\Lib\\widgets.tlb"), "/out/src");
    EXPECT_EQ(fx.files.file(kPath), std::nullopt);
    EXPECT_EQ(fx.ui.log.size(), 1u);
}

TEST_F(ListenerFileTest, EmptyPackageAndUnreadableAttributes) {
    g.package = "";
    lib->type(events).attrStatus = kFail;
    generateListenerInterface(g, entryOf(lib, events, ""), "/out/src");
    const std::string text = fx.fileText("/out/src/widgets/IWidgetEvents.java");
    EXPECT_NE(text.find("// from TypeLib at \r\n"), std::string::npos);
    EXPECT_NE(text.find("package widgets;\r\n"), std::string::npos);
    EXPECT_EQ(text.find("idClick"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 6), "\n\r\n}\r\n");
}

TEST_F(ListenerFileTest, MissingContainingLibraryEndsTheRun) {
    lib->type(events).noContainingLib = true;
    EXPECT_THROW(generate(), ComError);
}

}  // namespace
}  // namespace tessivar::test
