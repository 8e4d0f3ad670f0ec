// The library that holds the type an emitter writes.
#pragma once

#include <memory>

#include "emit/emit_run.h"

namespace tessivar {

struct ContainingLibrary {
    std::shared_ptr<const TypeLib> lib;
    unsigned index = 0;  // the type's index in lib
};

// The library that contains `type`, made the run's current library. A missing type, or one that names no
// library, ends the run with ComError(kPointerError).
ContainingLibrary enterContainingLibrary(EmitRun& run, const std::shared_ptr<const TypeInfo>& type);

}  // namespace tessivar
