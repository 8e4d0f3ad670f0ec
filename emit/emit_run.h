// EmitRun: what the emitters read and do of a class run, declared here and implemented by the engine;
// Emitters: the emitters a class run calls.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/type_entry.h"
#include "emit/output_text.h"
#include "mapping/type_recorder.h"
#include "typelib/registry.h"
#include "typelib/typelib_api.h"

namespace tessivar {

struct ProxyMembers;

class EmitRun : public TypeRecorder {
public:
    // The file at `path`, opened for writing; one that cannot be opened is told as an output failure and
    // comes back closed.
    virtual std::unique_ptr<OutputText> openFile(const std::string& path) = 0;
    // Makes the folder and those above it when missing.
    virtual void ensureFolder(const std::string& path) = 0;
    // The registered type library file of an interface, looked up once per request.
    virtual const std::string& interfaceTypeLibPath(const TypeEntry& entry) = 0;
    // Logs what the type just written lost, if anything, and empties the losses.
    virtual void reportLosses(const TypeEntry& entry) = 0;
    virtual Registry& registry() = 0;
    virtual TypeLibLoader& loader() = 0;

    // The run state the emitters read and change (see the class run for when each is emptied).
    std::vector<TypeEntry> interfaceList;
    TypeEntrySet doneInterfaces;
    std::shared_ptr<const TypeInfo> currentTypeInfo;
    std::string destination;
    std::string sourceRoot;
    std::string jarModule;
    std::string runtimeJarPath;
    // The dispatch interface emitter's own state for the request (the members of the proxies it wrote),
    // made at its first use.
    std::shared_ptr<ProxyMembers> proxyMembers;
};

// The emitters a class run calls, in the order the run calls them. Each writes its own files.
struct Emitters {
    // One dispatch or Automation-compatible interface (a copy of the entry), under the source root.
    std::function<void(EmitRun&, TypeEntry, const std::string& sourceRoot)> dispatchInterface;
    // One event source dispatch interface.
    std::function<void(EmitRun&, TypeEntry, const std::string& sourceRoot)> listenerInterface;
    // The enums of this pass's interfaceList.
    std::function<void(EmitRun&)> enums;
    // The CoClass files of coClasses.
    std::function<void(EmitRun&)> coClasses;
    // The build file.
    std::function<void(EmitRun&)> buildFile;
    // The Maven build file, after the Ant one, when the request asks for it.
    std::function<void(EmitRun&)> mavenBuildFile;
};

// The emitters of the program.
Emitters defaultEmitters();

}  // namespace tessivar
