// Writes the listener interface of one event source dispatch interface. Placeholder slot: it only logs.
#include "emit/listener_interface.h"

namespace tessivar {

void generateListenerInterface(WrapperGenerator& generator, TypeEntry entry, const std::string& sourceRoot) {
    generator.logLine("generateListenerInterface: not written yet");
    (void)entry;
    (void)sourceRoot;
}

}  // namespace tessivar
