// CoClass files: the CLSID and ProgID interface of every creatable coclass a class run touches.
#pragma once

#include <memory>

#include "engine/wrapper_generator.h"

namespace tessivar {

// Writes the CoClass interface of every entry of coClasses, in the set's order.
void writeCoClasses(WrapperGenerator& generator);

}  // namespace tessivar
