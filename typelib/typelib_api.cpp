// Small helpers over the type library seam.
#include "typelib/typelib_api.h"

#include <cstdio>

namespace tessivar {

std::string hexStatus(HResult hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

std::string typeName(const TypeInfo& info, MemberId memid) {
    Documentation doc;
    if (info.documentation(memid, doc) != kOk || !doc.name) return {};
    return *doc.name;
}

std::string libraryName(const TypeLib& lib) {
    Documentation doc;
    if (lib.documentation(-1, doc) != kOk || !doc.name) return {};
    return *doc.name;
}

std::shared_ptr<const TypeLib> containingLibrary(const TypeInfo& info) {
    std::shared_ptr<const TypeLib> lib;
    unsigned index = 0;
    if (info.containingTypeLib(lib, index) != kOk) return nullptr;
    return lib;
}

const char* ComError::what() const noexcept {
    switch (static_cast<std::uint32_t>(hr_)) {
        case 0x80004003u: return "a required interface pointer is missing (E_POINTER)";
        case 0x8007000Eu: return "out of memory (E_OUTOFMEMORY)";
        default: return "COM error";
    }
}

}  // namespace tessivar
