// The built-in libraries: bytes compiled from our own IDL (scripts/make-builtin-stdole.sh), embedded at build time.
#include "typelib/builtin/builtin_libraries.h"

namespace tessivar {

extern const unsigned char kStdole2Tlb[];
extern const std::size_t kStdole2Tlb_size;

std::span<const BuiltInLibrary> builtInLibraries() {
    static const BuiltInLibrary libraries[] = {
        {kBuiltInStdole2Name, {reinterpret_cast<const std::byte*>(kStdole2Tlb), kStdole2Tlb_size}},
    };
    return libraries;
}

}  // namespace tessivar
