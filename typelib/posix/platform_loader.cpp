// The portable build's LoadTypeLib. Placeholder until the file reader lands: every load fails.
#include "typelib/platform_loader.h"

namespace tessivar {
namespace {

class UnavailableLoader : public TypeLibLoader {
public:
    HResult load(const std::string&, std::shared_ptr<const TypeLib>& out) override {
        out.reset();
        return kCantLoadLibrary;
    }
};

}  // namespace

std::unique_ptr<TypeLibLoader> makePlatformTypeLibLoader(Registry*) { return std::make_unique<UnavailableLoader>(); }

}  // namespace tessivar
