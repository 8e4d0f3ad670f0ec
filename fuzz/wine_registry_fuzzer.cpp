// libFuzzer target for the Wine registry file reader. The input is split at its first form feed into
// system.reg and user.reg, so both files and their merge are exercised.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/registry_walk.h"
#include "typelib/posix/file_registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessivar;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t split = bytes.find('\f');
    const std::string_view system = bytes.substr(0, split);
    const std::string_view user = split == std::string_view::npos ? std::string_view() : bytes.substr(split + 1);
    RegistryOpenResult opened = registryFromWineFiles(system, user, {{'c', "/nonexistent-drive-c"}});
    if (opened.registry) fuzz::walkRegistry(*opened.registry);
    return 0;
}
