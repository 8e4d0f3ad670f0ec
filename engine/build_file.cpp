// Writes the Ant build file into the destination folder. Placeholder slot: it only logs.
#include "engine/build_file.h"

namespace tessivar {

void writeBuildFile(WrapperGenerator& generator) {
    generator.logLine("writeBuildFile: not written yet");
}

}  // namespace tessivar
