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

std::optional<std::string> saveSettings(SettingsStore& store, const GeneratorSettings& s) {
    if (!store.exists()) return std::nullopt;
    if (store.writeTogether({{kSettingPackage, s.package},
                             {kSettingJarModule, s.jarModule},
                             {kSettingDest, s.destDir},
                             {kSettingPath, s.sdkPath}}))
        return std::nullopt;
    std::string why = store.failure();
    if (why.empty()) return std::nullopt;
    return why;
}

}  // namespace tessivar
