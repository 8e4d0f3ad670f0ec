// The registry seam over the platform's registry functions, in the registry's 64-bit view.
#pragma once

#include <memory>

#include "typelib/registry.h"

namespace tessivar {

// Key paths, value names and string values cross this seam as UTF-8 and reach the platform in the ANSI
// code page; a read's byte limit counts the platform's bytes.
class WindowsRegistry : public Registry {
public:
    RegStatus openKey(RegRoot root, std::string_view path, RegAccess access, std::unique_ptr<RegKey>& out) override;
    RegStatus createKey(RegRoot root, std::string_view path, std::unique_ptr<RegKey>& out) override;
    std::string expandEnvironment(std::string_view text) const override;
    std::string localPath(std::string_view registeredPath) const override;
};

}  // namespace tessivar
