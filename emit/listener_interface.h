// Writes the listener interface of one event source dispatch interface.
#pragma once

#include <string>

#include "emit/emit_run.h"

namespace tessivar {

void generateListenerInterface(EmitRun& run, TypeEntry entry, const std::string& sourceRoot);

}  // namespace tessivar
