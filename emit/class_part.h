// The block that opens every proxy class and listener interface: header, imports, declaration, the
// interface GUID, its registration with the runtime and the constructors.
#pragma once

#include <string>

#include "emit/emit_run.h"
#include "base/type_entry.h"

namespace tessivar {

// Class mode (interfaceMode false) writes a proxy class, extending UnknownPtr when `unknownPtr` is set
// and DispatchPtr otherwise; interface mode writes a listener interface. The closing brace is the
// caller's. Reads the run's current library name, package and referenced libraries.
void writeClassPart(const EmitRun& run, std::string typeLibPath, OutputText& file,
                    const TypeEntry& entry, bool unknownPtr, bool interfaceMode);

}  // namespace tessivar
