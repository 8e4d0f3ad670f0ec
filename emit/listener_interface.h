// Writes the listener interface of one event source dispatch interface.
#pragma once

#include <string>

#include "engine/wrapper_generator.h"

namespace tessivar {

void generateListenerInterface(WrapperGenerator& generator, TypeEntry entry, const std::string& sourceRoot);

}  // namespace tessivar
