// The portable build's LoadTypeLib: the file reader, with paths mapped as the file-system seam maps them.
#include "typelib/platform_loader.h"

#include "base/text.h"
#include "typelib/posix/file_registry.h"
#include "typelib/reader/file_loader.h"

namespace tessivar {

std::unique_ptr<TypeLibLoader> makePlatformTypeLibLoader(Registry* registry) {
    return makePlatformTypeLibLoader(registry, {});
}

std::unique_ptr<TypeLibLoader> makePlatformTypeLibLoader(Registry* registry, std::vector<std::string> folders) {
    reader::ReaderOptions options;
    options.registry = registry;
    options.searchFolders = std::move(folders);
    options.builtIn.assign(builtInLibraries().begin(), builtInLibraries().end());
    // A registered path is a Windows path: the registry knows which local file it names. Other paths
    // are not asked about, so a library file opens without waiting for the registry.
    options.localFile = [registry](const std::string& path) {
        if (registry && hasDrive(path)) {
            std::string local = registry->localPath(path);
            if (!local.empty()) return local;
        }
        return nativePath(path);
    };
    return std::make_unique<reader::FileTypeLibLoader>(std::move(options));
}

}  // namespace tessivar
