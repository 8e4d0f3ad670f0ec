// The two folder choosers of the dialog.
#include "app/windows/settings_choosers.h"

#include "engine/wrapper_generator.h"

namespace tessivar {

void chooseDestination(SettingsStore& store, FileSystem& files, const FolderBrowse& browse, std::string& destDir) {
    if (destDir.empty()) {
        if (auto stored = store.read(kSettingDest, kChooserReadLimit)) destDir = *stored;
    } else {
        files.setCurrentDirectory(destDir);
    }
    const auto chosen = browse("Choose Destination Directory.");
    if (!chosen) return;
    destDir = *chosen;
    files.setCurrentDirectory(*chosen);
    if (store.create()) store.write(kSettingDest, *chosen);
}

void chooseRuntimeFolder(SettingsStore& store, FileSystem& files, const FolderBrowse& browse, std::string& sdkPath) {
    if (auto stored = store.read(kSettingPath, kChooserReadLimit)) sdkPath = *stored;
    if (!sdkPath.empty()) files.setCurrentDirectory(sdkPath);
    const auto chosen = browse("Choose Kovra Directory.");
    if (!chosen) return;
    sdkPath = *chosen;
    const std::string separator(1, kPathSeparator);
    const bool hasJar = files.exists(*chosen + separator + kRuntimeJar);
    const bool hasDll = files.exists(*chosen + separator + kRuntimeDll);
    if (hasJar && hasDll && store.create()) store.write(kSettingPath, *chosen);
}

}  // namespace tessivar
