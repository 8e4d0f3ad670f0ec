// The LoadTypeLib of this build.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "typelib/registry.h"
#include "typelib/typelib_api.h"

namespace tessivar {

// `registry` (may be null) lets the loader find libraries that others refer to by their registration.
std::unique_ptr<TypeLibLoader> makePlatformTypeLibLoader(Registry* registry);
// The same, also searching `folders` for referenced libraries that are neither registered nor beside the
// referencing file (the Windows build leaves that search to the platform).
std::unique_ptr<TypeLibLoader> makePlatformTypeLibLoader(Registry* registry, std::vector<std::string> folders);

}  // namespace tessivar
