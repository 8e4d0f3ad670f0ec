// ProgIDFromCLSID over the registry seam.
#include "typelib/progid.h"

#include <memory>

namespace tessivar {
namespace {

// Generous for a ProgID (the platform allows 39 characters), and a bound on what the registry hands back.
constexpr std::size_t kMaxProgIdBytes = 1024;

}  // namespace

std::string progIdFromClsid(Registry& registry, const std::string& clsidText) {
    std::unique_ptr<RegKey> key;
    if (registry.openKey(RegRoot::ClassesRoot, "CLSID\\" + clsidText + "\\ProgID", RegAccess::Read, key) !=
            kRegSuccess ||
        !key)
        return {};
    RegValue value;
    if (key->queryValue("", kMaxProgIdBytes, value) != kRegSuccess) return {};
    if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) return {};
    return value.text();
}

}  // namespace tessivar
