// libFuzzer target for the type library reader: load from bytes (a bare image or a module holding one),
// then walk everything the seam exposes and resolve every reference the library holds.
#include <cstddef>
#include <cstdint>
#include <span>

#include "tests/support/library_exercise.h"
#include "typelib/reader/file_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessivar;
    const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);
    std::shared_ptr<const TypeLib> lib;
    if (reader::loadTypeLibFromBytes(bytes, 1, lib) == kOk && lib) (void)test::walkLibrary(*lib);
    return 0;
}
