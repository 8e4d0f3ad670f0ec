// The program's emitters, in the slots a class run calls.
#include "emit/coclass.h"
#include "emit/dispatch_interface.h"
#include "emit/enum_interface.h"
#include "emit/listener_interface.h"
#include "emit/build_file.h"
#include "emit/maven_build_file.h"
#include "emit/emit_run.h"

namespace tessivar {

Emitters defaultEmitters() {
    return Emitters{generateDispatchInterface, generateListenerInterface, writeEnumInterfaces, writeCoClasses,
                    writeBuildFile, writeMavenBuildFile};
}

}  // namespace tessivar
