// Writes the Ant build file into the destination folder.
#pragma once

#include <string>
#include <string_view>

#include "emit/emit_run.h"

namespace tessivar {

// The build template (resources 102 and 103) with the jar module name and runtime jar path filled in.
// Values are inserted as they are and never searched for placeholders.
std::string expandBuildTemplate(std::string_view jarModule, std::string_view runtimeJarPath);

void writeBuildFile(EmitRun& run);

}  // namespace tessivar
