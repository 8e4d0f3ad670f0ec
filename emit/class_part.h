// The block that opens every proxy class and listener interface: header, imports, declaration, the
// interface GUID, its registration with the runtime and the constructors.
#pragma once

#include <string>

#include "engine/source_file.h"
#include "engine/wrapper_generator.h"
#include "base/type_entry.h"

namespace tessivar {

// Class mode (interfaceMode false) writes a proxy class, extending UnknownPtr when `unknownPtr` is set
// and DispatchPtr otherwise; interface mode writes a listener interface. The closing brace is the
// caller's. Reads the generator's current library name, package and referenced libraries.
void writeClassPart(const WrapperGenerator& generator, std::string typeLibPath, SourceFile& file,
                    const TypeEntry& entry, bool unknownPtr, bool interfaceMode);

}  // namespace tessivar
