// The Windows build's machine: its files; its registry and settings key once the build has a registry seam.
#include "app/cli/platform_services.h"

#include <io.h>

#include <cstdio>

#include "engine/windows/windows_file_system.h"

namespace tessivar {
namespace {

// Until the build reads HKEY_LOCAL_MACHINE, nothing is stored: a store that never exists.
class NoSettingsStore : public SettingsStore {
public:
    bool exists() override { return false; }
    std::optional<std::string> read(const std::string&, std::size_t) override { return std::nullopt; }
    bool create() override { return false; }
    bool write(const std::string&, const std::string&) override { return false; }
};

}  // namespace

std::unique_ptr<FileSystem> makeDisk() { return std::make_unique<WindowsFileSystem>(); }

std::unique_ptr<SettingsStore> makeSettingsStore() { return std::make_unique<NoSettingsStore>(); }

std::optional<std::string> openRegistry(const SourceOptions& options, bool fileMode, std::unique_ptr<Registry>& out) {
    if (options.regFile || options.winePrefix)
        return "--wine-prefix and --registry belong to the portable build; this build reads the machine's registry.";
    if (!fileMode) return "This build cannot read the registered classes yet: give --typelib FILE.";
    out = std::make_unique<EmptyRegistry>();
    return std::nullopt;
}

bool stderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

}  // namespace tessivar
