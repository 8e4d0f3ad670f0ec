// The Maven build file: the WidgetWrappers pom byte for byte, its ids, escaping, logging and failures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/build_file.h"
#include "engine/maven_build_file.h"
#include "engine/xml_template.h"
#include "support/fakes.h"
#include "support/golden_compare.h"

namespace tessivar::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

struct MavenBuildFileTest : ::testing::Test {
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

    MavenBuildFileTest() {
        files.folders.insert("/out");
        generator.destination = "/out";
        generator.jarModule = "WidgetWrappers";
        generator.package = "com.example.widgets";
        generator.runtimeJarPath = "/opt/kovra/kovra.jar";
    }
};

TEST_F(MavenBuildFileTest, WidgetWrappersMatchesGolden) {
    files.addFile("/out/pom.xml", "an older pom that is longer than nothing at all, so truncation shows");
    writeMavenBuildFile(generator);
    EXPECT_TRUE(matchesGolden("build_file/pom.xml", files.file("/out/pom.xml").value_or("<none>")));
    EXPECT_THAT(ui.log, ElementsAre("Generating Maven build file: /out/pom.xml"));
}

TEST_F(MavenBuildFileTest, LogLineFollowsTheAttemptEvenWhenTheFileCannotBeCreated) {
    generator.destination = "/missing";
    writeMavenBuildFile(generator);
    EXPECT_FALSE(files.file("/missing/pom.xml").has_value());
    EXPECT_THAT(ui.log,
                ElementsAre("Error: /missing/pom.xml cannot be created.", "Generating Maven build file: /missing/pom.xml"));
    EXPECT_EQ(generator.outputFailures(), 1);
}

TEST_F(MavenBuildFileTest, FailedWriteIsReported) {
    files.failWrites.insert("/out/pom.xml");
    writeMavenBuildFile(generator);
    EXPECT_EQ(generator.outputFailures(), 1);
    EXPECT_THAT(ui.log, ElementsAre("Error: /out/pom.xml cannot be written.", "Generating Maven build file: /out/pom.xml"));
}

TEST(MavenTemplate, IdsComeFromTheJarModuleAndPackage) {
    const std::string pom = expandMavenTemplate("WidgetWrappers", "com.example.widgets", "/k/kovra.jar");
    EXPECT_THAT(pom, HasSubstr("    <groupId>com.example.widgets</groupId>\n    <artifactId>WidgetWrappers</artifactId>\n"
                               "    <version>1.0</version>\n"));
    EXPECT_THAT(pom, HasSubstr("        <kovra.class.path>/k/kovra.jar</kovra.class.path>\n"));
    EXPECT_THAT(pom, HasSubstr("<systemPath>${kovra.class.path}</systemPath>"));

    // Without a package the group is the artifact, as in "junit:junit".
    EXPECT_THAT(expandMavenTemplate("WidgetWrappers", "", "/k/kovra.jar"),
                HasSubstr("    <groupId>WidgetWrappers</groupId>\n    <artifactId>WidgetWrappers</artifactId>\n"));
}

TEST(MavenTemplate, IdsHoldOnlyWhatMavenAccepts) {
    struct Case {
        const char* name;
        const char* id;
    };
    const Case cases[] = {
        {"Widget_Wrappers-2.0", "Widget_Wrappers-2.0"},
        {"My Wrappers", "My_Wrappers"},
        {"R&D<x>", "R_D_x_"},
        {"a/b\\c:d", "a_b_c_d"},
        {"Gr\xC3\xBC\xC3\x9F" "e", "Gr__e"},        // two characters of two bytes each
        {"\xE2\x82\xAC" "1", "_1"},                // one character of three bytes
        {"\x80\x80x", "__x"},                      // stray continuation bytes are characters of their own
        {"\xC3", "_"},                             // a character cut short
    };
    for (const Case& c : cases) EXPECT_EQ(mavenId(c.name), c.id) << c.name;
}

TEST(MavenTemplate, MarkupInValuesIsWrittenAsReferences) {
    // The name element keeps the jar module as typed; the path is the property's text.
    const std::string pom = expandMavenTemplate("R&D <\"x\">", "com.r&d", "/opt/R&D/<k>/kovra.jar");
    EXPECT_THAT(pom, HasSubstr("<name>R&amp;D &lt;&quot;x&quot;&gt;</name>"));
    EXPECT_THAT(pom, HasSubstr("<kovra.class.path>/opt/R&amp;D/&lt;k&gt;/kovra.jar</kovra.class.path>"));
    EXPECT_THAT(pom, HasSubstr("<groupId>com.r_d</groupId>"));
    EXPECT_THAT(pom, HasSubstr("<artifactId>R_D___x__</artifactId>"));
    EXPECT_THAT(pom, Not(HasSubstr("R&D")));
}

TEST(MavenTemplate, ValuesAreNotReadAsPlaceholders) {
    const std::string pom = expandMavenTemplate("$GROUP.ID$", "", "C:\\rt\\$PROJNAME$\\kovra.jar");
    EXPECT_THAT(pom, HasSubstr("<name>$GROUP.ID$</name>"));
    EXPECT_THAT(pom, HasSubstr("<kovra.class.path>C:\\rt\\$PROJNAME$\\kovra.jar</kovra.class.path>"));
}

TEST(XmlTemplate, UnknownPlaceholderFailsLoudly) {
    EXPECT_THROW(fillXmlTemplate("<a>$KNOWN$ $UNKNOWN$</a>", {{"$KNOWN$", "x"}}), std::logic_error);
    EXPECT_EQ(fillXmlTemplate("<a b=\"${ant.style}\">$KNOWN$$</a>", {{"$KNOWN$", "x"}}),
              "<a b=\"${ant.style}\">x$</a>");
}

}  // namespace
}  // namespace tessivar::test
