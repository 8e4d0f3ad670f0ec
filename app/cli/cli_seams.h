// The command line's variants of two platform seams: a working folder that stays put, and a
// settings store that can be read but not changed (--no-save).
#pragma once

#include "engine/file_system.h"
#include "engine/settings_store.h"

namespace tessivar {

// A class run makes a given runtime folder the current directory, which moves every relative
// destination into the runtime folder; a command line resolves relative paths against the folder it
// was started in, so the change is accepted and not made.
class StartFolderFileSystem : public ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;
    bool setCurrentDirectory(const std::string&) override { return true; }
};

// Reads the stored settings; never creates the store or writes a value.
class ReadOnlySettings : public SettingsStore {
public:
    explicit ReadOnlySettings(SettingsStore& stored) : stored_(stored) {}
    bool exists() override { return stored_.exists(); }
    std::optional<std::string> read(const std::string& name, std::size_t maxBytes) override {
        return stored_.read(name, maxBytes);
    }
    bool create() override { return false; }
    bool write(const std::string&, const std::string&) override { return false; }

private:
    SettingsStore& stored_;
};

}  // namespace tessivar
