// The registered type library file of an interface, for the "// from TypeLib at " header line.
#pragma once

#include <string>

#include "typelib/registry.h"

namespace tessivar {

// The file registered for the type library of the interface with this GUID text; "" when none.
std::string findInterfaceTypeLibPath(Registry& registry, const std::string& guidText);

}  // namespace tessivar
