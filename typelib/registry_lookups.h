// Where a registered type library lives: the registry lookups by type library GUID and by interface.
#pragma once

#include <cstddef>
#include <string>

#include "typelib/registry.h"
#include "typelib/typelib_api.h"

namespace tessivar {

// The lookups read values of at most this many bytes, zero included (MAX_PATH); longer ones are not read.
inline constexpr std::size_t kLookupValueBuffer = 260;

// The registered path of a type library version: kOk with the path, or kOutOfMemory with an empty
// path, which here only means "not found". The first locale key that opens decides.
HResult FindTypeLibPath(Registry& registry, const std::string& typeLibGuid, const std::string& version,
                        std::string& path);

// The registered path of the type library an interface names under Interface\{IID}\TypeLib; goes on
// through the locale keys until one gives a non-empty path. Same result convention.
HResult FindInterfaceTypeLibPath(Registry& registry, const Guid& iid, std::string& path);

}  // namespace tessivar
