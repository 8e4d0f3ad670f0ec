// The containing library of a type being written.
#include "emit/containing_library.h"

namespace tessivar {

ContainingLibrary enterContainingLibrary(EmitRun& run, const std::shared_ptr<const TypeInfo>& type) {
    ContainingLibrary containing;
    if (!type || type->containingTypeLib(containing.lib, containing.index) != kOk || !containing.lib)
        throw ComError(kPointerError);
    run.currentLibName = libraryName(*containing.lib);
    return containing;
}

}  // namespace tessivar
