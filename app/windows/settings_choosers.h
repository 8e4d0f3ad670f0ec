// What the destination and runtime-folder choosers do around the folder browser: which folder is made
// current first, and what a choice stores.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "engine/file_system.h"
#include "engine/settings_store.h"

namespace tessivar {

// Shows the folder browser with a title, opened at the current directory; the chosen folder or nothing.
using FolderBrowse = std::function<std::optional<std::string>(const std::string& title)>;

// The settings read by the choosers hold at most this many bytes with their terminating zero.
inline constexpr std::size_t kChooserReadLimit = 260;

// "..." beside "Dest. Directory:". An empty field first takes the stored "Dest"; a folder chosen becomes
// the field, the current directory and the stored "Dest" (the key is created when missing).
void chooseDestination(SettingsStore& store, FileSystem& files, const FolderBrowse& browse, std::string& destDir);

// "..." beside "Kovra SDK Path:". The field first takes the stored "Path"; a folder chosen becomes the field,
// and is stored only when it holds both runtime files. The current directory is left at the previous
// runtime folder.
void chooseRuntimeFolder(SettingsStore& store, FileSystem& files, const FolderBrowse& browse, std::string& sdkPath);

}  // namespace tessivar
