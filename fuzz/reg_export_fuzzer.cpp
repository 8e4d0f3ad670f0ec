// libFuzzer target for the regedit export reader (both forms), and the class catalogue read from what loads.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/registry_walk.h"
#include "typelib/posix/file_registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessivar;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    RegistryOpenResult opened = registryFromExport(bytes, {{'c', "/nonexistent-drive-c"}});
    if (opened.registry) fuzz::walkRegistry(*opened.registry);
    return 0;
}
