// Writes the proxy class of one dispatch or Automation-compatible interface. Placeholder slot: it only logs.
#include "emit/dispatch_interface.h"

namespace tessivar {

void generateDispatchInterface(WrapperGenerator& generator, TypeEntry entry, const std::string& sourceRoot) {
    generator.logLine("generateDispatchInterface: not written yet");
    (void)entry;
    (void)sourceRoot;
}

}  // namespace tessivar
