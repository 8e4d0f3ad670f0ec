// Loading and saving the four settings.
#include "engine/settings_store.h"

namespace tessivar {

GeneratorSettings loadSettings(SettingsStore& store) {
    GeneratorSettings s;
    if (!store.exists()) return s;
    constexpr std::size_t kLoadLimit = 259;
    if (auto v = store.read(kSettingPackage, kLoadLimit)) s.package = *v;
    if (auto v = store.read(kSettingJarModule, kLoadLimit)) s.jarModule = *v;
    if (auto v = store.read(kSettingPath, kLoadLimit)) s.sdkPath = *v;
    if (auto v = store.read(kSettingDest, kLoadLimit)) s.destDir = *v;
    return s;
}

void saveSettings(SettingsStore& store, const GeneratorSettings& s) {
    if (!store.exists()) return;
    store.write(kSettingPackage, s.package);
    store.write(kSettingJarModule, s.jarModule);
    store.write(kSettingDest, s.destDir);
    store.write(kSettingPath, s.sdkPath);
}

}  // namespace tessivar
