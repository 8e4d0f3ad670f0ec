// Path-safe names from type libraries and the location of generated files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/wrapper_generator.h"
#include "mapping/path_names.h"
#include "support/fakes.h"

namespace tessivar::test {
namespace {

using ::testing::ElementsAre;

TEST(SafePathPart, Table) {
    const std::pair<std::string, std::string> cases[] = {
        {"WidgetLib", "WidgetLib"},
        {"", ""},
        {".", "_"},
        {"..", "__"},
        {"...", "___"},
        {"..evil", "..evil"},  // leading dots stay inside one part
        {"../evil", ".._evil"},
        {"..\\..\\evil", ".._.._evil"},
        {"/etc", "_etc"},
        {"C:", "C_"},
        {"C:\\Windows", "C__Windows"},
        {"a<b>c\"d|e?f*g", "a_b_c_d_e_f_g"},
        {std::string("tab\there\x7f", 9), "tab_here_"},
        {"name. ", "name__"},
        {"CON", "_CON"},
        {"con", "_con"},
        {"Nul.txt", "_Nul.txt"},
        {"COM1", "_COM1"},
        {"lpt9", "_lpt9"},
        {"COM", "COM"},
        {"CONSOLE", "CONSOLE"},
        {"COM10", "COM10"},
        {"Gr\xC3\xBC\xC3\x9F" "e", "Gr\xC3\xBC\xC3\x9F" "e"},  // non-ASCII letters are kept
    };
    for (const auto& [name, safe] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(safePathPart(name), safe);
        EXPECT_EQ(safePathPart(safe), safe);  // a safe name is left as it is
    }
}

struct LocationTest : ::testing::Test {
    MemoryFileSystem files;
    EmptyRegistry registry;
    MemorySettingsStore settings;
    RecordingUi ui;
    struct NoLoader : TypeLibLoader {
        HResult load(const std::string&, std::shared_ptr<const TypeLib>& out) override {
            out.reset();
            return kCantLoadLibrary;
        }
    } loader;
    WrapperGenerator generator{Services{files, registry, loader, settings, ui}, false, Emitters{}};
};

TEST_F(LocationTest, FolderAndPathFollowPackageAndLibrary) {
    generator.package = "com.example.widgets";
    JavaFileLocation at = javaFileLocation(generator, "/out/src", "WidgetLib", "WidgetColor");
    EXPECT_EQ(slashed(at.folder), "/out/src/com/example/widgets/WidgetLib");
    EXPECT_EQ(slashed(at.path), "/out/src/com/example/widgets/WidgetLib/WidgetColor.java");
    generator.package.clear();
    EXPECT_EQ(slashed(javaFileLocation(generator, "/out/src", "WidgetLib", "W").path), "/out/src/WidgetLib/W.java");
    EXPECT_EQ(slashed(javaFileLocation(generator, "/out/src", "", "W").path), "/out/src/W.java");
    EXPECT_TRUE(ui.log.empty());
}

TEST_F(LocationTest, HostileNamesStayBelowTheRootAndAreLoggedOnce) {
    const JavaFileLocation at = javaFileLocation(generator, "/out/src", "..", "../../etc/passwd");
    EXPECT_EQ(slashed(at.path), "/out/src/__/______etc_passwd.java");
    EXPECT_EQ(at.fileStem, "______etc_passwd");
    javaFileLocation(generator, "/out/src", "..", "../../etc/passwd");
    EXPECT_THAT(ui.log, ElementsAre("Name changed for Java: .. -> __",
                                    "Name changed for Java: ../../etc/passwd -> ______etc_passwd"));
    // Line ends and terminal escapes of a name are shown, not sent to the log.
    ui.log.clear();
    javaFileLocation(generator, "/out/src", "", std::string("a\r\n\x1B[2J\x7F\0b", 10));
    EXPECT_THAT(ui.log, ElementsAre(slashed("Name changed for Java: a\\x0D\\x0A\\x1B[2J\\x7F\\x00b -> a____2J__b")));
    // A device name would open a device; the class and its file take the same changed name.
    ui.log.clear();
    EXPECT_EQ(javaFileLocation(generator, "/out/src", "NUL", "CON").fileStem, "_CON");
    EXPECT_THAT(ui.log, ElementsAre("Name changed for Java: NUL -> _NUL", "Name changed for Java: CON -> _CON"));
}

TEST_F(LocationTest, WrittenKeySeparatesFoldersAndJoinsSameFiles) {
    const auto first = javaFileLocation(generator, "/out/src", "WidgetLib", "WidgetColor");
    const auto otherLib = javaFileLocation(generator, "/out/src", "GadgetLib", "WidgetColor");
    EXPECT_FALSE(markFileWritten(generator, first));
    EXPECT_FALSE(markFileWritten(generator, otherLib));
    EXPECT_TRUE(markFileWritten(generator, first));
    // Two names made safe into one file name are one file.
    EXPECT_FALSE(markFileWritten(generator, javaFileLocation(generator, "/out/src", "L", "a/b")));
    EXPECT_TRUE(markFileWritten(generator, javaFileLocation(generator, "/out/src", "L", "a:b")));
}

}  // namespace
}  // namespace tessivar::test
