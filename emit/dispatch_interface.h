// Writes the proxy class of one dispatch or Automation-compatible interface.
#pragma once

#include <string>

#include "engine/wrapper_generator.h"

namespace tessivar {

void generateDispatchInterface(WrapperGenerator& generator, TypeEntry entry, const std::string& sourceRoot);

}  // namespace tessivar
