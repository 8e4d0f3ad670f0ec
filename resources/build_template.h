// The Ant build file template, held as the two string resources 102 and 103 of the Windows build.
#pragma once

#include <string>
#include <string_view>

namespace tessivar {

// String resource 102: 1022 characters, up to and including the line end after "<manifest>".
inline constexpr std::string_view kBuildTemplate102 =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?> \n"
    "<project name=\"$PROJNAME$\" basedir=\".\" default=\"all\" >\n"
    "    <property name=\"kovra.class.path\" value=\"$KOVRA.CLASS.PATH$\"/>\n"
    "    <path id=\"$PROJNAME$.class.path\">\n"
    "        <pathelement location=\"classes\" />\n"
    "        <pathelement location=\"${kovra.class.path}\" />\n"
    "    </path>\n"
    "    <target name=\"clean\">\n"
    "        <delete dir=\"lib\"/>\n"
    "        <delete dir=\"docs\"/>\n"
    "    </target>\n"
    "    <target name=\"compile\">\n"
    "        <mkdir dir=\"classes\"/>\n"
    "        <javac srcdir=\"src\" destdir=\"classes\" classpathref=\"$PROJNAME$.class.path\" encoding=\"UTF-8\" />\n"
    "    </target>\n"
    "    <target depends=\"compile\" name=\"docs\">\n"
    "        <mkdir dir=\"docs/api\"/>\n"
    "        <javadoc classpathref=\"$PROJNAME$.class.path\" destdir=\"docs/api\"  maxmemory=\"128m\" "
    "packagenames=\"*\" public=\"true\" sourcepath=\"src\" encoding=\"UTF-8\"/>\n"
    "    </target>\n"
    "    <target name=\"jar\" depends=\"docs\">\n"
    "        <mkdir dir=\"lib\"/>\n"
    "        <jar jarfile=\"lib/$PROJNAME$.jar\">\n"
    "            <fileset dir=\"classes\" includes=\"**/*.class\"/>\n"
    "            <manifest>\n";

// String resource 103: 598 characters, from the indentation of the line after "<manifest>"; no line end
// after "</project>".
inline constexpr std::string_view kBuildTemplate103 =
    "                <attribute name=\"Class-Path\" value=\"kovra.jar\"/>\n"
    "            </manifest>\n"
    "        </jar>\n"
    "        <delete dir=\"classes\"/>\n"
    "    </target>\n"
    "    <target depends=\"jar\" name=\"doczip\">\n"
    "        <zip zipfile=\"lib/$PROJNAME$-docs.zip\">\n"
    "            <fileset dir=\"docs/api\" includes=\"**/*\"/>\n"
    "        </zip>\n"
    "        <delete dir=\"docs\" quiet=\"true\"/>\n"
    "    </target>\n"
    "    <target depends=\"doczip\" name=\"srczip\">\n"
    "        <zip zipfile=\"lib/$PROJNAME$-src.zip\">\n"
    "            <fileset dir=\"src\" includes=\"**/*\"/>\n"
    "        </zip>\n"
    "    </target>\n"
    "    <target name=\"all\" depends=\"srczip\">\n"
    "    </target>\n"
    "</project>";

static_assert(kBuildTemplate102.size() == 1022);
static_assert(kBuildTemplate103.size() == 598);

// The two placeholders, replaced in this order.
inline constexpr std::string_view kProjectNamePlaceholder = "$PROJNAME$";
inline constexpr std::string_view kRuntimeClassPathPlaceholder = "$KOVRA.CLASS.PATH$";

}  // namespace tessivar
