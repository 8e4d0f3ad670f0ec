// ProgIDFromCLSID over the registry seam.
#pragma once

#include <string>

#include "typelib/registry.h"

namespace tessivar {

// The ProgID registered for the CLSID text (HKEY_CLASSES_ROOT\CLSID\{...}\ProgID, default value); ""
// when there is none.
std::string progIdFromClsid(Registry& registry, const std::string& clsidText);

}  // namespace tessivar
