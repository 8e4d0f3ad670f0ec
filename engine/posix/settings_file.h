// The portable build's settings store: a per-user text file a person can read and edit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/settings_store.h"

namespace tessivar {

// An INI-style file. The store "exists" when the file holds the section
// [Software\Ostrelle\Kovra_Trial]; its "Name=value" lines are the values (names ignoring case, the
// value running to the end of the line; a value with blanks at either end is written in double
// quotes). Lines the store does not understand are kept. Every change replaces the file atomically,
// holding a lock on "<file>.lock" beside it meanwhile, so that changes by two processes at once
// follow each other instead of one undoing the other's. A write of what the file already holds leaves
// it untouched.
class SettingsFile : public SettingsStore {
public:
    explicit SettingsFile(std::string path) : path_(std::move(path)) {}
    // $XDG_CONFIG_HOME/tessivar/settings.ini, with ~/.config when the variable is unset or relative.
    static std::string defaultPath();
    const std::string& path() const { return path_; }

    bool exists() override;
    std::optional<std::string> read(const std::string& name, std::size_t maxBytes) override;
    bool create() override;
    // Refuses values holding a line break or a zero byte: the file could not give them back.
    bool write(const std::string& name, const std::string& value) override;
    bool writeTogether(const std::vector<std::pair<std::string, std::string>>& values) override;
    std::string failure() const override;

    // How long a change waits for another process's change to finish before it fails.
    static constexpr int kLockWaitMilliseconds = 10'000;

private:
    struct Contents {
        std::vector<std::string> lines;
        std::optional<std::size_t> section;  // index of the section's header line
        bool asWritten = false;  // the file's bytes are the lines as a replace writes them
    };
    enum class Load { Missing, Unusable, Loaded };
    // `why` says what is wrong with an unusable file.
    Load load(Contents& out, std::string* why = nullptr) const;
    bool replace(const Contents& contents);
    // Gives the values their lines in the section; true when that changed the file's bytes.
    static bool setValues(Contents& contents, const std::vector<std::pair<std::string, std::string>>& values);
    // Takes the lock between processes; -1 after setting failure_.
    int lockFile();
    bool failWith(std::string why);
    std::string path_;
    std::string failure_;

    // The file as last read, and what it was then: device, inode, size, modification and change times.
    struct Stamp {
        std::uint64_t device, inode;
        std::int64_t size, modified, modifiedNs, changed, changedNs;
        bool operator==(const Stamp&) const = default;
    };
    struct Cached {
        Stamp stamp;
        Contents contents;
    };
    mutable std::optional<Cached> cached_;
};

}  // namespace tessivar
