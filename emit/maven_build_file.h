// Writes a Maven pom.xml for the generated sources beside the Ant build file (generate --maven).
#pragma once

#include <string>
#include <string_view>

#include "emit/emit_run.h"

namespace tessivar {

// The version every generated pom gives its project.
inline constexpr std::string_view kMavenProjectVersion = "1.0";

// A Maven groupId or artifactId made from a name: each character Maven refuses in an id (it takes
// letters, digits, '_', '-' and '.') becomes '_', one per character, so the pom always loads.
std::string mavenId(std::string_view name);

// The pom's text: artifactId from the jar module name, groupId from the Java package (the artifactId
// when the package is empty), the runtime jar's path as the default of the property kovra.class.path.
std::string expandMavenTemplate(std::string_view jarModule, std::string_view javaPackage,
                                std::string_view runtimeJarPath);

// pom.xml in the destination folder, written and logged as the build file is.
void writeMavenBuildFile(EmitRun& run);

}  // namespace tessivar
