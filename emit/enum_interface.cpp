// Writes the constant interface of every enum in the pass's interfaceList. Placeholder slot: it only logs.
#include "emit/enum_interface.h"

namespace tessivar {

void writeEnumInterfaces(WrapperGenerator& generator) {
    generator.logLine("writeEnumInterfaces: not written yet");
}

}  // namespace tessivar
