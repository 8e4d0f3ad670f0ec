// Writes the constant interface of every enum in the pass's interfaceList.
#pragma once

#include <string>

#include "emit/emit_run.h"

namespace tessivar {

void writeEnumInterfaces(EmitRun& run);

}  // namespace tessivar
