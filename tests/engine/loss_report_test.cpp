// What a run could not read is never lost silently: the real emitters over an in-memory library whose
// calls fail, with one "Incomplete:" line per type written, the request's count, and files still written.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/request.h"
#include "base/guid_text.h"
#include "support/fakes.h"
#include "support/memory_typelib.h"

namespace tessivar::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class Host : public RequestHost {
public:
    void setGenerateEnabled(bool) override {}
    std::vector<TypeEntry> selectClass(std::size_t) override { return interfaces; }
    std::string missingLibraryHint() override { return "give --search-folder DIR"; }
    std::vector<TypeEntry> interfaces;
};

MemoryFunc method(MemberId memid, const std::string& name, std::vector<TypeDesc> params = {}) {
    MemoryFunc f;
    f.desc = makeFunc(memid, INVOKE_FUNC, FUNC_DISPATCH, vt(VT_VOID), std::move(params));
    f.names.push_back(name);
    for (std::size_t i = 0; i < f.desc.params.size(); ++i) f.names.push_back("p" + std::to_string(i));
    return f;
}

class LossReportTest : public ::testing::Test {
protected:
    LossReportTest() {
        files.folders.insert("/kovra");
        files.addFile("/kovra/kovra.jar");
        files.addFile("/kovra/kovra.dll");
        snapshot.settings = GeneratorSettings{"W", "", "/out", "/kovra"};
        snapshot.classes = {ClassEntry{"{LIB}", guidText(guidOf(20)), "Widget", "/lib/widget.tlb", nullptr}};
        snapshot.shownNames = {"Widget"};
        snapshot.classIndex = 0;
    }

    RequestOutcome run() {
        snapshot.interfaces = host.interfaces;
        return runRequest(host, snapshot, Services{files, registry, loader, settings, ui});
    }
    std::vector<std::string> incompleteLines() const {
        std::vector<std::string> lines;
        for (const std::string& line : ui.log)
            if (line.starts_with("Incomplete: ")) lines.push_back(line);
        return lines;
    }

    std::shared_ptr<MemoryTypeLib> lib = MemoryTypeLib::create("WidgetLib", guidOf(1));
    unsigned iWidget = lib->addInterface("IWidget", guidOf(10), TKIND_DISPATCH, TYPEFLAG_FDUAL);
    MemoryFileSystem files;
    EmptyRegistry registry;
    MemoryLoader loader;
    MemorySettingsStore settings;
    RecordingUi ui;
    Host host;
    RequestSnapshot snapshot;
};

TEST_F(LossReportTest, EachKindOfFailureIsCountedOnTheTypesLine) {
    // One function that cannot be read, one whose names cannot, one whose parameter type is in a library
    // that is gone, one whose documentation fails; a property whose description cannot be read.
    MemoryType& widget = lib->type(iWidget);
    widget.funcs.push_back(method(1, "Draw"));
    widget.funcs.back().descStatus = kCantLoadLibrary;
    widget.funcs.push_back(method(2, "Move", {vt(VT_I4)}));
    widget.funcs.back().namesStatus = kElementNotFound;
    {
        auto gone = MemoryTypeLib::create("Gone", guidOf(2));
        const unsigned font = gone->addInterface("Font", guidOf(3), TKIND_DISPATCH, 0);
        widget.funcs.push_back(method(3, "SetFont", {ptr(userDefined(lib->addRef(iWidget, gone, font)))}));
    }
    widget.funcs.push_back(method(4, "Hide"));
    widget.funcs.back().documentationFails = true;
    widget.funcs.push_back(method(5, "Show"));
    MemoryVar colour;
    colour.name = "Colour";
    colour.desc.memid = 6;
    colour.desc.varkind = VAR_DISPATCH;
    colour.descStatus = kCantLoadLibrary;
    widget.vars.push_back(colour);
    lib->missing = {LibraryRef{guidOf(2), 1, 0, 0, "gone.tlb"}};
    host.interfaces = {implementedEntry(lib, iWidget, IMPLTYPEFLAG_FDEFAULT, "/lib/widget.tlb")};

    const RequestOutcome outcome = run();
    EXPECT_EQ(outcome.incompleteTypes, 1);
    EXPECT_THAT(incompleteLines(),
                ElementsAre("Incomplete: IWidget of WidgetLib lost 2 functions, 1 property or constant, 1 member's "
                            "parameter names and 1 referenced type: the type library it refers to, " +
                                guidText(guidOf(2)) + " 1.0 (gone.tlb), cannot be loaded; give --search-folder DIR.",
                            "Incomplete: 1 type lost 2 functions, 1 property or constant, 1 member's parameter "
                            "names and 1 referenced type in all; their files were written without them."));
    // The file is written as far as it can be: the readable members are there, one whose names are lost
    // under its documented name, and a parameter of a type that cannot be obtained as an object.
    const std::string proxy = files.file("/out/src/WidgetLib/IWidget.java").value_or("");
    EXPECT_THAT(proxy, HasSubstr("public void Show()"));
    EXPECT_THAT(proxy, HasSubstr("public void Move(int arg1)"));
    EXPECT_THAT(proxy, HasSubstr("public void SetFont(ObjectRef p0)"));
    EXPECT_EQ(proxy.find("Draw"), std::string::npos);
}

TEST_F(LossReportTest, TheCauseIsNamedAsFarAsItIsKnown) {
    MemoryType& widget = lib->type(iWidget);
    widget.funcs.push_back(method(1, "Draw"));
    widget.funcs.back().descStatus = kCantLoadLibrary;
    host.interfaces = {implementedEntry(lib, iWidget, IMPLTYPEFLAG_FDEFAULT, "/lib/widget.tlb")};
    run();
    EXPECT_THAT(incompleteLines().front(), ::testing::EndsWith(
        "lost 1 function: a type library it refers to cannot be loaded (0x80029C4A); give --search-folder DIR."));

    widget.funcs.back().descStatus = static_cast<HResult>(0x80020008);
    run();
    EXPECT_EQ(incompleteLines().front(),
              "Incomplete: IWidget of WidgetLib lost 1 function: its type information cannot be read (0x80020008).");
}

TEST_F(LossReportTest, ConstantsOfAnEnumAndInterfacesOfACoClassMetAsAType) {
    const unsigned colour = lib->addEnum("Colour", guidOf(12), {{"Red", 0}, {"Green", 1}});
    lib->type(colour).vars[1].descStatus = kCantLoadLibrary;
    const unsigned gadget = lib->addCoClass("Gadget", guidOf(21));
    lib->type(gadget).impls.push_back(MemoryImpl{0xBAD, IMPLTYPEFLAG_FDEFAULT});  // resolves nowhere
    lib->type(iWidget).funcs.push_back(method(1, "Paint", {userDefined(lib->addRef(iWidget, lib, colour)),
                                               ptr(userDefined(lib->addRef(iWidget, lib, gadget)))}));
    host.interfaces = {implementedEntry(lib, iWidget, IMPLTYPEFLAG_FDEFAULT, "/lib/widget.tlb")};

    EXPECT_EQ(run().incompleteTypes, 2);
    EXPECT_THAT(incompleteLines(),
                ElementsAre(HasSubstr("IWidget of WidgetLib lost 1 implemented interface: its type information"),
                            HasSubstr("Colour of WidgetLib lost 1 property or constant: a type library it refers to"),
                            HasSubstr("2 types lost 1 property or constant and 1 implemented interface in all")));
    EXPECT_THAT(files.file("/out/src/WidgetLib/Colour.java").value_or(""), HasSubstr(" Red = 0;"));
}

TEST_F(LossReportTest, GenerateAllReportsATypeInEveryRunAndCountsItOnce) {
    MemoryType& widget = lib->type(iWidget);
    widget.funcs.push_back(method(1, "Draw"));
    widget.funcs.back().descStatus = kCantLoadLibrary;
    snapshot.classes.push_back(ClassEntry{"{LIB}", guidText(guidOf(21)), "Gadget", "/lib/widget.tlb", nullptr});
    snapshot.shownNames.push_back("Gadget");
    snapshot.generateAll = true;
    host.interfaces = {implementedEntry(lib, iWidget, IMPLTYPEFLAG_FDEFAULT, "/lib/widget.tlb")};

    // The second run takes the members the first collected: their losses come with them.
    EXPECT_EQ(run().incompleteTypes, 1);
    EXPECT_THAT(incompleteLines(), ElementsAre(HasSubstr("IWidget of WidgetLib lost 1 function"),
                                               HasSubstr("IWidget of WidgetLib lost 1 function"),
                                               HasSubstr("1 type lost 1 function in all")));
}

TEST_F(LossReportTest, ACompleteRunLogsNothingNew) {
    lib->type(iWidget).funcs.push_back(method(1, "Draw"));
    host.interfaces = {implementedEntry(lib, iWidget, IMPLTYPEFLAG_FDEFAULT, "/lib/widget.tlb")};
    EXPECT_EQ(run().incompleteTypes, 0);
    EXPECT_TRUE(incompleteLines().empty());
}

}  // namespace
}  // namespace tessivar::test
