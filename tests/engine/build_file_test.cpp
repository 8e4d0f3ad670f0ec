// The Ant build file: the WidgetWrappers example byte for byte, the template's two resources, replacement.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/build_file.h"
#include "resources/build_template.h"
#include "support/fakes.h"
#include "support/golden_compare.h"

namespace tessivar::test {
namespace {

using ::testing::ElementsAre;

struct BuildFileTest : ::testing::Test {
    MemoryFileSystem files;
    EmptyRegistry registry;
    struct NoLoader : TypeLibLoader {
        HResult load(const std::string&, std::shared_ptr<const TypeLib>& out) override {
            out.reset();
            return kCantLoadLibrary;
        }
    } loader;
    MemorySettingsStore settings;
    RecordingUi ui;
    WrapperGenerator generator{Services{files, registry, loader, settings, ui}, false, Emitters{}};

    BuildFileTest() {
        files.folders.insert("/out");
        generator.destination = "/out";
        generator.jarModule = "WidgetWrappers";
        generator.runtimeJarPath = "C:\\kovra\\kovra.jar";
    }
};

TEST_F(BuildFileTest, WidgetWrappersMatchesGolden) {
    files.addFile("/out/build.xml", "an older build file that is longer than nothing");
    writeBuildFile(generator);
    EXPECT_TRUE(matchesGolden("build_file/build.xml", files.file("/out/build.xml").value_or("<none>")));
    EXPECT_THAT(ui.log, ElementsAre("Generating build file: /out/build.xml"));
}

TEST(BuildTemplate, SplitBetweenTheTwoResources) {
    EXPECT_TRUE(kBuildTemplate102.ends_with("            <manifest>\n"));
    EXPECT_TRUE(kBuildTemplate103.starts_with("                <attribute name=\"Class-Path\""));
    EXPECT_TRUE(kBuildTemplate103.ends_with("</project>"));
    const std::string whole = std::string(kBuildTemplate102) + std::string(kBuildTemplate103);
    EXPECT_EQ(whole.find('\r'), std::string::npos);
}

TEST(BuildTemplate, ValuesAreInsertedAsTheyAre) {
    // A value holding a placeholder is not expanded again; backslashes and blanks stay.
    const std::string text = expandBuildTemplate("My $KOVRA.CLASS.PATH$ Jar", "D:\\rt\\$PROJNAME$\\kovra.jar");
    EXPECT_NE(text.find("<project name=\"My $KOVRA.CLASS.PATH$ Jar\""), std::string::npos);
    EXPECT_NE(text.find("value=\"D:\\rt\\$PROJNAME$\\kovra.jar\"/>"), std::string::npos);
    EXPECT_NE(text.find("<pathelement location=\"${kovra.class.path}\" />"), std::string::npos);
    EXPECT_NE(text.find("<attribute name=\"Class-Path\" value=\"kovra.jar\"/>"), std::string::npos);
    // Every template placeholder is gone; what is left comes from the values, once per use.
    auto count = [&](std::string_view what) {
        std::size_t n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("$PROJNAME$"), 1u);
    EXPECT_EQ(count("$KOVRA.CLASS.PATH$"), 7u);
}

TEST(BuildTemplate, MarkupInValuesIsWrittenAsReferences) {
    // Unescaped, these made a file no XML reader accepts (or one whose attributes said something else).
    const std::string text = expandBuildTemplate("R&D <\"tools\"> 'x'", "/opt/R&D/\n/kovra.jar");
    EXPECT_NE(text.find("<project name=\"R&amp;D &lt;&quot;tools&quot;&gt; &apos;x&apos;\" basedir"), std::string::npos);
    EXPECT_NE(text.find("<jar jarfile=\"lib/R&amp;D &lt;&quot;tools&quot;&gt; &apos;x&apos;.jar\">"), std::string::npos);
    EXPECT_NE(text.find("value=\"/opt/R&amp;D/&#10;/kovra.jar\"/>"), std::string::npos);
    EXPECT_EQ(text.find("R&D"), std::string::npos);
}

TEST_F(BuildFileTest, LogLineFollowsTheAttemptEvenWhenTheFileCannotBeCreated) {
    generator.destination = "/missing";
    writeBuildFile(generator);
    EXPECT_FALSE(files.file("/missing/build.xml").has_value());
    EXPECT_THAT(ui.log, ElementsAre("Error: /missing/build.xml cannot be created.",
                                    "Generating build file: /missing/build.xml"));
}

}  // namespace
}  // namespace tessivar::test
