// Writes a Maven pom.xml for the generated sources beside the Ant build file.
#include "emit/maven_build_file.h"

#include "base/path_separator.h"
#include "emit/xml_template.h"

namespace tessivar {
namespace {

// Lines end with LF, as in the Ant build file; the last one too. The plugins that make the jar are pinned
// to versions both Maven Central and Debian 12's repository hold (the compiler plugin Maven binds by
// default predates the "release" setting). The runtime jar is a file of the user's machine, not an
// artifact of any repository, hence the system scope and its path property, which
// "mvn -Dkovra.class.path=..." overrides as "ant -Dkovra.class.path=..." does for build.xml. The test
// sources are kept out of src, where a package starting "test.java" would put generated ones.
constexpr std::string_view kMavenTemplate =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<project xmlns=\"http://maven.apache.org/POM/4.0.0\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
    " xsi:schemaLocation=\"http://maven.apache.org/POM/4.0.0 https://maven.apache.org/xsd/maven-4.0.0.xsd\">\n"
    "    <modelVersion>4.0.0</modelVersion>\n"
    "    <groupId>$GROUP.ID$</groupId>\n"
    "    <artifactId>$ARTIFACT.ID$</artifactId>\n"
    "    <version>$VERSION$</version>\n"
    "    <packaging>jar</packaging>\n"
    "    <name>$PROJNAME$</name>\n"
    "    <properties>\n"
    "        <kovra.class.path>$KOVRA.CLASS.PATH$</kovra.class.path>\n"
    "        <maven.compiler.release>8</maven.compiler.release>\n"
    "        <project.build.sourceEncoding>UTF-8</project.build.sourceEncoding>\n"
    "    </properties>\n"
    "    <dependencies>\n"
    "        <dependency>\n"
    "            <groupId>com.corlith.kovra</groupId>\n"
    "            <artifactId>kovra</artifactId>\n"
    "            <version>runtime</version>\n"
    "            <scope>system</scope>\n"
    "            <systemPath>${kovra.class.path}</systemPath>\n"
    "        </dependency>\n"
    "    </dependencies>\n"
    "    <build>\n"
    "        <sourceDirectory>src</sourceDirectory>\n"
    "        <testSourceDirectory>test</testSourceDirectory>\n"
    "        <plugins>\n"
    "            <plugin>\n"
    "                <groupId>org.apache.maven.plugins</groupId>\n"
    "                <artifactId>maven-resources-plugin</artifactId>\n"
    "                <version>3.3.0</version>\n"
    "            </plugin>\n"
    "            <plugin>\n"
    "                <groupId>org.apache.maven.plugins</groupId>\n"
    "                <artifactId>maven-compiler-plugin</artifactId>\n"
    "                <version>3.10.1</version>\n"
    "            </plugin>\n"
    "            <plugin>\n"
    "                <groupId>org.apache.maven.plugins</groupId>\n"
    "                <artifactId>maven-jar-plugin</artifactId>\n"
    "                <version>3.3.0</version>\n"
    "                <configuration>\n"
    "                    <archive>\n"
    "                        <manifestEntries>\n"
    "                            <Class-Path>kovra.jar</Class-Path>\n"
    "                        </manifestEntries>\n"
    "                    </archive>\n"
    "                </configuration>\n"
    "            </plugin>\n"
    "        </plugins>\n"
    "    </build>\n"
    "</project>\n";

bool isMavenIdChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.';
}

}  // namespace

std::string mavenId(std::string_view name) {
    std::string id;
    bool inCharacter = false;  // after the first byte of a character beyond ASCII, which stood for it
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (inCharacter && (byte & 0xC0) == 0x80) continue;
        inCharacter = byte >= 0xC0;
        id += isMavenIdChar(c) ? c : '_';
    }
    return id;
}

std::string expandMavenTemplate(std::string_view jarModule, std::string_view javaPackage,
                                std::string_view runtimeJarPath) {
    const std::string artifactId = mavenId(jarModule);
    const std::string groupId = javaPackage.empty() ? artifactId : mavenId(javaPackage);
    return fillXmlTemplate(kMavenTemplate, {{"$GROUP.ID$", groupId},
                                            {"$ARTIFACT.ID$", artifactId},
                                            {"$VERSION$", kMavenProjectVersion},
                                            {"$PROJNAME$", jarModule},
                                            {"$KOVRA.CLASS.PATH$", runtimeJarPath}});
}

void writeMavenBuildFile(EmitRun& run) {
    const std::string path = run.destination + kPathSeparator + "pom.xml";
    const std::unique_ptr<OutputText> file = run.openFile(path);
    if (file->isOpen())
        file->write(expandMavenTemplate(run.jarModule, run.package, run.runtimeJarPath));
    run.logLine("Generating Maven build file: " + path);
    file->close();
}

}  // namespace tessivar
