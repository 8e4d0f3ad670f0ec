// libFuzzer target for the registry file readers: every input is read as a Wine registry file and as a
// regedit export, and whatever loads is walked the way the class catalogue walks it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "typelib/catalogue.h"
#include "typelib/posix/file_registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessivar;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    RegistryOpenResult wine = registryFromWineFiles(bytes, {}, {});
    RegistryOpenResult exported = registryFromExport(bytes, {});
    for (Registry* registry : {wine.registry.get(), exported.registry.get()}) {
        if (!registry) continue;
        ClassCatalogue catalogue;
        ReadRegisteredClasses(*registry, catalogue);
        (void)shownClassNames(catalogue);
        (void)registry->expandEnvironment("%SystemRoot%\\%TEMP%%");
    }
    return 0;
}
