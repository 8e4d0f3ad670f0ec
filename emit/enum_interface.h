// Writes the constant interface of every enum in the pass's interfaceList.
#pragma once

#include <string>

#include "engine/wrapper_generator.h"

namespace tessivar {

void writeEnumInterfaces(WrapperGenerator& generator);

}  // namespace tessivar
