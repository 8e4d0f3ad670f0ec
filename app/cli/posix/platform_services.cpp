// The portable build's machine: POSIX files, Wine prefixes and registry exports, a per-user settings file.
#include "app/cli/platform_services.h"

#include <unistd.h>

#include <filesystem>

#include "engine/posix/posix_file_system.h"
#include "engine/posix/settings_file.h"
#include "typelib/posix/file_registry.h"

namespace tessivar {

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
