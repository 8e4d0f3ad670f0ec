// The store of the four generation settings, and the settings the request works with.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tessivar {

struct GeneratorSettings {
    std::string jarModule;
    std::string package;
    std::string destDir;
    std::string sdkPath;  // the runtime folder
};

// A settings store with the semantics of the settings registry key: it either exists or not, reads
// are bounded, and only `create` brings it into being.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual bool exists() = 0;
    // The value, or nothing when the store does not exist, the value is absent, or it is longer
    // than maxBytes - 1 characters (the buffer holds its terminating zero).
    virtual std::optional<std::string> read(const std::string& name, std::size_t maxBytes) = 0;
    // Creates the store when missing; false when that fails.
    virtual bool create() = 0;
    // Writes a value when the store exists; false when it does not or the write fails.
    virtual bool write(const std::string& name, const std::string& value) = 0;
    // Writes the values, in order, as one change: a save made at the same time by another process
    // comes wholly before or after it, so the two never mix. False when any value cannot be written.
    virtual bool writeTogether(const std::vector<std::pair<std::string, std::string>>& values) {
        bool ok = true;
        for (const auto& [name, value] : values) ok = write(name, value) && ok;
        return ok;
    }
    // Why the last create, write or writeTogether failed, for the user ("...: No space left on
    // device"); empty when it succeeded, was declined by design, or the store gives no reason.
    virtual std::string failure() const { return {}; }
};

// Value names of the store.
inline constexpr const char* kSettingPackage = "Package";
inline constexpr const char* kSettingJarModule = "JarModule";
inline constexpr const char* kSettingDest = "Dest";
inline constexpr const char* kSettingPath = "Path";

// The load at start-up: each value read with a 259-byte limit; absent values leave fields empty.
GeneratorSettings loadSettings(SettingsStore& store);
// The save after a class run: only when the store exists; Package, JarModule, Dest, Path in this order,
// as one change. Why the save failed, or nothing when it was made or declined.
std::optional<std::string> saveSettings(SettingsStore& store, const GeneratorSettings& settings);

}  // namespace tessivar
