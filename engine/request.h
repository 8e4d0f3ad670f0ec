// A generation request: what the front end hands over, and the request run over it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/settings_store.h"
#include "engine/wrapper_generator.h"
#include "base/type_entry.h"
#include "base/class_entry.h"

namespace tessivar {

// The front end's state as the request sees it. The request works on its own copy, so the front end
// may change its catalogue, selection or settings while the request runs.
struct RequestSnapshot {
    ClassCatalogue classes;
    std::vector<std::string> shownNames;  // the names the class list shows, in its (sorted) order
    int classIndex = -1;                  // the selected item of shownNames
    std::vector<TypeEntry> interfaces;    // the implemented interfaces of the selected class
    GeneratorSettings settings;
    bool hiddenInterfaces = false;
    bool generateAll = false;
    bool mavenBuildFile = false;  // a pom.xml beside build.xml (the command line's --maven)
    // A library run over the file libraryPath instead of class runs: its chosen types, or every type
    // when none is chosen.
    bool libraryRun = false;
    std::string libraryPath;
    std::vector<std::string> chosenTypes;
};

// What a request needs from the front end while it runs.
class RequestHost {
public:
    virtual ~RequestHost() = default;
    virtual void setGenerateEnabled(bool enabled) = 0;
    // True when more requests wait behind this one: Generate then stays disabled until the last has run.
    virtual bool requestsWaiting() { return false; }
    // Generate-all mode: show catalogue entry `index` as selected and give its implemented interfaces.
    virtual std::vector<TypeEntry> selectClass(std::size_t index) = 0;
    // How a user of this front end supplies a type library that could not be loaded ("" for no advice).
    virtual std::string missingLibraryHint() { return {}; }
    // Progress of a request with several class runs.
    virtual void classRunDone(std::size_t done, std::size_t total) { (void)done, (void)total; }
};

struct RequestOutcome {
    int classRuns = 0;          // class runs started
    int completedRuns = 0;      // class runs that got to the emitters
    int outputFailures = 0;     // files that could not be created or written
    int filesOpened = 0;        // files opened for writing on the disk (0 without the skipping)
    int filesUnchanged = 0;     // rewrites left alone because their bytes were the same
    int incompleteTypes = 0;    // types written without something their type information could not give
    bool matched = false;       // the selected name matched a class (or generate-all ran)
    std::string error;          // set when a raised error ended the request
};

// The request's files go through an UnchangedFileSkipper over services.files, unless `skipUnchanged` is
// false (the final files and log are the same either way; only the number of disk writes differs).
RequestOutcome runRequest(RequestHost& host, const RequestSnapshot& snapshot, Services services,
                          const Emitters& emitters = defaultEmitters(), bool skipUnchanged = true);

}  // namespace tessivar
