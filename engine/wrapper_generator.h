// WrapperGenerator: the state of one generation request and the class run over one class.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/contained_files.h"
#include "engine/file_system.h"
#include "engine/settings_store.h"
#include "engine/source_file.h"
#include "engine/user_interface.h"
#include "emit/emit_run.h"
#include "base/text.h"
#include "base/type_entry.h"
#include "base/class_entry.h"
#include "typelib/registry.h"
#include "typelib/typelib_api.h"

namespace tessivar {

class WrapperGenerator;

// The platform services a request works through.
struct Services {
    FileSystem& files;
    Registry& registry;
    TypeLibLoader& loader;
    SettingsStore& settings;
    UserInterface& ui;
};

// Whether a type of these attributes gets a proxy class: a dispatch interface, or an interface that is
// dual, dispatchable or Automation-compatible.
bool writesProxy(const TypeAttr& attr);

// "9 functions and 2 referenced types": what `losses` counts, for a log line.
std::string lossesText(const TypeLosses& losses);

// The runtime files that must be present in the runtime folder.
inline constexpr const char* kRuntimeJar = "kovra.jar";
inline constexpr const char* kRuntimeDll = "kovra.dll";

class WrapperGenerator : public EmitRun, public OutputFailureSink {
    // The run's files: the given ones, kept inside the destination. First, as `services` refers to it.
    ContainedFileSystem containedFiles_;

public:
    WrapperGenerator(Services services, bool hiddenSwitch, Emitters emitters = defaultEmitters());
    virtual ~WrapperGenerator();
    WrapperGenerator(const WrapperGenerator&) = delete;
    WrapperGenerator& operator=(const WrapperGenerator&) = delete;

    // One class run. Returns false when the run ended before generating (no interfaces, no runtime
    // folder, no jar module name).
    bool runClass(ClassEntry entry, std::vector<TypeEntry> interfaces, std::string destination, std::string package,
                  std::string jarModule, std::string runtimeFolder);
    // The same passes from a list of types instead of one class's interfaces, with the CoClass files of
    // `classes` (a library run). Returns false as runClass does.
    bool runTypes(ClassEntrySet classes, std::vector<TypeEntry> types, std::string destination, std::string package,
                  std::string jarModule, std::string runtimeFolder);

    void logLine(const std::string& text) override;
    // The registered type library file of an interface (findInterfaceTypeLibPath), looked up once per
    // request: generate-all writes a type in every class run that reaches it. A type of a library the
    // program carries itself, and registered nowhere, names that library.
    const std::string& interfaceTypeLibPath(const TypeEntry& entry) override;

    // Logs what the type just written lost (its `losses`), if anything, and empties them.
    void reportLosses(const TypeEntry& entry) override;
    // What the types that lost something in this request lost, one entry per type; empty when nothing was.
    const std::map<std::string, TypeLosses>& lossesByType() const { return lossesByType_; }
    // Added to the line of a loss that a missing library caused: how a user of this build can supply it.
    std::string missingLibraryHint;

    // Tells the user that the settings could not be saved, once per request: the run itself is not
    // failed by it (its files are written), so it is a message, not an error.
    void settingsNotSaved(const std::string& why);

    // Files that could not be created or written during this request.
    int outputFailures() const { return outputFailures_; }
    void outputFailed(const std::string& path, const std::string& what) override;

    std::unique_ptr<OutputText> openFile(const std::string& path) override;
    void ensureFolder(const std::string& path) override;
    Registry& registry() override { return services.registry; }
    TypeLibLoader& loader() override { return services.loader; }

    Services services;
    Emitters emitters;

    // Run state (see the class run for when each is emptied), besides the emitters' and the recorder's.
    std::vector<TypeEntry> sourceList;
    std::vector<TypeEntry> pending;
    SourceFile folderMaker;
    // The runtime folder text that carries over between the class runs of a request.
    std::string pathBuffer;
    // The request also asks for a Maven build file.
    bool writesMavenBuildFile = false;

private:
    bool obtainRuntimeFolder(const std::string& given);
    // Makes the destination when missing; false after telling why it cannot be written to.
    bool prepareDestination();
    void classifyPending();
    void runPass();

    std::map<std::string, std::string> interfaceTypeLibPaths_;  // by interface GUID text
    std::map<std::string, TypeLosses> lossesByType_;            // by library and type name
    std::set<std::string> refusedDestinations_;  // told once per request, not once per class run
    bool settingsFailureTold_ = false;
    std::set<std::string> failedPaths_;  // output files told as failed in this request

    int outputFailures_ = 0;
};

}  // namespace tessivar
