// The LoadTypeLib of this build.
#pragma once

#include <memory>

#include "typelib/registry.h"
#include "typelib/typelib_api.h"

namespace tessivar {

// `registry` (may be null) lets the loader find libraries that others refer to by their registration.
std::unique_ptr<TypeLibLoader> makePlatformTypeLibLoader(Registry* registry);

}  // namespace tessivar
