// CoClass files: the CLSID and ProgID interface of every creatable coclass a class run touches.
#pragma once

#include <memory>

#include "emit/emit_run.h"

namespace tessivar {

// Writes the CoClass interface of every entry of coClasses, in the set's order.
void writeCoClasses(EmitRun& run);

}  // namespace tessivar
