// The request and the class run: passes, classification, runtime folder, settings and the order of
// emitter calls and log lines, over an in-memory type library with recording emitters.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/request.h"
#include "base/guid_text.h"
#include "support/fakes.h"
#include "support/memory_typelib.h"

namespace tessivar::test {
namespace {

using ::testing::ElementsAre;

class RecordingHost : public RequestHost {
public:
    void setGenerateEnabled(bool enabled) override { enables.push_back(enabled); }
    std::vector<TypeEntry> selectClass(std::size_t index) override {
        selected.push_back(index);
        return interfacesOf.count(index) ? interfacesOf[index] : std::vector<TypeEntry>{};
    }
    std::vector<bool> enables;
    std::vector<std::size_t> selected;
    std::map<std::size_t, std::vector<TypeEntry>> interfacesOf;
};

TypeEntry entryFor(const std::shared_ptr<MemoryTypeLib>& lib, unsigned index, std::int32_t kind) {
    return implementedEntry(lib, index, kind, "/lib/widget.tlb");
}

// The Widget library: a dual IWidget that uses the enum WidgetColor, and the events _WidgetEvents.
struct WidgetLib {
    std::shared_ptr<MemoryTypeLib> lib = MemoryTypeLib::create("WidgetLib", guidOf(1));
    unsigned iWidget = lib->addInterface("IWidget", guidOf(10), TKIND_DISPATCH, 0x1040);
    unsigned events = lib->addInterface("_WidgetEvents", guidOf(11), TKIND_DISPATCH, 0x1000);
    unsigned color = lib->addEnum("WidgetColor", guidOf(12), {{"wcRed", 0}});
    unsigned widget = lib->addCoClass("Widget", guidOf(20));
};

class ClassRunTest : public ::testing::Test {
protected:
    ClassRunTest() {
        files.folders.insert("/kovra");
        files.addFile("/kovra/kovra.jar");
        files.addFile("/kovra/kovra.dll");
        snapshot.settings = GeneratorSettings{"WidgetWrappers", "com.example", "/out", "/kovra"};
        snapshot.classes = {ClassEntry{"{LIB}", guidText(guidOf(20)), "Widget", "/lib/widget.tlb", nullptr}};
        snapshot.shownNames = {"Widget"};
        snapshot.classIndex = 0;
        snapshot.interfaces = {entryFor(w.lib, w.iWidget, IMPLTYPEFLAG_FDEFAULT),
                               entryFor(w.lib, w.events, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)};
    }

    // Emitters that log what they were given and, for IWidget, record its enum as Part of writing it.
    Emitters recordingEmitters() {
        Emitters e;
        e.dispatchInterface = [this](EmitRun& g, TypeEntry entry, const std::string& root) {
            calls.push_back(slashed("dispatch " + entry.name + " in " + root));
            g.logLine("Generating Dispatch interface: " + entry.name);
            g.doneInterfaces.insert(entry);
            if (entry.name == "IWidget") g.registerType(w.lib->info(w.color), 0);
            for (auto& [from, to] : extraReferences)
                if (entry.name == from) g.registerType(to, 0);
        };
        e.listenerInterface = [this](EmitRun& g, TypeEntry entry, const std::string&) {
            calls.push_back("listener " + entry.name);
            g.logLine("Generating stub: " + entry.name);
            g.doneInterfaces.insert(entry);
        };
        e.enums = [this](EmitRun& g) {
            for (const TypeEntry& entry : g.interfaceList) {
                TypeAttr attr;
                if (entry.typeInfo->typeAttr(attr) != kOk || attr.typekind != TKIND_ENUM) continue;
                calls.push_back("enum " + entry.name);
                g.logLine("Generating enum interface: " + entry.name);
            }
        };
        e.coClasses = [this](EmitRun& g) {
            for (const ClassEntry& c : g.coClasses) {
                calls.push_back("coclass " + c.progId + " " + c.clsid);
                g.logLine("Generating CoClass interface: " + c.progId);
            }
        };
        e.buildFile = [this](EmitRun& g) {
            calls.push_back(slashed("build " + g.jarModule + " " + g.runtimeJarPath));
            g.logLine("Generating build file: " + g.destination);
        };
        return e;
    }

    RequestOutcome run() {
        return runRequest(host, snapshot, Services{files, registry, loader, settings, ui}, recordingEmitters());
    }

    WidgetLib w;
    MemoryFileSystem files;
    EmptyRegistry registry;
    MemoryLoader loader;
    MemorySettingsStore settings;
    RecordingUi ui;
    RecordingHost host;
    RequestSnapshot snapshot;
    std::vector<std::string> calls;
    std::vector<std::pair<std::string, std::shared_ptr<const TypeInfo>>> extraReferences;
};

TEST_F(ClassRunTest, WidgetExampleRunsTwoPassesThenCoClassAndBuildFile) {
    const RequestOutcome outcome = run();
    EXPECT_TRUE(outcome.error.empty());
    EXPECT_EQ(outcome.completedRuns, 1);
    EXPECT_THAT(calls, ElementsAre("dispatch IWidget in /out/src", "listener _WidgetEvents", "enum WidgetColor",
                                   "coclass Widget " + guidText(guidOf(20)),
                                   "build WidgetWrappers /kovra/kovra.jar"));
    EXPECT_THAT(ui.log, ElementsAre("Creating folder: /out", "Current Directory: /kovra",
                                    "Generating Dispatch interface: IWidget", "Generating stub: _WidgetEvents",
                                    "Generating enum interface: WidgetColor", "Generating CoClass interface: Widget",
                                    "Generating build file: /out"));
    EXPECT_THAT(files.madeFolders, ElementsAre("/out", "/out/src"));
    EXPECT_THAT(host.enables, ElementsAre(false, true));
    EXPECT_EQ(ui.clears, 1);
}

TEST_F(ClassRunTest, RequestsThatRunNoClass) {
    // An empty class list, and a selected name that matches no class: nothing written or stored.
    settings.present = true;
    snapshot.shownNames.clear();
    EXPECT_EQ(run().classRuns, 0);
    snapshot.shownNames = {"Gadget"};
    EXPECT_FALSE(run().matched);
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_THAT(host.enables, ElementsAre(false, true, false, true));
}

TEST_F(ClassRunTest, DuplicateProgIdsRunOnlyTheFirstClass) {
    snapshot.classes.push_back(snapshot.classes.front());
    snapshot.classes.back().clsid = guidText(guidOf(99));
    EXPECT_EQ(run().classRuns, 1);
    EXPECT_EQ(calls[3], "coclass Widget " + guidText(guidOf(20)));
}

TEST_F(ClassRunTest, ClassWithoutInterfacesEndsEarlyButStoresSettings) {
    settings.present = true;
    snapshot.interfaces.clear();
    const RequestOutcome outcome = run();
    EXPECT_EQ(outcome.classRuns, 1);
    EXPECT_EQ(outcome.completedRuns, 0);
    EXPECT_TRUE(calls.empty());
    EXPECT_THAT(settings.writes, ElementsAre("Package=com.example", "JarModule=WidgetWrappers", "Dest=/out",
                                             "Path=/kovra"));
}

TEST_F(ClassRunTest, ClassificationByKindAndFlags) {
    auto& lib = w.lib;
    const unsigned sourceVtable = lib->addInterface("ISourceDual", guidOf(30), TKIND_INTERFACE, 0x1040);
    const unsigned oleAuto = lib->addInterface("IOleAuto", guidOf(31), TKIND_INTERFACE, 0x100);
    const unsigned sourceOleAuto = lib->addInterface("ISourceOleAuto", guidOf(32), TKIND_INTERFACE, 0x100);
    const unsigned vtable = lib->addInterface("IVtable", guidOf(33), TKIND_INTERFACE, 0);
    const unsigned broken = lib->addInterface("IBroken", guidOf(34), TKIND_DISPATCH, 0x1000);
    lib->type(broken).attrStatus = kFalse;  // only kOk counts
    const unsigned record = lib->addInterface("tagThing", guidOf(35), TKIND_RECORD, 0);
    snapshot.interfaces = {entryFor(lib, sourceVtable, IMPLTYPEFLAG_FSOURCE), entryFor(lib, oleAuto, 0),
                           entryFor(lib, sourceOleAuto, IMPLTYPEFLAG_FSOURCE), entryFor(lib, vtable, 0),
                           entryFor(lib, broken, 0), entryFor(lib, record, 0)};
    run();
    EXPECT_THAT(calls, ElementsAre("dispatch IOleAuto in /out/src", "dispatch ISourceOleAuto in /out/src",
                                   "coclass Widget " + guidText(guidOf(20)),
                                   "build WidgetWrappers /kovra/kovra.jar"));
}

TEST_F(ClassRunTest, TypeQueuedInTwoPassesIsWrittenOnce) {
    // IWidget refers to IGadget; IGadget refers back to IWidget, which pass 3 finds done.
    const unsigned gadget = w.lib->addInterface("IGadget", guidOf(40), TKIND_DISPATCH, 0x1000);
    extraReferences = {{"IWidget", w.lib->info(gadget)}, {"IGadget", w.lib->info(w.iWidget)}};
    run();
    EXPECT_THAT(calls, ElementsAre("dispatch IWidget in /out/src", "listener _WidgetEvents",
                                   "dispatch IGadget in /out/src", "enum WidgetColor", "coclass Widget " + guidText(guidOf(20)),
                                   "build WidgetWrappers /kovra/kovra.jar"));
}

TEST_F(ClassRunTest, RuntimeFolderFromStoredSettings) {
    // With the store present the runtime files are not looked for; the given folder wins over the
    // stored one, and the stored one is used when none is given.
    settings.present = true;
    settings.values["Path"] = "/stored";
    snapshot.settings.sdkPath.clear();
    run();
    EXPECT_EQ(calls.back(), "build WidgetWrappers /stored/kovra.jar");
    calls.clear();
    snapshot.settings.sdkPath = "/given";
    run();
    EXPECT_EQ(calls.back(), "build WidgetWrappers /given/kovra.jar");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ClassRunTest, RuntimeFolderWithoutFilesAsksUntilFoundOrCancelled) {
    snapshot.settings.sdkPath = "/empty";
    files.folders.insert("/empty");
    ui.browseAnswers = {std::string("/empty"), std::string("/kovra")};
    run();
    EXPECT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, "Select directory with kovra.jar and kovra.dll.");
    EXPECT_EQ(ui.messages[0].caption, "Information");
    EXPECT_EQ(ui.browses.size(), 2u);
    EXPECT_EQ(calls.back(), "build WidgetWrappers /kovra/kovra.jar");
    // The found folder creates the store and is stored; the request then stores all four settings.
    EXPECT_TRUE(settings.present);
    EXPECT_EQ(settings.writes.front(), "Path=/kovra");
    EXPECT_EQ(settings.writes.back(), "Path=/empty");

    calls.clear();
    settings = MemorySettingsStore{};
    ui.browseAnswers.clear();  // cancel at once
    const RequestOutcome outcome = run();
    EXPECT_EQ(outcome.completedRuns, 0);
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(settings.present);
}

TEST_F(ClassRunTest, MissingJarModuleNameEndsTheClassRun) {
    settings.present = true;
    snapshot.settings.jarModule.clear();
    run();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Enter Module Name.");
    EXPECT_EQ(ui.messages[0].caption, "Error");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(files.madeFolders.empty());
    EXPECT_EQ(settings.writes.size(), 4u);
}

TEST_F(ClassRunTest, EmptyDestinationWritesBelowTheCurrentDirectory) {
    snapshot.settings.destDir.clear();
    run();
    EXPECT_EQ(ui.log.front(), "Creating folder: ./MyOstrelle");
    EXPECT_EQ(calls.front(), "dispatch IWidget in ./MyOstrelle/src");
}

TEST_F(ClassRunTest, RaisedErrorEndsTheRequestAndEnablesGenerate) {
    Emitters e = recordingEmitters();
    e.dispatchInterface = [](EmitRun&, TypeEntry, const std::string&) { throw ComError(kPointerError); };
    const RequestOutcome outcome =
        runRequest(host, snapshot, Services{files, registry, loader, settings, ui}, e);
    EXPECT_FALSE(outcome.error.empty());
    EXPECT_THAT(host.enables, ElementsAre(false, true));
    EXPECT_NE(ui.log.back().find("E_POINTER"), std::string::npos);
}

TEST_F(ClassRunTest, GenerateAllPairsEachClassWithItsOwnInterfaces) {
    snapshot.generateAll = true;
    snapshot.classes.push_back(ClassEntry{"{LIB}", guidText(guidOf(21)), "Other", "/lib/widget.tlb", nullptr});
    snapshot.shownNames = {"Other", "Widget"};
    host.interfacesOf[0] = snapshot.interfaces;
    host.interfacesOf[1] = {};
    const RequestOutcome outcome = run();
    EXPECT_THAT(host.selected, ElementsAre(0u, 1u));
    EXPECT_EQ(outcome.classRuns, 2);
    EXPECT_EQ(outcome.completedRuns, 1);
}

TEST_F(ClassRunTest, ReferencedLibrariesCarryOverBetweenClassRuns) {
    snapshot.generateAll = true;
    snapshot.classes.push_back(snapshot.classes.front());
    host.interfacesOf[0] = snapshot.interfaces;
    host.interfacesOf[1] = snapshot.interfaces;
    std::vector<std::size_t> libsSeen;
    Emitters e = recordingEmitters();
    auto dispatch = e.dispatchInterface;
    e.dispatchInterface = [&](EmitRun& g, TypeEntry entry, const std::string& root) {
        libsSeen.push_back(g.referencedLibs.size());
        dispatch(g, entry, root);
    };
    runRequest(host, snapshot, Services{files, registry, loader, settings, ui}, e);
    EXPECT_THAT(libsSeen, ElementsAre(0u, 1u));
}

}  // namespace
}  // namespace tessivar::test
