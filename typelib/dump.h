// The canonical text of everything the type library seam exposes for one library (`tessivar dump`).
#pragma once

#include <string>

#include "typelib/typelib_api.h"

namespace tessivar {

// Deterministic text: library attributes, then every type with both views of a dual, its functions,
// variables, names, documentation and implemented types, references shown by name and library.
std::string dumpTypeLib(const TypeLib& lib);

// Loads `path` and dumps it; on failure the text is one line naming the status.
std::string dumpTypeLibFile(TypeLibLoader& loader, const std::string& path, HResult& status);

}  // namespace tessivar
