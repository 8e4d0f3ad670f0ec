// The registered class catalogue, the names the class list shows, and resolving a shown name to its
// coclass and interfaces.
#include <gtest/gtest.h>

#include "tests/registry/fake_typelib.h"
#include "tests/registry/registry_test_support.h"
#include "typelib/catalogue.h"
#include "typelib/class_lookups.h"

namespace tessivar {
namespace {

using test::FakeLib;
using test::FakeLoader;
using test::FakeType;
using test::readRegFixture;
using test::registryOf;

const std::string kWidgetsGuid = "{D0000000-0000-0000-0000-000000000001}";
const std::string kWidgetsPath = "C:\\Libs\\widgets.tlb";
const std::string kZetaPath = "C:\\Libs\\zeta.tlb";

ClassCatalogue registeredClasses() {
    auto registry = registryOf(readRegFixture("classes.reg"));
    ClassCatalogue catalogue{ClassEntry{"stale", "stale", "stale", "stale", nullptr}};
    ReadRegisteredClasses(*registry, catalogue);
    return catalogue;
}

// widgets.tlb: two interfaces and three coclasses; zeta.tlb: no coclass at all.
FakeLoader widgetLoader() {
    auto iwidget = std::make_shared<FakeType>("IWidget", "{B0000000-0000-0000-0000-000000000001}", TKIND_DISPATCH);
    auto events = std::make_shared<FakeType>("_WidgetEvents", "{B0000000-0000-0000-0000-000000000002}", TKIND_DISPATCH);
    auto full = std::make_shared<FakeType>("FullWidget", "{C0000000-0000-0000-0000-000000000001}", TKIND_COCLASS);
    full->implemented = {{iwidget, IMPLTYPEFLAG_FDEFAULT}, {events, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE}};
    auto alpha = std::make_shared<FakeType>("AlphaWidget", "{C0000000-0000-0000-0000-000000000005}", TKIND_COCLASS);
    alpha->implemented = {{iwidget, IMPLTYPEFLAG_FDEFAULT}};
    auto other = std::make_shared<FakeType>("OtherWidget", "{C0000000-0000-0000-0000-000000000006}", TKIND_COCLASS);
    auto widgets = std::make_shared<FakeLib>(kWidgetsGuid);
    widgets->types = {iwidget, full, events, alpha, other};

    auto zeta = std::make_shared<FakeLib>("{D0000000-0000-0000-0000-000000000007}");
    zeta->types = {std::make_shared<FakeType>("IZeta", "{B0000000-0000-0000-0000-000000000007}", TKIND_DISPATCH)};

    FakeLoader loader;
    loader.libraries = {{kWidgetsPath, widgets}, {kZetaPath, zeta}};
    return loader;
}

TEST(RegisteredClasses, EnterExactlyWithAProgIdKey) {
    const ClassCatalogue catalogue = registeredClasses();
    struct Expected {
        const char *clsid, *progId, *guid, *path;
    } expected[] = {
        {"{C0000000-0000-0000-0000-000000000001}", "Widget.Full.1", kWidgetsGuid.c_str(), kWidgetsPath.c_str()},
        {"{C0000000-0000-0000-0000-000000000002}", "Widget.NoTypeLib", "", ""},
        {"{C0000000-0000-0000-0000-000000000003}", "Widget.NoVersion", kWidgetsGuid.c_str(), ""},
        // {C...04} has a type library and a version but no ProgID: not a catalogue entry.
        {"{c0000000-0000-0000-0000-000000000005}", "alpha.Widget", kWidgetsGuid.c_str(), kWidgetsPath.c_str()},
        {"{C0000000-0000-0000-0000-000000000006}", "Widget.Full.1", kWidgetsGuid.c_str(), kWidgetsPath.c_str()},
        // "ProgId" opens as "ProgID"; the library is registered under 409\win64 only.
        {"{C0000000-0000-0000-0000-000000000007}", "Zeta.Widget", "{D0000000-0000-0000-0000-000000000007}",
         kZetaPath.c_str()},
        {"{C0000000-0000-0000-0000-000000000008}", "Widget.Unregistered", "{D0000000-0000-0000-0000-000000000009}", ""},
    };
    ASSERT_EQ(catalogue.size(), std::size(expected));
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        SCOPED_TRACE(expected[i].clsid);
        EXPECT_EQ(catalogue[i].clsid, expected[i].clsid);
        EXPECT_EQ(catalogue[i].progId, expected[i].progId);
        EXPECT_EQ(catalogue[i].typeLibGuid, expected[i].guid);
        EXPECT_EQ(catalogue[i].typeLibPath, expected[i].path);
        EXPECT_FALSE(catalogue[i].typeLib);
    }
}

TEST(RegisteredClasses, ValuesAreTakenAsStored) {
    auto registry = registryOf(
        "REGEDIT4\n"
        "[HKEY_CLASSES_ROOT\\CLSID\\{1}\\ProgID]\n"  // no default value: an entry with an empty ProgID
        "[HKEY_CLASSES_ROOT\\CLSID\\{2}\\ProgID]\n@=hex(2):25,58,25,00\n"
        "[HKEY_CLASSES_ROOT\\CLSID\\{2}\\TypeLib]\n@=\"{L}\"\n"
        "[HKEY_CLASSES_ROOT\\CLSID\\{2}\\Version]\n@=\"1.0\"\n"
        "[HKEY_CLASSES_ROOT\\TypeLib\\{L}\\1.0\\0\\win32]\n@=hex(2):25,58,25,00\n",
        {}, {{"X", "expanded"}});
    ClassCatalogue catalogue;
    ReadRegisteredClasses(*registry, catalogue);
    ASSERT_EQ(catalogue.size(), 2u);
    EXPECT_EQ(catalogue[0].progId, "");
    EXPECT_EQ(catalogue[1].progId, "%X%");            // a class's own values are never expanded
    EXPECT_EQ(catalogue[1].typeLibPath, "expanded");  // the registered library path is

    auto empty = registryOf("REGEDIT4\n");
    ReadRegisteredClasses(*empty, catalogue);
    EXPECT_TRUE(catalogue.empty());
}

TEST(ClassList, ShowsCompleteEntriesSortedIgnoringCase) {
    EXPECT_EQ(shownClassNames(registeredClasses()),
              (std::vector<std::string>{"alpha.Widget", "Widget.Full.1", "Widget.Full.1", "Zeta.Widget"}));
    const ClassCatalogue mixed{{"{L}", "{1}", "beta", "b.tlb", nullptr},  {"{L}", "{2}", "alpha", "a.tlb", nullptr},
                               {"{L}", "{3}", "Gamma", "", nullptr},      {"", "{4}", "Delta", "d.tlb", nullptr},
                               {"{L}", "{5}", "Alpha", "A.tlb", nullptr}, {"{L}", "{6}", "", "e.tlb", nullptr}};
    EXPECT_EQ(shownClassNames(mixed), (std::vector<std::string>{"Alpha", "alpha", "beta"}));
}

TEST(FindClass, ResolvesAShownNameToTheFirstEntrysCoclass) {
    const ClassCatalogue catalogue = registeredClasses();
    FakeLoader loader = widgetLoader();

    // Two entries share the name: the first in catalogue order decides (FullWidget, not OtherWidget).
    FoundClass found = FindClass(loader, "Widget.Full.1", catalogue);
    EXPECT_EQ(found.typeLibGuid, kWidgetsGuid);
    EXPECT_EQ(found.typeLibPath, kWidgetsPath);
    EXPECT_EQ(found.coClassName, "FullWidget");

    // The registry holds the CLSID in lower case; the library gives it in upper case.
    found = FindClass(loader, "alpha.Widget", catalogue);
    EXPECT_EQ(found.coClassName, "AlphaWidget");
    ASSERT_TRUE(found.coClass);

    // Names are matched exactly.
    EXPECT_EQ(FindClass(loader, "Alpha.Widget", catalogue).typeLibPath, "");
}

TEST(FindClass, LibraryWithoutTheClassGivesItsDataButNoCoclass) {
    FakeLoader loader = widgetLoader();
    const FoundClass found = FindClass(loader, "Zeta.Widget", registeredClasses());
    EXPECT_EQ(found.typeLibGuid, "{D0000000-0000-0000-0000-000000000007}");
    EXPECT_EQ(found.typeLibPath, kZetaPath);
    EXPECT_EQ(found.coClassName, "");
    EXPECT_FALSE(found.coClass);
    EXPECT_TRUE(ListImplementedInterfaces(found.typeLibPath, found.coClass).empty());

    const FoundClass unloadable = FindClass(loader, "Widget.NoVersion", registeredClasses());
    EXPECT_EQ(unloadable.typeLibGuid, kWidgetsGuid);
    EXPECT_EQ(unloadable.coClassName, "");
}

TEST(ImplementedInterfaces, ListedInImplementationOrderWithFlags) {
    FakeLoader loader = widgetLoader();
    const FoundClass found = FindClass(loader, "Widget.Full.1", registeredClasses());
    const std::vector<TypeEntry> list = ListImplementedInterfaces(found.typeLibPath, found.coClass);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "IWidget");
    EXPECT_EQ(list[0].guidText, "{B0000000-0000-0000-0000-000000000001}");
    EXPECT_EQ(list[0].kind, IMPLTYPEFLAG_FDEFAULT);
    EXPECT_EQ(list[1].name, "_WidgetEvents");
    EXPECT_EQ(list[1].kind, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE);
    for (const TypeEntry& e : list) {
        EXPECT_EQ(e.typeLibPath, kWidgetsPath);
        EXPECT_EQ(e.libName, "");
        EXPECT_TRUE(e.typeInfo);
    }
}

TEST(ClassesFromFile, ReplaceTheCatalogueWithTheFilesCoclasses) {
    FakeLoader loader = widgetLoader();
    ClassCatalogue catalogue = registeredClasses();
    ASSERT_EQ(LoadClassesFromFile(loader, kWidgetsPath, catalogue), kOk);
    ASSERT_EQ(catalogue.size(), 3u);
    const char* names[] = {"FullWidget", "AlphaWidget", "OtherWidget"};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(catalogue[i].progId, names[i]);
        EXPECT_EQ(catalogue[i].typeLibGuid, kWidgetsGuid);
        EXPECT_EQ(catalogue[i].typeLibPath, kWidgetsPath);
    }
    EXPECT_EQ(catalogue[1].clsid, "{C0000000-0000-0000-0000-000000000005}");

    EXPECT_EQ(LoadClassesFromFile(loader, kZetaPath, catalogue), kOk);  // no coclass: empty, and fine
    EXPECT_TRUE(catalogue.empty());

    catalogue = registeredClasses();
    EXPECT_EQ(LoadClassesFromFile(loader, "C:\\notes.txt", catalogue), kUnsupportedFormat);
    EXPECT_TRUE(catalogue.empty());
}

}  // namespace
}  // namespace tessivar
