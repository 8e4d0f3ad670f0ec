// CoClass files: the Widget example byte for byte, the ProgID lookup, and which coclasses get a file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "engine/wrapper_generator.h"
#include "mapping/path_names.h"
#include "emit/coclass.h"
#include "base/guid_text.h"
#include "base/text.h"
#include "support/fakes.h"
#include "support/golden_compare.h"
#include "support/memory_typelib.h"
#include "typelib/progid.h"

namespace tessivar::test {
namespace {

using ::testing::ElementsAre;

// Default values of HKEY_CLASSES_ROOT keys; key paths compare ignoring case, as the registry's do.
class DefaultValueRegistry : public EmptyRegistry {
public:
    void set(const std::string& path, std::string text, std::uint32_t type = REG_SZ) {
        RegValue v;
        v.type = type;
        v.data.assign(text.begin(), text.end());
        v.data.push_back(0);
        values_[upper(path)] = v;
    }
    RegStatus openKey(RegRoot root, std::string_view path, RegAccess, std::unique_ptr<RegKey>& out) override {
        const auto it = values_.find(upper(std::string(path)));
        if (root != RegRoot::ClassesRoot || it == values_.end()) return kRegFileNotFound;
        out = std::make_unique<Key>(it->second);
        return kRegSuccess;
    }

private:
    struct Key : RegKey {
        explicit Key(RegValue v) : value(std::move(v)) {}
        RegStatus openSubKey(std::string_view, RegAccess, std::unique_ptr<RegKey>&) const override {
            return kRegFileNotFound;
        }
        RegStatus queryValue(std::string_view name, std::size_t maxBytes, RegValue& out) const override {
            if (!name.empty()) return kRegFileNotFound;
            if (value.data.size() > maxBytes) return kRegMoreData;
            out = value;
            return kRegSuccess;
        }
        RegStatus enumSubKey(std::uint32_t, std::string&) const override { return kRegNoMoreItems; }
        RegStatus setValue(std::string_view, const RegValue&) override { return kRegAccessDenied; }
        RegValue value;
    };
    static std::string upper(std::string s) {
        for (char& c : s) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        return s;
    }
    std::map<std::string, RegValue> values_;
};

const std::string kWidgetClsid = "{1B4C9C1E-0000-4000-8000-00AA00BB00CC}";
constexpr const char* kWidgetFile = "/out/src/com/example/widgets/WidgetLib/Widget.java";

struct CoClassTest : ::testing::Test {
    MemoryFileSystem files;
    DefaultValueRegistry registry;
    MemoryLoader loader;
    MemorySettingsStore settings;
    RecordingUi ui;
    WrapperGenerator generator{Services{files, registry, loader, settings, ui}, false, Emitters{}};
    std::shared_ptr<MemoryTypeLib> lib = MemoryTypeLib::create("WidgetLib", guidOf(1));
    unsigned widget = lib->addCoClass("Widget", *parseGuidText(kWidgetClsid));

    CoClassTest() {
        files.folders.insert({"/out", "/out/src"});
        generator.sourceRoot = "/out/src";
        generator.package = "com.example.widgets";
        loader.add("C:\\lib\\widget.tlb", lib);
        registry.set("CLSID\\" + kWidgetClsid + "\\ProgID", "WidgetLib.Widget");
    }

    static std::string lower(std::string s) {
        for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        return s;
    }

    // The run's own class, as the catalogue gives it: a path, no loaded library.
    void addCatalogueClass(const std::string& clsid) {
        generator.coClasses.insert(ClassEntry{"{LIB}", clsid, "WidgetLib.Widget", "C:\\lib\\widget.tlb", nullptr});
    }
};

TEST_F(CoClassTest, WidgetMatchesGolden) {
    addCatalogueClass(kWidgetClsid);
    writeCoClasses(generator);
    EXPECT_TRUE(matchesGolden("coclass/Widget.java", files.file(kWidgetFile).value_or("<none>")));
    EXPECT_THAT(ui.log, ElementsAre(std::string("Generating CoClass interface: ") + kWidgetFile));
}

TEST_F(CoClassTest, CoClassMetAsParameterTypeHasNoTypeLibLine) {
    generator.coClasses.insert(ClassEntry{"", kWidgetClsid, "Widget", "", lib});
    writeCoClasses(generator);
    const std::string text = files.file(kWidgetFile).value_or("<none>");
    EXPECT_EQ(text.find("// from TypeLib at"), std::string::npos);
    EXPECT_EQ(text.rfind("// created by Tessivar\r\n// check for latest version at ", 0), 0u) << text;
}

TEST_F(CoClassTest, LowerCaseCatalogueClsidStillFindsItsCoClass) {
    addCatalogueClass(lower(kWidgetClsid));
    writeCoClasses(generator);
    // The GUID literal is the library's own text form.
    EXPECT_NE(files.file(kWidgetFile).value_or("").find("new GUID(\"" + kWidgetClsid + "\")"), std::string::npos);
}

TEST_F(CoClassTest, ProgIdLookup) {
    EXPECT_EQ(progIdFromClsid(registry, kWidgetClsid), "WidgetLib.Widget");
    EXPECT_EQ(progIdFromClsid(registry, "{00000000-0000-0000-0000-000000000000}"), "");
    registry.set("CLSID\\{BINARY}\\ProgID", "x", REG_BINARY);
    EXPECT_EQ(progIdFromClsid(registry, "{BINARY}"), "");
    registry.set("CLSID\\{LONG}\\ProgID", std::string(2000, 'x'));
    EXPECT_EQ(progIdFromClsid(registry, "{LONG}"), "");

    // An unregistered class gets an empty ProgID literal.
    lib->addCoClass("Gadget", guidOf(40));
    generator.coClasses.insert(ClassEntry{"", guidText(guidOf(40)), "Gadget", "", lib});
    writeCoClasses(generator);
    EXPECT_NE(files.file("/out/src/com/example/widgets/WidgetLib/Gadget.java").value_or("").find(
                  "    public static final String progID = new String(\"\");\r\n}\r\n"),
              std::string::npos);
}

TEST_F(CoClassTest, OnlyCreatableMatchingCoClassesGetAFile) {
    lib->addCoClass("Hidden", guidOf(41), 0);
    lib->addInterface("IWidget", guidOf(42), TKIND_DISPATCH, TYPEFLAG_FCANCREATE);  // not a coclass
    generator.coClasses.insert(ClassEntry{"", guidText(guidOf(41)), "Hidden", "", lib});
    generator.coClasses.insert(ClassEntry{"", guidText(guidOf(42)), "IWidget", "", lib});
    generator.coClasses.insert(ClassEntry{"", guidText(guidOf(43)), "Missing", "", lib});
    generator.package.clear();
    writeCoClasses(generator);
    EXPECT_TRUE(ui.log.empty());
    EXPECT_TRUE(files.files.empty());
    // The folder is made for every entry all the same.
    EXPECT_THAT(files.madeFolders, ElementsAre("/out/src/WidgetLib"));
}

TEST_F(CoClassTest, SameClsidFromCatalogueAndParameterGivesOneFile) {
    addCatalogueClass(kWidgetClsid);
    generator.coClasses.insert(ClassEntry{"", kWidgetClsid, "Widget", "", lib});
    generator.coClasses.insert(ClassEntry{"", lower(kWidgetClsid), "Widget", "", lib});
    writeCoClasses(generator);
    EXPECT_EQ(ui.log.size(), 1u);
}

// A library's names may become one Java name: a coclass never replaces the file another type of the
// class run wrote, and says so.
TEST_F(CoClassTest, FileOfAnotherTypeOfTheSameJavaNameStays) {
    addCatalogueClass(kWidgetClsid);
    files.files[kWidgetFile] = "the proxy";
    EXPECT_FALSE(markFileWritten(generator, javaFileLocation(generator, "/out/src", "WidgetLib", "Widget")));
    writeCoClasses(generator);
    EXPECT_EQ(files.file(kWidgetFile), "the proxy");
    EXPECT_THAT(ui.log, ElementsAre(std::string("Left out Widget: its Java file ") + kWidgetFile +
                                    " was written for another type of the same Java name."));
}

TEST_F(CoClassTest, UnloadableLibraryIsReportedAndSkipped) {
    generator.coClasses.insert(ClassEntry{"", "{X}", "Gone", "C:\\gone.tlb", nullptr});
    addCatalogueClass(kWidgetClsid);
    writeCoClasses(generator);
    EXPECT_THAT(ui.log, ElementsAre(slashed("Error: type library C:\\gone.tlb cannot be loaded."),
                                    std::string("Generating CoClass interface: ") + kWidgetFile));
}

TEST_F(CoClassTest, RegisterCoClassInterfacesQueuesInterfacesWithTheirFlags) {
    const unsigned iWidget = lib->addInterface("IWidget", guidOf(10), TKIND_DISPATCH, TYPEFLAG_FDUAL);
    const unsigned events = lib->addInterface("_WidgetEvents", guidOf(11), TKIND_DISPATCH, 0);
    const unsigned vtable = lib->addInterface("IPersist", guidOf(12), TKIND_INTERFACE, 0);
    const unsigned color = lib->addEnum("WidgetColor", guidOf(13), {});
    const unsigned broken = lib->addInterface("IBroken", guidOf(14), TKIND_DISPATCH, 0);
    lib->type(broken).attrStatus = kFail;
    lib->implement(widget, iWidget, IMPLTYPEFLAG_FDEFAULT);
    lib->implement(widget, events, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE);
    lib->implement(widget, vtable, 0);
    lib->implement(widget, color, 0);
    lib->implement(widget, broken, 0);
    lib->type(widget).impls.push_back(MemoryImpl{0xBAD, 0});  // unresolvable reference
    registerCoClassInterfaces(generator, lib->info(widget));
    std::vector<std::string> queued;
    for (const TypeEntry& e : generator.referencedTypes) queued.push_back(e.name + " " + std::to_string(e.kind));
    EXPECT_THAT(queued, ElementsAre("IWidget 1", "_WidgetEvents 3", "IPersist 0"));
}

}  // namespace
}  // namespace tessivar::test
