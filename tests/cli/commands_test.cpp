// The command line's generate, list and show over an in-memory library, file system and settings
// store: class choice, settings from options and store, the checks made before a run, exit statuses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/cli/cli_seams.h"
#include "app/cli/commands.h"
#include "app/cli/platform_services.h"
#include "base/guid_text.h"
#include "support/fakes.h"
#include "support/memory_typelib.h"
#include "tests/typelib/reader_test_support.h"
#include "typelib/catalogue.h"
#include "typelib/class_lookups.h"
#include "typelib/platform_loader.h"
#ifndef _WIN32
#include <unistd.h>

#include "typelib/posix/file_registry.h"
#endif

namespace tessivar::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr const char* kLibPath = "/lib/widget.tlb";

class CommandsTest : public ::testing::Test {
protected:
    CommandsTest() {
        const unsigned iWidget = lib->addInterface("IWidget", guidOf(10), TKIND_DISPATCH, 0x1040);
        const unsigned events = lib->addInterface("_WidgetEvents", guidOf(11), TKIND_DISPATCH, 0x1000);
        const unsigned widget = lib->addCoClass("Widget", guidOf(20));
        const unsigned alpha = lib->addCoClass("alpha", guidOf(21));
        lib->addCoClass("Empty", guidOf(22));
        lib->implement(widget, iWidget, IMPLTYPEFLAG_FDEFAULT);
        lib->implement(widget, events, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE);
        lib->implement(alpha, iWidget, IMPLTYPEFLAG_FDEFAULT);

        auto memoryLoader = std::make_unique<MemoryLoader>();
        memoryLoader->add(kLibPath, lib);
        source.loader = std::move(memoryLoader);
        source.registry = std::make_unique<EmptyRegistry>();
        source.typeLibFile = kLibPath;
        LoadClassesFromFile(*source.loader, kLibPath, source.classes);

        disk.folders.insert("/kovra");
        disk.addFile("/kovra/kovra.jar");
        disk.addFile("/kovra/kovra.dll");
        settings = GeneratorSettings{"WidgetWrappers", "com.example", "/out", "/kovra"};
    }

    // Emitters that only log, so the log shows which classes and types a run reached.
    Emitters loggingEmitters() {
        Emitters e;
        e.dispatchInterface = [](EmitRun& g, TypeEntry entry, const std::string&) {
            g.logLine("Generating Dispatch interface: " + entry.name);
        };
        e.listenerInterface = [](EmitRun& g, TypeEntry entry, const std::string&) {
            g.logLine("Generating stub: " + entry.name);
        };
        e.coClasses = [](EmitRun& g) {
            for (const ClassEntry& c : g.coClasses) g.logLine("Generating CoClass interface: " + c.progId);
        };
        e.buildFile = [this](EmitRun& g) {
            g.logLine("Generating build file: " + g.destination + "/build.xml");
            if (failBuildFile) dynamic_cast<OutputFailureSink&>(g).outputFailed(g.destination + "/build.xml", "cannot be created");
        };
        e.mavenBuildFile = [this](EmitRun& g) {
            g.logLine("Generating Maven build file: " + g.destination + "/pom.xml");
            if (failMavenBuildFile) dynamic_cast<OutputFailureSink&>(g).outputFailed(g.destination + "/pom.xml", "cannot be created");
        };
        return e;
    }

    int runGenerate(const GenerateOptions& options, bool quiet = false, bool progress = false) {
        ConsoleUi ui(out, err, quiet, progress);
        return generate(source, options, settings, files, store, ui, loggingEmitters());
    }

    GenerateOptions coClass(const std::string& name) {
        GenerateOptions o;
        o.choice.coClass = name;
        return o;
    }

    std::shared_ptr<MemoryTypeLib> lib = MemoryTypeLib::create("WidgetLib", guidOf(1));
    ClassSource source;
    MemoryFileSystem disk;
    StartFolderFileSystem files{disk};
    MemorySettingsStore store;
    GeneratorSettings settings;
    std::ostringstream out, err;
    ConsoleUi listUi{out, err, false, false};
    bool failBuildFile = false;
    bool failMavenBuildFile = false;
};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

TEST_F(CommandsTest, GenerateWritesTheLogToStandardOutputAndSucceeds) {
    EXPECT_EQ(runGenerate(coClass("Widget")), kExitSuccess);
    EXPECT_THAT(lines(out.str()),
                ElementsAre("Creating folder: /out", "Current Directory: /work", "Generating Dispatch interface: IWidget",
                            "Generating stub: _WidgetEvents", "Generating CoClass interface: Widget",
                            "Generating build file: /out/build.xml"));
    EXPECT_EQ(err.str(), "");
}

TEST_F(CommandsTest, MavenOptionAddsThePomAfterTheBuildFileForThisRunOnly) {
    GenerateOptions options = coClass("Widget");
    options.maven = true;
    store.present = true;
    EXPECT_EQ(runGenerate(options), kExitSuccess);
    const std::vector<std::string> log = lines(out.str());
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "Generating build file: /out/build.xml");
    EXPECT_EQ(log.back(), "Generating Maven build file: /out/pom.xml");
    // Not a setting: the store gets the same four values as without the option.
    EXPECT_THAT(store.writes, ElementsAre("Package=com.example", "JarModule=WidgetWrappers", "Dest=/out", "Path=/kovra"));

    out.str("");
    EXPECT_EQ(runGenerate(coClass("Widget")), kExitSuccess);
    EXPECT_THAT(out.str(), ::testing::Not(HasSubstr("pom.xml")));

    // A pom that cannot be written fails the run like any other file.
    out.str("");
    failMavenBuildFile = true;
    EXPECT_EQ(runGenerate(options, /*quiet=*/true), kExitFailure);
    EXPECT_EQ(err.str(), "Error: /out/pom.xml cannot be created.\n");
}

TEST_F(CommandsTest, QuietDropsTheLogButNotTheErrors) {
    failBuildFile = true;
    EXPECT_EQ(runGenerate(coClass("Widget"), /*quiet=*/true), kExitFailure);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "Error: /out/build.xml cannot be created.\n");
}

TEST_F(CommandsTest, NamesMatchIgnoringCaseWhenNoneMatchesExactly) {
    EXPECT_EQ(runGenerate(coClass("WIDGET")), kExitSuccess) << err.str();
    EXPECT_THAT(out.str(), HasSubstr("Generating CoClass interface: Widget\n"));
}

TEST_F(CommandsTest, DefaultClassIsTheFirstNameAsTheListSortsIt) {
    // The list sorts without regard to case: "alpha" comes before "Empty" and "Widget".
    EXPECT_EQ(firstShownName(source.classes), "alpha");
    EXPECT_EQ(runGenerate(GenerateOptions{}), kExitSuccess);
    EXPECT_THAT(out.str(), HasSubstr("Generating CoClass interface: alpha\n"));
    EXPECT_THAT(out.str(), ::testing::Not(HasSubstr("CoClass interface: Widget")));
}

TEST_F(CommandsTest, ClassChoiceErrors) {
    EXPECT_EQ(runGenerate(coClass("Gadget")), kExitFailure);
    EXPECT_EQ(err.str(), "Error: /lib/widget.tlb has no coclass named Gadget.\n");
    EXPECT_EQ(out.str(), "");

    err.str("");
    EXPECT_EQ(runGenerate(coClass("Widgte")), kExitFailure);
    EXPECT_EQ(err.str(), "Error: /lib/widget.tlb has no coclass named Widgte. Did you mean Widget?\n");

    // Two coclasses whose names differ only in case: ignoring case cannot choose.
    err.str("");
    lib->addCoClass("WIDGET", guidOf(23));
    source.classes.clear();
    LoadClassesFromFile(*source.loader, kLibPath, source.classes);
    EXPECT_EQ(runGenerate(coClass("widget")), kExitFailure);
    EXPECT_EQ(err.str(), "Error: widget matches WIDGET and Widget when case is ignored: give one of them exactly.\n");

    err.str("");
    source.classes.clear();
    EXPECT_EQ(runGenerate(GenerateOptions{}), kExitFailure);
    EXPECT_EQ(err.str(), "Error: /lib/widget.tlb holds no coclass; generate --every-type writes the types it holds.\n");
    EXPECT_THAT(store.writes, IsEmpty());
}

// The widget library with the types no coclass reaches: an Automation interface, one the runtime cannot
// call, an enum with an alias, a structure and a dispatch interface of its own.
class LibraryRunTest : public CommandsTest {
protected:
    LibraryRunTest() {
        lib->addInterface("IOrphan", guidOf(30), TKIND_DISPATCH, 0x1000);
        lib->addInterface("IAuto", guidOf(31), TKIND_INTERFACE, TYPEFLAG_FOLEAUTOMATION);
        // Listed by a coclass, and still not callable.
        lib->implement(4, lib->addInterface("IVtable", guidOf(32), TKIND_INTERFACE, 0), 0);
        const unsigned color = lib->addEnum("tagColor", guidOf(33), {{"Red", 0}});
        MemoryType alias;
        alias.name = "Color";
        alias.attr.typekind = TKIND_ALIAS;
        alias.attr.tdescAlias.vt = VT_USERDEFINED;
        const unsigned aliasIndex = lib->add(alias);
        lib->type(aliasIndex).attr.tdescAlias.hreftype = lib->addRef(aliasIndex, lib, color);
        MemoryType record;
        record.name = "Rec";
        record.attr.typekind = TKIND_RECORD;
        lib->add(record);
    }

    // The logging emitters, each type written once a run as the program's emitters do, enums too.
    Emitters onceEmitters() {
        Emitters e = loggingEmitters();
        auto once = [](const char* what) {
            return [what](EmitRun& g, TypeEntry entry, const std::string&) {
                if (g.doneInterfaces.insert(entry).second) g.logLine(what + entry.name);
            };
        };
        e.dispatchInterface = once("Generating Dispatch interface: ");
        e.listenerInterface = once("Generating stub: ");
        e.enums = [](EmitRun& g) {
            for (const TypeEntry& entry : g.interfaceList) {
                TypeAttr attr;
                if (entry.typeInfo->typeAttr(attr) == kOk && attr.typekind == TKIND_ENUM)
                    g.logLine("Generating enum interface: " + entry.name);
            }
        };
        return e;
    }

    int runTypes(std::vector<std::string> types) {
        GenerateOptions options;
        options.everyType = types.empty();
        options.types = std::move(types);
        ConsoleUi ui(out, err, false, false);
        return generate(source, options, settings, files, store, ui, onceEmitters());
    }
};

TEST_F(LibraryRunTest, EveryTypeWritesWhatTheCoClassesListAndTheRestOnce) {
    EXPECT_EQ(runTypes({}), kExitSuccess) << err.str();
    EXPECT_THAT(lines(out.str()),
                ElementsAre("Left out IVtable: not a dispatch or Automation-compatible interface, which the runtime "
                            "cannot call.",
                            "Creating folder: /out", "Current Directory: /work",
                            "Generating Dispatch interface: IWidget", "Generating Dispatch interface: IOrphan",
                            "Generating Dispatch interface: IAuto", "Generating stub: _WidgetEvents",
                            "Generating enum interface: Color", "Generating CoClass interface: Widget",
                            "Generating CoClass interface: alpha", "Generating CoClass interface: Empty",
                            "Generating build file: /out/build.xml"));
    EXPECT_EQ(err.str(), "");
}

TEST_F(LibraryRunTest, EveryTypeWorksWithoutCoClasses) {
    auto bare = MemoryTypeLib::create("BareLib", guidOf(2));
    bare->addEnum("Mode", guidOf(40), {{"On", 1}});
    bare->addInterface("IVtable", guidOf(41), TKIND_INTERFACE, 0);
    auto loader = std::make_unique<MemoryLoader>();
    loader->add(kLibPath, bare);
    source.loader = std::move(loader);
    source.classes.clear();
    EXPECT_EQ(runTypes({}), kExitSuccess) << err.str();
    EXPECT_THAT(lines(out.str()),
                ElementsAre("Left out IVtable: not a dispatch or Automation-compatible interface, which the runtime "
                            "cannot call.",
                            "Creating folder: /out", "Current Directory: /work", "Generating enum interface: Mode",
                            "Generating build file: /out/build.xml"));

    // Nothing that gets a file: told, and a failure.
    bare = MemoryTypeLib::create("VtableLib", guidOf(3));
    bare->addInterface("IVtable", guidOf(41), TKIND_INTERFACE, 0);
    loader = std::make_unique<MemoryLoader>();
    loader->add(kLibPath, bare);
    source.loader = std::move(loader);
    out.str("");
    EXPECT_EQ(runTypes({}), kExitFailure);
    EXPECT_EQ(err.str(), "Error: No type of /lib/widget.tlb gets a Java file: nothing was generated.\n");
}

TEST_F(LibraryRunTest, ChosenTypesAndWhatTheyReach) {
    const std::vector<std::string> head = {"Creating folder: /out", "Current Directory: /work"};
    const std::string build = "Generating build file: /out/build.xml";
    struct Case {
        std::vector<std::string> types;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {{"IOrphan"}, {"Generating Dispatch interface: IOrphan"}},
        // A coclass brings its interfaces and its CoClass file; names match ignoring case.
        {{"widget"},
         {"Generating Dispatch interface: IWidget", "Generating stub: _WidgetEvents",
          "Generating CoClass interface: Widget"}},
        // An event source of a coclass stays a listener interface when chosen alone.
        {{"_WidgetEvents"}, {"Generating stub: _WidgetEvents"}},
        {{"Color", "IAUTO"}, {"Generating Dispatch interface: IAuto", "Generating enum interface: Color"}},
        {{"tagColor"}, {"Generating enum interface: tagColor"}},
        {{"Rec", "IOrphan"}, {"Left out Rec: a structure, which gets no Java file.", "Generating Dispatch interface: IOrphan"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.types));
        out.str("");
        err.str("");
        disk.folders.erase("/out");
        EXPECT_EQ(runTypes(c.types), kExitSuccess) << err.str();
        std::vector<std::string> expected;
        std::vector<std::string> rest = c.log;
        // Left-out lines come before the run's own lines.
        while (!rest.empty() && rest.front().rfind("Left out ", 0) == 0) {
            expected.push_back(rest.front());
            rest.erase(rest.begin());
        }
        expected.insert(expected.end(), head.begin(), head.end());
        expected.insert(expected.end(), rest.begin(), rest.end());
        expected.push_back(build);
        EXPECT_EQ(lines(out.str()), expected);
        EXPECT_EQ(err.str(), "");
    }
}

TEST_F(LibraryRunTest, UnknownTypeNamesAreWrongUsageBeforeAnythingIsWritten) {
    struct Case {
        std::vector<std::string> types;
        std::string err;
    };
    const Case cases[] = {
        {{"IWidgte"}, "Error: /lib/widget.tlb has no type named IWidgte; the closest names are IWidget, Widget and IAuto.\n"},
        {{"colour"}, "Error: /lib/widget.tlb has no type named colour; the closest names are Color, tagColor and alpha.\n"},
        // Every unknown name is told; the known ones are not.
        {{"IOrphan", "Gadget", "WidgetEvents"},
         "Error: /lib/widget.tlb has no type named Gadget; the closest names are Widget, IWidget and alpha.\n"
         "Error: /lib/widget.tlb has no type named WidgetEvents; the closest names are _WidgetEvents, Widget and "
         "IWidget.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.types));
        err.str("");
        EXPECT_EQ(runTypes(c.types), kExitUsage);
        EXPECT_EQ(err.str(), c.err);
        EXPECT_EQ(out.str(), "");
        EXPECT_FALSE(disk.folders.count("/out"));
        EXPECT_THAT(store.writes, IsEmpty());
    }
}

TEST_F(LibraryRunTest, UnnamedOrUnreachableChosenTypesWriteNothing) {
    EXPECT_EQ(runTypes({"IVtable"}), kExitFailure);
    EXPECT_EQ(out.str(),
              "Left out IVtable: not a dispatch or Automation-compatible interface, which the runtime cannot call.\n");
    EXPECT_EQ(err.str(), "Error: None of the chosen types gets a Java file: nothing was generated.\n");

    auto one = MemoryTypeLib::create("OneLib", guidOf(4));
    one->addEnum("Mode", guidOf(40), {});
    auto loader = std::make_unique<MemoryLoader>();
    loader->add(kLibPath, one);
    source.loader = std::move(loader);
    err.str("");
    EXPECT_EQ(runTypes({"Nothing"}), kExitUsage);
    EXPECT_EQ(err.str(), "Error: /lib/widget.tlb has no type named Nothing; the closest name is Mode.\n");
}

TEST_F(CommandsTest, ClassWithoutInterfacesWritesNothingAndFails) {
    store.present = true;
    EXPECT_EQ(runGenerate(coClass("Empty")), kExitFailure);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "Error: Empty implements no interface: nothing was generated.\n");
    // The request still stores the settings after its class run, as it does for the dialog.
    EXPECT_THAT(store.writes, ElementsAre("Package=com.example", "JarModule=WidgetWrappers", "Dest=/out", "Path=/kovra"));
}

TEST_F(CommandsTest, ClassWhoseLibraryDoesNotLoadIsReported) {
    source.loader = std::make_unique<MemoryLoader>();  // the file is gone since the list was read
    EXPECT_EQ(runGenerate(coClass("Widget")), kExitFailure);
    EXPECT_EQ(err.str(),
              "Error: The type library of Widget (/lib/widget.tlb) cannot be loaded or holds no coclass with its CLSID.\n");
}

TEST_F(CommandsTest, StoredSettingsAreCreatedByTheFirstRunAndWrittenAfterEachClass) {
    EXPECT_EQ(runGenerate(coClass("Widget")), kExitSuccess);
    EXPECT_TRUE(store.present);
    EXPECT_THAT(store.writes, ElementsAre("Path=/kovra", "Package=com.example", "JarModule=WidgetWrappers", "Dest=/out",
                                          "Path=/kovra"));
}

TEST_F(CommandsTest, NoSaveLeavesTheStoreAsItIs) {
    ReadOnlySettings readOnly(store);
    ConsoleUi ui(out, err, false, false);
    EXPECT_EQ(generate(source, coClass("Widget"), settings, files, readOnly, ui, loggingEmitters()), kExitSuccess);
    EXPECT_FALSE(store.present);
    EXPECT_THAT(store.writes, IsEmpty());

    store.present = true;
    store.values = {{"Dest", "/stored"}};
    EXPECT_EQ(generate(source, coClass("Widget"), settings, files, readOnly, ui, loggingEmitters()), kExitSuccess);
    EXPECT_THAT(store.writes, IsEmpty());
}

TEST_F(CommandsTest, RelativeDestinationStaysInTheStartFolder) {
    // A class run makes the given runtime folder current; the command line keeps its own.
    settings.destDir = "out";
    EXPECT_EQ(runGenerate(coClass("Widget")), kExitSuccess);
    EXPECT_THAT(lines(out.str()), ::testing::Contains("Current Directory: /work"));
    EXPECT_EQ(disk.cwd, "/work");
}

TEST_F(CommandsTest, GenerateAllRunsEveryCoClassWithItsOwnInterfacesAndShowsProgress) {
    GenerateOptions all;
    all.all = true;
    EXPECT_EQ(runGenerate(all, /*quiet=*/true, /*progress=*/true), kExitSuccess);
    EXPECT_EQ(out.str(), "");
    // Three classes in catalogue order; Empty has no interface and writes nothing.
    EXPECT_EQ(err.str(),
              "0 of 3 classes done"
              "\r\033[K1 of 3 classes done"
              "\r\033[K2 of 3 classes done"
              "\r\033[K3 of 3 classes done\n");
}

TEST_F(CommandsTest, GenerateAllLogsEachClassRun) {
    GenerateOptions all;
    all.all = true;
    EXPECT_EQ(runGenerate(all), kExitSuccess);
    const auto log = lines(out.str());
    EXPECT_EQ(std::count(log.begin(), log.end(), "Generating Dispatch interface: IWidget"), 2);
    EXPECT_THAT(log, ::testing::Contains("Generating CoClass interface: Widget"));
    EXPECT_THAT(log, ::testing::Contains("Generating CoClass interface: alpha"));
    EXPECT_EQ(err.str(), "");  // no terminal, no progress
}

TEST_F(CommandsTest, SettingsFromOptionsAndStore) {
    store.present = true;
    store.values = {{"Package", "stored.pkg"}, {"JarModule", "StoredJar"}, {"Dest", "/stored"}, {"Path", "/kovra"}};
    GivenSettings given;
    given.jarModule = "GivenJar";
    given.package = "";  // given empty: the files go into src/<library>
    const GeneratorSettings s = resolveSettings(given, store);
    EXPECT_EQ(s.jarModule, "GivenJar");
    EXPECT_EQ(s.package, "");
    EXPECT_EQ(s.destDir, "/stored");
    EXPECT_EQ(s.sdkPath, "/kovra");

    store.present = false;
    EXPECT_EQ(resolveSettings(given, store).destDir, "");
}

TEST_F(CommandsTest, RuntimeFolderProblemsNameWhatIsMissing) {
    disk.folders.insert("/nojar");
    disk.addFile("/nojar/kovra.dll");
    disk.folders.insert("/nodll");
    disk.addFile("/nodll/kovra.jar");
    disk.folders.insert("/empty");
    disk.addFile("/plain");
    struct Case {
        std::string folder, problem;
    } cases[] = {
        {"", "No runtime folder: give --runtime DIR, the folder that holds kovra.jar and kovra.dll."},
        {"/missing", "The runtime folder /missing does not exist."},
        {"/plain", "The runtime folder /plain is not a folder."},
        {"/nojar", "The runtime folder /nojar has no kovra.jar."},
        {"/nodll", "The runtime folder /nodll has no kovra.dll."},
        {"/empty", "The runtime folder /empty has neither kovra.jar nor kovra.dll."},
    };
    for (const Case& c : cases) EXPECT_EQ(runtimeFolderProblem(files, c.folder).value_or("(none)"), c.problem) << c.folder;
    EXPECT_EQ(runtimeFolderProblem(files, "/kovra"), std::nullopt);
}

TEST_F(CommandsTest, EverySettingsProblemIsToldAtOnce) {
    ConsoleUi ui(out, err, false, false);
    GivenSettings given;
    settings.jarModule = "";
    settings.sdkPath = "/missing";
    EXPECT_EQ(checkSettings(settings, given, "the settings file S", files, ui), kExitFailure);
    EXPECT_EQ(err.str(), "Error: The runtime folder /missing does not exist.\nError: Enter Module Name.\n");

    // A name that cannot name the output is wrong usage, whatever else is wrong.
    err.str("");
    settings.jarModule = "a/b";
    settings.package = "com.example.int";
    given.package = settings.package;
    EXPECT_EQ(checkSettings(settings, given, "the settings file S", files, ui), kExitUsage);
    EXPECT_EQ(err.str(),
              "Error: The runtime folder /missing does not exist.\n"
              "Error: The jar module a/b from the settings file S cannot name the jar file: it holds the path "
              "separator / (give --jar-module to replace it).\n"
              "Error: --package com.example.int is not a Java package name: \"int\" is a Java keyword.\n");

    err.str("");
    settings.sdkPath = "/kovra";
    settings.jarModule = "J";
    settings.package = "";
    EXPECT_EQ(checkSettings(settings, given, "the settings file S", files, ui), kExitSuccess);
    EXPECT_EQ(err.str(), "");
}

TEST_F(CommandsTest, StoredValuesInUseAreNamedOncePerValueUnlessQuiet) {
    GivenSettings given;
    given.destDir = "/given";
    settings.package = "";
    ConsoleUi ui(out, err, false, false);
    tellStoredSettings(given, settings, "the settings file S", ui);
    EXPECT_EQ(err.str(),
              "Note: jar module WidgetWrappers, from the settings file S.\n"
              "Note: runtime folder /kovra, from the settings file S.\n");
    err.str("");
    ConsoleUi quiet(out, err, true, false);
    tellStoredSettings(given, settings, "the settings file S", quiet);
    EXPECT_EQ(err.str(), "");
}

TEST_F(CommandsTest, TheSummaryCountsTheRunsFilesAndStaysQuietOnSuccess) {
    RequestOutcome outcome;
    outcome.filesOpened = 5;
    outcome.outputFailures = 1;
    outcome.filesUnchanged = 7;
    outcome.incompleteTypes = 1;
    EXPECT_EQ(runSummary(outcome, 0.5), "Summary: 4 files written, 7 unchanged, 1 failed, 1 type incomplete, 0.50 s.");

    GenerateOptions options = coClass("Widget");
    options.summarySince = std::chrono::steady_clock::now();
    EXPECT_EQ(runGenerate(options, /*quiet=*/true), kExitSuccess);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(runGenerate(options), kExitSuccess);
    EXPECT_THAT(err.str(), ::testing::StartsWith("Summary: 0 files written, 0 unchanged, 0 failed, 0 types incomplete, "));
    err.str("");
    failBuildFile = true;
    EXPECT_EQ(runGenerate(options, /*quiet=*/true), kExitFailure);
    EXPECT_THAT(err.str(), HasSubstr("\nSummary: 0 files written, 0 unchanged, 1 failed, "));
}

TEST_F(CommandsTest, ListShowsSortedNamesWithColumnsOnRequest) {
    EXPECT_EQ(list(source, ListOptions{}, out, listUi), kExitSuccess);
    EXPECT_EQ(out.str(), "alpha\nEmpty\nWidget\n");
    out.str("");
    EXPECT_EQ(list(source, ListOptions{true, true}, out, listUi), kExitSuccess);
    const std::string columns = "\t" + guidText(guidOf(1)) + "\t/lib/widget.tlb\n";
    EXPECT_EQ(out.str(), "alpha" + columns + "Empty" + columns + "Widget" + columns);
}

TEST_F(CommandsTest, ShowPrintsTheTypeLibraryInformationAndInterfaces) {
    ConsoleUi ui(out, err, false, false);
    ClassChoice choice;
    choice.coClass = "Widget";
    EXPECT_EQ(show(source, choice, out, ui), kExitSuccess);
    EXPECT_THAT(lines(out.str()),
                ElementsAre("TypeLib GUID: " + guidText(guidOf(1)), "TypeLib Module: /lib/widget.tlb", "CoClass: Widget",
                            "CLSID: " + guidText(guidOf(20)), "Interfaces:", "    IWidget " + guidText(guidOf(10)) + " default",
                            "    _WidgetEvents " + guidText(guidOf(11)) + " default source"));
}

// Through this build's own loader (the platform's under Wine): a library whose import cannot be loaded
// anywhere gets every file written, a line for each type that lost members naming the library and how to
// supply it, and the exit status of a failed run.
TEST(GenerateWithMissingImport, NamesTheLibraryAndFails) {
    SourceOptions options;
    options.typeLib = testing::fixturePath("unres64.tlb");
    ClassSource source;
#ifdef _WIN32
    ASSERT_EQ(openClassSource(options, source), std::nullopt);
#else
    // No registry at all, whatever the machine has.
    source.registry = std::make_unique<EmptyRegistry>();
    source.loader = makePlatformTypeLibLoader(source.registry.get());
    source.typeLibFile = options.typeLib;
    ASSERT_EQ(LoadClassesFromFile(*source.loader, options.typeLib, source.classes), kOk);
#endif
    MemoryFileSystem disk;
    disk.folders.insert("/kovra");
    disk.addFile("/kovra/kovra.jar");
    disk.addFile("/kovra/kovra.dll");
    StartFolderFileSystem files{disk};
    MemorySettingsStore store;
    std::ostringstream out, err;
    ConsoleUi ui(out, err, false, false);
    GenerateOptions all;
    all.all = true;
    EXPECT_EQ(generate(source, all, GeneratorSettings{"W", "", "/out", "/kovra"}, files, store, ui), kExitFailure);
    EXPECT_THAT(err.str(), HasSubstr("Incomplete: IWidget of TessivarFeatures lost 17 functions: the type library it "
                                     "refers to, {7E57AB1E-0000-0000-C000-000000000046} 2.0 (missing.tlb), cannot be "
                                     "loaded; " + missingLibraryHint() + ".\n"));
    EXPECT_THAT(err.str(), HasSubstr("Incomplete: 3 types lost 51 functions in all"));
    EXPECT_TRUE(disk.file("/out/src/TessivarFeatures/IWidget.java").has_value());
}

TEST_F(CommandsTest, NamesFromTheLibraryReachTheTerminalEscaped) {
    const unsigned hostile = lib->addInterface("IEvil\x1b]0;owned\x07", guidOf(12), TKIND_DISPATCH, 0x1040);
    const unsigned coclass = lib->addCoClass("Fake\nWidget\x1b[2J", guidOf(23));
    lib->implement(coclass, hostile, IMPLTYPEFLAG_FDEFAULT);
    source.classes.clear();
    LoadClassesFromFile(*source.loader, kLibPath, source.classes);

    EXPECT_EQ(list(source, ListOptions{}, out, listUi), kExitSuccess);
    EXPECT_EQ(out.str(), "alpha\nEmpty\nFake\\x0AWidget\\x1B[2J\nWidget\n");
    out.str("");
    ConsoleUi ui(out, err, false, false);
    ClassChoice choice;
    choice.coClass = "Fake\nWidget\x1b[2J";
    EXPECT_EQ(show(source, choice, out, ui), kExitSuccess);
    EXPECT_THAT(lines(out.str()), ElementsAre("TypeLib GUID: " + guidText(guidOf(1)), "TypeLib Module: /lib/widget.tlb",
                                              "CoClass: Fake\\x0AWidget\\x1B[2J", "CLSID: " + guidText(guidOf(23)),
                                              "Interfaces:",
                                              "    IEvil\\x1B]0;owned\\x07 " + guidText(guidOf(12)) + " default"));
    // The generation log and its errors, too.
    out.str("");
    failBuildFile = true;
    settings.destDir = "/out\x1b[1A";
    EXPECT_EQ(runGenerate(coClass("Fake\nWidget\x1b[2J")), kExitFailure);
    EXPECT_THAT(out.str(), HasSubstr("Generating Dispatch interface: IEvil\\x1B]0;owned\\x07\n"));
    EXPECT_EQ(err.str(), "Error: /out\\x1B[1A/build.xml cannot be created.\n");
}

TEST_F(CommandsTest, JsonDocumentsEscapeEveryOutsideText) {
    // Quotes, backslashes, control characters and a byte that is no UTF-8 (which the document cannot
    // hold as it is and gets U+FFFD for).
    const unsigned hostile = lib->addInterface("I\"x\\y\x01", guidOf(12), TKIND_DISPATCH, 0x1040);
    const unsigned coclass = lib->addCoClass("Bad\n\xFF", guidOf(23));
    lib->implement(coclass, hostile, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE | 0x10);
    source.classes.clear();
    LoadClassesFromFile(*source.loader, kLibPath, source.classes);

    ListOptions json;
    json.json = true;
    EXPECT_EQ(list(source, json, out, listUi), kExitSuccess);
    EXPECT_THAT(out.str(), HasSubstr("      \"name\": \"Bad\\n\xEF\xBF\xBD\",\n      \"clsid\": \"" +
                                     guidText(guidOf(23)) + "\",\n"));
    EXPECT_EQ(out.str().back(), '\n');

    out.str("");
    ConsoleUi ui(out, err, false, false);
    ClassChoice choice;
    choice.coClass = "Bad\n\xFF";
    EXPECT_EQ(show(source, choice, out, ui, /*json=*/true), kExitSuccess);
    EXPECT_EQ(out.str(), "{\n"
                         "  \"name\": \"Bad\\n\xEF\xBF\xBD\",\n"
                         "  \"clsid\": \"" + guidText(guidOf(23)) + "\",\n"
                         "  \"typeLibGuid\": \"" + guidText(guidOf(1)) + "\",\n"
                         "  \"typeLibPath\": \"/lib/widget.tlb\",\n"
                         "  \"coClass\": \"Bad\\n\xEF\xBF\xBD\",\n"
                         "  \"interfaces\": [\n"
                         "    {\n"
                         "      \"name\": \"I\\\"x\\\\y\\u0001\",\n"
                         "      \"guid\": \"" + guidText(guidOf(12)) + "\",\n"
                         "      \"flags\": [\n"
                         "        \"default\",\n"
                         "        \"source\",\n"
                         "        \"0x00000010\"\n"
                         "      ]\n"
                         "    }\n"
                         "  ]\n"
                         "}\n");
    EXPECT_EQ(err.str(), "");
}

TEST_F(CommandsTest, ListOfAFileWithoutCoClassesFails) {
    source.classes.clear();
    EXPECT_EQ(list(source, ListOptions{}, out, listUi), kExitFailure);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "Error: /lib/widget.tlb holds no coclass; generate --every-type writes the types it holds.\n");
}

// A store whose saves fail, as a full disk fails them.
class FailingSettingsStore : public MemorySettingsStore {
public:
    bool writeTogether(const std::vector<std::pair<std::string, std::string>>&) override { return false; }
    std::string failure() const override { return "/home/me/.config/tessivar/settings.ini: No space left on device"; }
};

TEST_F(CommandsTest, AFailedSaveOfTheSettingsIsToldOnceAndTheRunStillSucceeds) {
    FailingSettingsStore failing;
    failing.present = true;
    ConsoleUi ui(out, err, false, false);
    GenerateOptions all;
    all.all = true;
    EXPECT_EQ(generate(source, all, settings, files, failing, ui, loggingEmitters()), kExitSuccess);
    EXPECT_EQ(err.str(),
              "Warning: The settings cannot be saved: /home/me/.config/tessivar/settings.ini: No space left on "
              "device.\n");

    // --no-save declines every save: nothing to tell.
    err.str("");
    ReadOnlySettings readOnly(failing);
    EXPECT_EQ(generate(source, all, settings, files, readOnly, ui, loggingEmitters()), kExitSuccess);
    EXPECT_EQ(err.str(), "");
}

TEST_F(CommandsTest, DumpToAFileReplacesItOnlyWithAWholeDump) {
    ConsoleUi ui(out, err, false, false);
    disk.folders.insert("/d");
    disk.addFile("/d/dump.txt", "earlier dump");
    // A library that does not load leaves the file as it was.
    EXPECT_EQ(dumpToFile(source, "/lib/missing.tlb", files, "/d/dump.txt", ui), kExitFailure);
    EXPECT_EQ(disk.file("/d/dump.txt"), "earlier dump");
    EXPECT_THAT(err.str(), HasSubstr("/lib/missing.tlb cannot be loaded as a type library"));

    err.str("");
    EXPECT_EQ(dumpToFile(source, kLibPath, files, "/d/dump.txt", ui), kExitSuccess) << err.str();
    std::ostringstream direct;
    EXPECT_EQ(dump(source, kLibPath, direct, ui), kExitSuccess);
    EXPECT_EQ(disk.file("/d/dump.txt"), direct.str());

    disk.failWrites.insert("/d/dump.txt");
    EXPECT_EQ(dumpToFile(source, kLibPath, files, "/d/dump.txt", ui), kExitFailure);
    EXPECT_EQ(err.str(), "Error: /d/dump.txt cannot be written.\n");
    err.str("");
    EXPECT_EQ(dumpToFile(source, kLibPath, files, "/nowhere/dump.txt", ui), kExitFailure);
    EXPECT_EQ(err.str(), "Error: /nowhere/dump.txt cannot be created.\n");
}

TEST(ImplTypeFlagsText, NamesEveryBitAndKeepsUnknownOnes) {
    EXPECT_EQ(implTypeFlagsText(0), "none");
    EXPECT_EQ(implTypeFlagsText(IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE), "default source");
    EXPECT_EQ(implTypeFlagsText(IMPLTYPEFLAG_FRESTRICTED | IMPLTYPEFLAG_FDEFAULTVTABLE), "restricted defaultvtable");
    EXPECT_EQ(implTypeFlagsText(0x11), "default 0x00000010");
}

#ifndef _WIN32
// Registered classes: the list offers only classes with a ProgID, a type library GUID and a path,
// and a name resolves among those.
constexpr std::string_view kSystemReg = R"(WINE REGISTRY Version 2

[Software\\Classes\\CLSID\\{00000001-0000-0000-8000-00AA00BB00CC}]
[Software\\Classes\\CLSID\\{00000001-0000-0000-8000-00AA00BB00CC}\\ProgID]
@="Sample.Widget"

[Software\\Classes\\CLSID\\{00000014-0000-0000-8000-00AA00BB00CC}]
[Software\\Classes\\CLSID\\{00000014-0000-0000-8000-00AA00BB00CC}\\ProgID]
@="Sample.Widget"
[Software\\Classes\\CLSID\\{00000014-0000-0000-8000-00AA00BB00CC}\\TypeLib]
@="{00000000-0000-0000-0000-000000000001}"
[Software\\Classes\\CLSID\\{00000014-0000-0000-8000-00AA00BB00CC}\\Version]
@="1.0"

[Software\\Classes\\CLSID\\{00000015-0000-0000-8000-00AA00BB00CC}]
[Software\\Classes\\CLSID\\{00000015-0000-0000-8000-00AA00BB00CC}\\ProgID]
@="another.Class"
[Software\\Classes\\CLSID\\{00000015-0000-0000-8000-00AA00BB00CC}\\TypeLib]
@="{00000000-0000-0000-0000-000000000001}"
[Software\\Classes\\CLSID\\{00000015-0000-0000-8000-00AA00BB00CC}\\Version]
@="1.0"

[Software\\Classes\\TypeLib\\{00000000-0000-0000-0000-000000000001}\\1.0\\0\\win32]
@="C:\\lib\\widget.tlb"
)";

class RegisteredClassesTest : public CommandsTest {
protected:
    RegisteredClassesTest() {
        auto opened = registryFromWineFiles(kSystemReg, "", {});
        EXPECT_TRUE(opened.registry) << opened.error;
        source.registry = std::move(opened.registry);
        auto memoryLoader = std::make_unique<MemoryLoader>();
        memoryLoader->add("C:\\lib\\widget.tlb", lib);
        source.loader = std::move(memoryLoader);
        useRegisteredClasses(source);
    }
};

TEST_F(RegisteredClassesTest, ListOffersTheClassesTheDialogShowsInItsOrder) {
    EXPECT_EQ(list(source, ListOptions{}, out, listUi), kExitSuccess);
    EXPECT_EQ(out.str(), "another.Class\nSample.Widget\n");

    ClassCatalogue all;
    ReadRegisteredClasses(*source.registry, all);
    std::vector<std::string> listed;
    for (const ClassEntry* e : shownOrder(source.classes)) listed.push_back(e->progId);
    EXPECT_EQ(listed, shownClassNames(all));
}

TEST_F(RegisteredClassesTest, ShownNameResolvesToTheShownClassNotAnEarlierHiddenOne) {
    // The first registration of Sample.Widget has no type library; the class list shows the second,
    // and generating it must reach that one's coclass (CLSID ...14 is Widget in the library).
    GenerateOptions options;
    options.choice.progId = "Sample.Widget";
    EXPECT_EQ(runGenerate(options), kExitSuccess) << err.str();
    EXPECT_THAT(out.str(), HasSubstr("Generating Dispatch interface: IWidget\n"));
    EXPECT_THAT(out.str(), HasSubstr("Generating CoClass interface: Sample.Widget\n"));
}

TEST_F(RegisteredClassesTest, UnknownProgIdIsAnError) {
    GenerateOptions options;
    options.choice.progId = "No.Such";
    EXPECT_EQ(runGenerate(options), kExitFailure);
    EXPECT_EQ(err.str(),
              "Error: No registered class with a type library has the ProgID No.Such (tessivar list shows those that "
              "have).\n");
}

// A library file needs no registry, but a prefix named for it whose registry is broken is the error the
// command reports.
TEST(FileModeSource, ReportsAGivenPrefixWhoseRegistryCannotBeRead) {
    const auto prefix = std::filesystem::temp_directory_path() / ("tessivar-broken-prefix-" + std::to_string(::getpid()));
    std::filesystem::create_directories(prefix);
    std::ofstream(prefix / "system.reg") << "WINE REGISTRY Version 2\n\n[Software\\Classes\\CLSID\n";
    SourceOptions options;
    options.typeLib = testing::fixturePath("features64.tlb");
    options.winePrefix = prefix.string();
    ClassSource source;
    const std::optional<std::string> error = openClassSource(options, source);
    std::filesystem::remove_all(prefix);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->rfind("The registry cannot be read: ", 0), 0u) << *error;
}

#endif  // the registry of a Wine prefix

}  // namespace
}  // namespace tessivar::test
