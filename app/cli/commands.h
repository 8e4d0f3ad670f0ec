// The subcommands over an opened class source: generate, list and show.
#pragma once

#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/cli/class_source.h"
#include "app/cli/console_ui.h"
#include "engine/file_system.h"
#include "engine/request.h"
#include "engine/settings_store.h"
#include "engine/wrapper_generator.h"

namespace tessivar {

enum ExitStatus : int { kExitSuccess = 0, kExitFailure = 1, kExitUsage = 2 };

// The settings options as given; an option given empty is given.
struct GivenSettings {
    std::optional<std::string> jarModule, package, destDir, sdkPath;
};

// The options given, the stored settings for the others.
GeneratorSettings resolveSettings(const GivenSettings& given, SettingsStore& store);

// The values a run takes from the store because their option was not given ("jar module", its value);
// empty values are left out.
std::vector<std::pair<std::string, std::string>> storedSettingsInUse(const GivenSettings& given,
                                                                     const GeneratorSettings& settings);
// One note per value taken from the store: "jar module X, from <storeName>."
void tellStoredSettings(const GivenSettings& given, const GeneratorSettings& settings, const std::string& storeName,
                        ConsoleUi& ui);

// What is missing from a runtime folder, as told to the user; nothing when it holds both files.
std::optional<std::string> runtimeFolderProblem(FileSystem& files, const std::string& folder);

// The checks a class run makes before it writes, made once before anything is read, every problem
// told: the runtime folder (there is no folder browser to ask with), the jar module name, the package.
// A value not given as an option is named as one from `storeName` (e.g. "the settings file PATH").
// kExitUsage when the jar module or package cannot name the output, else kExitFailure after an error.
int checkSettings(const GeneratorSettings& settings, const GivenSettings& given, const std::string& storeName,
                  FileSystem& files, ConsoleUi& ui);

// The class a command is about: --progid for registered classes, --coclass in a file (default: the
// first name of the sorted list, as the dialog selects it).
struct ClassChoice {
    std::string progId;
    std::string coClass;
};

struct GenerateOptions {
    ClassChoice choice;
    bool all = false;
    bool hidden = false;
    bool maven = false;  // also write pom.xml
    bool everyType = false;          // every type of the --typelib file, coclass or not
    std::vector<std::string> types;  // just these types of the --typelib file (and what they reach)
    // When set, the run ends with a summary line timed from here (--quiet keeps it for failed runs).
    std::optional<std::chrono::steady_clock::time_point> summarySince;
};

// The error for a --typelib file without coclasses, with the hint that its types can still be generated.
std::string noCoClassMessage(const std::string& typeLibFile);

// "Summary: 12 files written, 3 unchanged, 0 failed, 0 types incomplete, 0.04 s."
std::string runSummary(const RequestOutcome& outcome, double seconds);

int generate(ClassSource& source, const GenerateOptions& options, const GeneratorSettings& settings,
             FileSystem& files, SettingsStore& store, ConsoleUi& ui, const Emitters& emitters = defaultEmitters());

struct ListOptions {
    bool guid = false;
    bool path = false;
    bool typeLibs = false;  // the registered type libraries instead of the classes
    bool json = false;
};

// A file without coclasses is told on `ui` and fails.
int list(const ClassSource& source, const ListOptions& options, std::ostream& out, ConsoleUi& ui);

int show(ClassSource& source, const ClassChoice& choice, std::ostream& out, ConsoleUi& ui, bool json = false);

// The canonical text of everything the type library interface shows for a file.
int dump(ClassSource& libraries, const std::string& path, std::ostream& out, ConsoleUi& ui);
// The same into the file `output`, which the text replaces whole once it is written: a library that
// does not load leaves the file as it was, and a failed write leaves it as it was, with the reason told.
// A symbolic link at `output` is replaced, not followed.
int dumpToFile(ClassSource& libraries, const std::string& path, FileSystem& files, const std::string& output,
               ConsoleUi& ui);

}  // namespace tessivar
