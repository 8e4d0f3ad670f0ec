// Writes the proxy class of one dispatch or Automation-compatible interface.
#pragma once

#include <string>

#include "emit/emit_run.h"

namespace tessivar {

void generateDispatchInterface(EmitRun& run, TypeEntry entry, const std::string& sourceRoot);

}  // namespace tessivar
