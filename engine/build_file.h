// Writes the Ant build file into the destination folder.
#pragma once

#include <string>

#include "engine/wrapper_generator.h"

namespace tessivar {

void writeBuildFile(WrapperGenerator& generator);

}  // namespace tessivar
