// Enum constant interfaces: the WidgetColor example byte for byte, and what is written when.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/wrapper_generator.h"
#include "emit/enum_interface.h"
#include "base/guid_text.h"
#include "support/fakes.h"
#include "support/golden_compare.h"
#include "support/memory_typelib.h"

namespace tessivar::test {
namespace {

using ::testing::ElementsAre;

constexpr const char* kColorFile = "/out/src/com/example/widgets/WidgetLib/WidgetColor.java";

struct EnumInterfaceTest : ::testing::Test {
    MemoryFileSystem files;
    EmptyRegistry registry;
    MemoryLoader loader;
    MemorySettingsStore settings;
    RecordingUi ui;
    WrapperGenerator generator{Services{files, registry, loader, settings, ui}, false, Emitters{}};
    std::shared_ptr<MemoryTypeLib> lib = MemoryTypeLib::create("WidgetLib", guidOf(1));
    unsigned color = lib->addEnum("WidgetColor", guidOf(12), {{"wcRed", 0}, {"wcGreen", 1}, {"wcNone", -1}});

    EnumInterfaceTest() {
        files.folders.insert({"/out", "/out/src"});
        generator.sourceRoot = "/out/src";
        generator.package = "com.example.widgets";
    }

    static TypeEntry entryOf(const std::shared_ptr<MemoryTypeLib>& from, unsigned index, std::string path = "") {
        TypeEntry e;
        e.name = from->type(index).name;
        e.guidText = guidText(from->type(index).attr.guid);
        e.typeInfo = from->info(index);
        e.typeLibPath = std::move(path);
        return e;
    }

    std::string writePass(std::vector<TypeEntry> list) {
        generator.interfaceList = std::move(list);
        writeEnumInterfaces(generator);
        return files.file(kColorFile).value_or("<none>");
    }
};

TEST_F(EnumInterfaceTest, WidgetColorMatchesGolden) {
    const std::string text = writePass({entryOf(lib, color, "C:\\lib\\widget.tlb")});
    EXPECT_TRUE(matchesGolden("enum_interface/WidgetColor.java", text));
    EXPECT_THAT(ui.log, ElementsAre(std::string("Generating enum interface: ") + kColorFile));
    EXPECT_EQ(generator.currentLibName, "WidgetLib");
}

TEST_F(EnumInterfaceTest, ConstantsInIndexOrderFromTheThirtyTwoBitField) {
    MemoryType& type = lib->type(color);
    type.vars[0].desc.value = Variant{VT_I2, 0x12345, {}};        // lVal, not the 16-bit iVal
    type.vars[1].desc.value = Variant{VT_UI1, 0xFFFFFF80u, {}};   // negative as a signed 32-bit value
    type.vars[2].desc.value = Variant{VT_I4, 0x80000000u, {}};
    MemoryVar field;
    field.name = "notConstant";
    field.desc.varkind = VAR_PERINSTANCE;
    type.vars.insert(type.vars.begin() + 1, field);
    const std::string text = writePass({entryOf(lib, color)});
    EXPECT_NE(text.find("{\r\n    public static final int wcRed = 74565;\r\n"
                        "    public static final int wcGreen = -128;\r\n"
                        "    public static final int wcNone = -2147483648;\r\n}\r\n"),
              std::string::npos)
        << text;
    // No registered path known: the header line is still written, with an empty path.
    EXPECT_NE(text.find("\r\n// from TypeLib at \r\n"), std::string::npos);
}

TEST_F(EnumInterfaceTest, EmptyEnumAndEmptyPackage) {
    const unsigned empty = lib->addEnum("Nothing", guidOf(13), {});
    generator.package.clear();
    writePass({entryOf(lib, empty)});
    const std::string text = files.file("/out/src/WidgetLib/Nothing.java").value_or("<none>");
    EXPECT_NE(text.find("\r\npackage WidgetLib;\r\n\r\npublic interface Nothing{\r\n}\r\n"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with("\r\n\r\npublic interface Nothing{\r\n}\r\n"));
}

TEST_F(EnumInterfaceTest, OnlyEnumsThatAreNotDoneAreWritten) {
    const unsigned iface = lib->addInterface("IWidget", guidOf(20), TKIND_DISPATCH, 0);
    const unsigned broken = lib->addEnum("Broken", guidOf(21), {});
    lib->type(broken).attrStatus = kFail;
    const unsigned done = lib->addEnum("Done", guidOf(22), {});
    generator.doneInterfaces.insert(entryOf(lib, done));
    writePass({entryOf(lib, iface), entryOf(lib, broken), entryOf(lib, done), entryOf(lib, color)});
    EXPECT_THAT(ui.log, ElementsAre(std::string("Generating enum interface: ") + kColorFile));
    EXPECT_EQ(files.files.size(), 1u);
}

TEST_F(EnumInterfaceTest, EnumMetAgainIsLoggedButNotRewritten) {
    const unsigned shape = lib->addEnum("WidgetShape", guidOf(13), {{"wsRound", 0}});
    writePass({entryOf(lib, color)});
    files.files[kColorFile] = "first pass";
    EXPECT_EQ(writePass({entryOf(lib, color), entryOf(lib, shape)}), "first pass");
    EXPECT_TRUE(files.file("/out/src/com/example/widgets/WidgetLib/WidgetShape.java").has_value());
    EXPECT_EQ(ui.log.size(), 3u);
}

TEST_F(EnumInterfaceTest, SameNamedEnumsOfTwoLibrariesAreBothWritten) {
    auto gadgets = MemoryTypeLib::create("GadgetLib", guidOf(2));
    const unsigned gadgetColor = gadgets->addEnum("WidgetColor", guidOf(30), {{"gcBlue", 7}});
    writePass({entryOf(lib, color), entryOf(gadgets, gadgetColor)});
    EXPECT_TRUE(files.file(kColorFile).has_value());
    const auto other = files.file("/out/src/com/example/widgets/GadgetLib/WidgetColor.java");
    ASSERT_TRUE(other.has_value());
    EXPECT_NE(other->find("package com.example.widgets.GadgetLib;"), std::string::npos);
    EXPECT_NE(other->find("gcBlue = 7;"), std::string::npos);
}

TEST_F(EnumInterfaceTest, HostileNamesCannotLeaveTheSourceRoot) {
    auto hostile = MemoryTypeLib::create("..", guidOf(3));
    const unsigned escape = hostile->addEnum("../../../evil", guidOf(31), {});
    const unsigned drive = hostile->addEnum("C:\\evil", guidOf(32), {});
    writePass({entryOf(hostile, escape), entryOf(hostile, drive)});
    for (const auto& [path, bytes] : files.files) EXPECT_EQ(path.rfind("/out/src/com/example/widgets/__/", 0), 0u) << path;
    EXPECT_EQ(files.files.size(), 2u);
    // The interface is named as its file is.
    EXPECT_NE(files.file("/out/src/com/example/widgets/__/C__evil.java").value_or("").find("public interface C__evil{"),
              std::string::npos);
}

TEST_F(EnumInterfaceTest, FailuresSkipOneEnumOrEndTheRun) {
    // A file that cannot be created: logged, and the next enum is still written.
    const unsigned shape = lib->addEnum("WidgetShape", guidOf(13), {});
    files.folders.insert(kColorFile);
    writePass({entryOf(lib, color), entryOf(lib, shape)});
    EXPECT_TRUE(files.file("/out/src/com/example/widgets/WidgetLib/WidgetShape.java").has_value());
    EXPECT_EQ(ui.log.front(), std::string("Generating enum interface: ") + kColorFile);

    // An enum without a containing library cannot be placed: the run ends with E_POINTER.
    lib->type(shape).noContainingLib = true;
    generator.writtenNames.clear();
    generator.interfaceList = {entryOf(lib, shape)};
    try {
        writeEnumInterfaces(generator);
        FAIL() << "no error raised";
    } catch (const ComError& e) {
        EXPECT_EQ(e.code(), kPointerError);
    }
}

}  // namespace
}  // namespace tessivar::test
