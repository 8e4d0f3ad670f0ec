// The registered type library file of an interface, for the header of a generated file.
#include "typelib/interface_path.h"

#include "base/guid_text.h"
#include "typelib/registry_lookups.h"

namespace tessivar {

std::string findInterfaceTypeLibPath(Registry& registry, const std::string& guidText) {
    std::string path;
    FindInterfaceTypeLibPath(registry, parseGuidText(guidText).value_or(Guid{}), path);
    return path;
}

}  // namespace tessivar
