// The portable build's registry: keys read from a Wine prefix or a regedit export, never written.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "typelib/posix/reg_tree.h"
#include "typelib/registry.h"

namespace tessivar {

// Drive letter (lower case) -> the local folder that stands for that drive's root.
using DriveMap = std::map<char, std::string>;
// Environment variables, named without regard to case as on Windows.
using EnvironmentMap = std::map<std::string, std::string, RegNameLess>;

struct RegistryOpenResult {
    std::unique_ptr<Registry> registry;  // null when the files could not be read
    std::string error;                   // "<file>: line N: what is wrong", or why a file could not be read
};

// $WINEPREFIX, or ~/.wine when it is not set.
std::string defaultWinePrefix();

// A prefix's system.reg (HKEY_LOCAL_MACHINE) and user.reg (HKEY_CURRENT_USER; optional), its drives
// from the dosdevices folder, and its environment from the registry's Environment keys.
RegistryOpenResult openWinePrefixRegistry(const std::string& prefix);

// A regedit export of another machine; `drives` says where that machine's drives are found here,
// `environment` adds to or overrides the variables its REG_EXPAND_SZ values may use.
RegistryOpenResult openRegExportRegistry(const std::string& file, DriveMap drives, EnvironmentMap environment = {});

// The same from bytes already read (a Wine registry keeps a copy of them); `label` names the source
// in errors.
RegistryOpenResult registryFromWineFiles(std::string_view systemReg, std::string_view userReg, DriveMap drives,
                                         const std::string& systemLabel = "system.reg",
                                         const std::string& userLabel = "user.reg");
RegistryOpenResult registryFromExport(std::string_view bytes, DriveMap drives, EnvironmentMap environment = {},
                                      const std::string& label = "registry export");

// The local file or folder for a Windows path ("C:\dir\file", also with a "\\?\" prefix) under the
// drive map, each name matched without regard to case as Windows does; empty when there is none.
std::string mapWindowsPath(std::string_view windowsPath, const DriveMap& drives);
// Whether the path starts with the drive mapWindowsPath needs ("C:\" or "C:/", also after "\\?\"): no
// other path maps to a local file.
bool hasDrive(std::string_view path);

}  // namespace tessivar
