// What the command line takes from the machine it runs on: its disk, its registry, its settings store.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/cli/class_source.h"
#include "engine/file_system.h"
#include "engine/settings_store.h"
#include "typelib/registry.h"

namespace tessivar {

std::unique_ptr<FileSystem> makeDisk();
std::unique_ptr<SettingsStore> makeSettingsStore();

// The registry the options name. In file mode a registry only helps to find the libraries a file
// refers to, so a missing default registry is no error there. The message for the user on failure.
std::optional<std::string> openRegistry(const SourceOptions& options, bool fileMode, std::unique_ptr<Registry>& out);

bool stderrIsTerminal();

// The registry of a machine that has none: a type library file can still be read without one.
class EmptyRegistry : public Registry {
public:
    RegStatus openKey(RegRoot, std::string_view, RegAccess, std::unique_ptr<RegKey>& out) override {
        out.reset();
        return kRegFileNotFound;
    }
    RegStatus createKey(RegRoot, std::string_view, std::unique_ptr<RegKey>& out) override {
        out.reset();
        return kRegAccessDenied;
    }
    std::string expandEnvironment(std::string_view text) const override { return std::string(text); }
    std::string localPath(std::string_view) const override { return {}; }
};

}  // namespace tessivar
