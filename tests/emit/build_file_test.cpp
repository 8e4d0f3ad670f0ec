// The build files: Ant's and Maven's for the WidgetWrappers example byte for byte, the Ant template's two
// resources, the pom's ids, escaping and replacement, logging and failures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/wrapper_generator.h"
#include "emit/build_file.h"
#include "emit/maven_build_file.h"
#include "emit/xml_template.h"
#include "resources/build_template.h"
#include "support/fakes.h"
#include "support/golden_compare.h"

namespace tessivar::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

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

TEST_F(BuildFileTest, MavenWidgetWrappersMatchesGolden) {
    generator.package = "com.example.widgets";
    generator.runtimeJarPath = "/opt/kovra/kovra.jar";
    files.addFile("/out/pom.xml", "an older pom that is longer than nothing at all, so truncation shows");
    writeMavenBuildFile(generator);
    EXPECT_TRUE(matchesGolden("build_file/pom.xml", files.file("/out/pom.xml").value_or("<none>")));
    EXPECT_THAT(ui.log, ElementsAre("Generating Maven build file: /out/pom.xml"));
}

TEST_F(BuildFileTest, MavenLogLineFollowsTheAttemptEvenWhenTheFileCannotBeCreated) {
    generator.destination = "/missing";
    writeMavenBuildFile(generator);
    EXPECT_FALSE(files.file("/missing/pom.xml").has_value());
    EXPECT_THAT(ui.log,
                ElementsAre("Error: /missing/pom.xml cannot be created.", "Generating Maven build file: /missing/pom.xml"));
    EXPECT_EQ(generator.outputFailures(), 1);
}

TEST_F(BuildFileTest, MavenFailedWriteIsReported) {
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
