// The settings store kept in the registry, as the Windows build keeps it.
#pragma once

#include <memory>

#include "engine/settings_store.h"
#include "typelib/registry.h"

namespace tessivar {

// Under HKEY_LOCAL_MACHINE.
inline constexpr const char* kSettingsKeyPath = "Software\\Ostrelle\\Kovra_Trial";

// Opens the key for full access for every use, as the dialog does; values are REG_SZ written with
// their terminating zero. The key is made only by create().
class RegistrySettingsStore : public SettingsStore {
public:
    explicit RegistrySettingsStore(Registry& registry) : registry_(registry) {}
    bool exists() override;
    std::optional<std::string> read(const std::string& name, std::size_t maxBytes) override;
    bool create() override;
    bool write(const std::string& name, const std::string& value) override;

private:
    std::unique_ptr<RegKey> open();
    Registry& registry_;
};

}  // namespace tessivar
