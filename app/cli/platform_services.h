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
// Where that store keeps the settings, as messages name it ("the settings file PATH").
std::string settingsStoreName();

// The registry the options name. In file mode a registry only helps to find the libraries a file
// refers to, so a missing default registry is no error there. The message for the user on failure.
std::optional<std::string> openRegistry(const SourceOptions& options, bool fileMode, std::unique_ptr<Registry>& out);

// How a user of this build supplies a type library that a library refers to and that cannot be loaded.
std::string missingLibraryHint();

bool stderrIsTerminal();
bool stdoutIsTerminal();

}  // namespace tessivar
