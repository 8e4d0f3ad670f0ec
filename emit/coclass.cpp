// Writes the CoClass interface of every entry of coClasses. Placeholder slot: it only logs.
#include "emit/coclass.h"

namespace tessivar {

void writeCoClasses(WrapperGenerator& generator) {
    generator.logLine("writeCoClasses: not written yet");
}

}  // namespace tessivar
