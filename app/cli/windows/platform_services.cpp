// The Windows build's machine: its files, its registry, and the settings key in that registry.
#include "app/cli/platform_services.h"

#include <io.h>

#include <cstdio>

#include "engine/registry_settings_store.h"
#include "engine/windows/windows_file_system.h"
#include "typelib/windows/registry_win.h"

namespace tessivar {
namespace {

// The settings key of the machine's registry, with the registry it lives in.
class MachineSettingsStore : public SettingsStore {
public:
    bool exists() override { return store_.exists(); }
    std::optional<std::string> read(const std::string& name, std::size_t maxBytes) override {
        return store_.read(name, maxBytes);
    }
    bool create() override { return store_.create(); }
    bool write(const std::string& name, const std::string& value) override { return store_.write(name, value); }

private:
    WindowsRegistry registry_;
    RegistrySettingsStore store_{registry_};
};

}  // namespace

std::unique_ptr<FileSystem> makeDisk() { return std::make_unique<WindowsFileSystem>(); }

std::unique_ptr<SettingsStore> makeSettingsStore() { return std::make_unique<MachineSettingsStore>(); }

std::string settingsStoreName() { return std::string("the settings key HKEY_LOCAL_MACHINE\\") + kSettingsKeyPath; }

std::optional<std::string> openRegistry(const SourceOptions& options, bool fileMode, std::unique_ptr<Registry>& out) {
    if (options.regFile || options.winePrefix)
        return "--wine-prefix and --registry belong to the portable build; this build reads the machine's registry.";
    (void)fileMode;
    out = std::make_unique<WindowsRegistry>();
    return std::nullopt;
}

std::string missingLibraryHint() { return "register it on this machine"; }

bool stderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }
bool stdoutIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

}  // namespace tessivar
