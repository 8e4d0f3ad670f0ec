// The settings key under HKEY_LOCAL_MACHINE.
#include "engine/registry_settings_store.h"

namespace tessivar {

std::unique_ptr<RegKey> RegistrySettingsStore::open() {
    std::unique_ptr<RegKey> key;
    if (registry_.openKey(RegRoot::LocalMachine, kSettingsKeyPath, RegAccess::AllAccess, key) != kRegSuccess)
        key.reset();
    return key;
}

bool RegistrySettingsStore::exists() { return open() != nullptr; }

std::optional<std::string> RegistrySettingsStore::read(const std::string& name, std::size_t maxBytes) {
    const auto key = open();
    if (!key) return std::nullopt;
    RegValue value;
    if (key->queryValue(name, maxBytes, value) != kRegSuccess) return std::nullopt;
    return value.text();  // the type is not examined
}

bool RegistrySettingsStore::create() {
    std::unique_ptr<RegKey> key;
    return registry_.createKey(RegRoot::LocalMachine, kSettingsKeyPath, key) == kRegSuccess && key;
}

bool RegistrySettingsStore::write(const std::string& name, const std::string& value) {
    const auto key = open();
    if (!key) return false;
    RegValue data;
    data.type = REG_SZ;
    data.data.assign(value.begin(), value.end());
    data.data.push_back(0);
    return key->setValue(name, data) == kRegSuccess;
}

}  // namespace tessivar
