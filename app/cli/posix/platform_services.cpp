// The portable build's machine: POSIX files, Wine prefixes and registry exports, a per-user settings file.
#include "app/cli/platform_services.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "engine/posix/posix_file_system.h"
#include "engine/posix/settings_file.h"
#include "typelib/posix/file_registry.h"

namespace tessivar {

void prepareMemory() {
#ifdef __GLIBC__
    // A run builds and drops many texts of tens to hundreds of KB. Kept in the heap instead of mapped
    // and unmapped one by one, and never handed back early, their pages are faulted in once: on
    // virtual machines a fresh page costs microseconds, and a generation run touches thousands.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    // The heap grows in large steps that may be backed by huge pages where the system offers them on
    // request: one fault then brings in 2 MB instead of 4 KB.
    // The first step is taken here, so that the whole of it can be marked.
    constexpr std::size_t kStep = 16 << 20;
    mallopt(M_TOP_PAD, kStep);
    void* first = std::malloc(kStep);
    if (!first) return;
    const auto start = (reinterpret_cast<std::uintptr_t>(first) + 4095) & ~std::uintptr_t{4095};
    const auto end = reinterpret_cast<std::uintptr_t>(::sbrk(0));
    if (end > start) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    std::free(first);
#endif
}

std::unique_ptr<FileSystem> makeDisk() { return std::make_unique<PosixFileSystem>(); }

std::unique_ptr<SettingsStore> makeSettingsStore() {
    return std::make_unique<SettingsFile>(SettingsFile::defaultPath());
}

std::string settingsStoreName() { return "the settings file " + SettingsFile::defaultPath(); }

std::optional<std::string> openRegistry(const SourceOptions& options, bool fileMode, std::unique_ptr<Registry>& out) {
    RegistryOpenResult opened;
    if (options.regFile) {
        opened = openRegExportRegistry(*options.regFile, DriveMap(options.drives.begin(), options.drives.end()));
    } else {
        const std::string prefix = options.winePrefix.value_or(defaultWinePrefix());
        std::error_code ec;
        if (!std::filesystem::exists(std::filesystem::path(prefix) / "system.reg", ec)) {
            if (fileMode && !options.winePrefix) {
                out = std::make_unique<EmptyRegistry>();
                return std::nullopt;
            }
            return "There is no Wine prefix at " + prefix +
                   " (it has no system.reg): give --wine-prefix DIR or --registry FILE.reg, or set WINEPREFIX.";
        }
        opened = openWinePrefixRegistry(prefix);
    }
    if (!opened.registry) return "The registry cannot be read: " + opened.error + ".";
    out = std::move(opened.registry);
    return std::nullopt;
}

std::string missingLibraryHint() {
    return "add the folder that holds it with --search-folder DIR, or give the Wine prefix where it is registered "
           "with --wine-prefix DIR";
}

bool stderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }
bool stdoutIsTerminal() { return ::isatty(STDOUT_FILENO) == 1; }

}  // namespace tessivar
