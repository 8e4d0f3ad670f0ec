// Writes the CoClass interface of every entry of coClasses.
#pragma once

#include <string>

#include "engine/wrapper_generator.h"

namespace tessivar {

void writeCoClasses(WrapperGenerator& generator);

}  // namespace tessivar
