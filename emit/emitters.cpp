// The program's emitters, in the slots a class run calls.
#include "emit/coclass.h"
#include "emit/dispatch_interface.h"
#include "emit/enum_interface.h"
#include "emit/listener_interface.h"
#include "engine/build_file.h"
#include "engine/maven_build_file.h"
#include "engine/wrapper_generator.h"

namespace tessivar {

Emitters defaultEmitters() {
    return Emitters{generateDispatchInterface, generateListenerInterface, writeEnumInterfaces, writeCoClasses,
                    writeBuildFile, writeMavenBuildFile};
}

}  // namespace tessivar
