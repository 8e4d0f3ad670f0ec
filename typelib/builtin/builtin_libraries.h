// The type libraries the portable build carries itself, for the libraries that import them.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace tessivar {

struct BuiltInLibrary {
    // What the library is called where a path would stand: in generated headers, and as a name
    // `tessivar dump` and the loader accept.
    std::string_view name;
    std::span<const std::byte> bytes;
};

// The standard OLE Automation library (stdole 2.0), which almost every library imports: on Windows it
// is always registered, elsewhere usually nowhere to be found.
inline constexpr std::string_view kBuiltInStdole2Name = "<built-in>\\stdole2.tlb";

std::span<const BuiltInLibrary> builtInLibraries();

}  // namespace tessivar
