// generate, list and show: the dialog's work for one command line, over the same request code.
#include "app/cli/commands.h"

#include <algorithm>

#include "app/cli/platform_services.h"
#include "engine/library_run.h"
#include "engine/request.h"
#include "engine/wrapper_generator.h"
#include "mapping/path_names.h"
#include "typelib/dump.h"

namespace tessivar {
namespace {

// Generate-all mode pairs each catalogue entry with its own coclass, and reports progress.
class CliHost : public RequestHost {
public:
    CliHost(ClassSource& source, ConsoleUi& ui) : source_(source), ui_(ui) {}
    void setGenerateEnabled(bool) override {}
    std::vector<TypeEntry> selectClass(std::size_t index) override {
        const FoundClass found = FindClassOfEntry(*source_.loader, source_.classes[index]);
        return ListImplementedInterfaces(found.typeLibPath, found.coClass);
    }
    void classRunDone(std::size_t done, std::size_t total) override { ui_.progress(done, total); }
    std::string missingLibraryHint() override { return tessivar::missingLibraryHint(); }

private:
    ClassSource& source_;
    ConsoleUi& ui_;
};

bool holdsName(const ClassSource& source, const std::string& name) {
    return std::any_of(source.classes.begin(), source.classes.end(),
                       [&](const ClassEntry& e) { return e.progId == name; });
}

// The name the command is about, or nothing after telling the user why there is none.
std::optional<std::string> chosenName(const ClassSource& source, const ClassChoice& choice, ConsoleUi& ui) {
    if (!source.typeLibFile.empty()) {
        if (source.classes.empty()) {
            ui.error(noCoClassMessage(source.typeLibFile));
            return std::nullopt;
        }
        if (choice.coClass.empty()) return firstShownName(source.classes);
        if (!holdsName(source, choice.coClass)) {
            ui.error(source.typeLibFile + " has no coclass named " + choice.coClass + ".");
            return std::nullopt;
        }
        return choice.coClass;
    }
    if (!holdsName(source, choice.progId)) {
        ui.error("No registered class with a type library has the ProgID " + choice.progId +
                 " (tessivar list shows those that have).");
        return std::nullopt;
    }
    return choice.progId;
}

bool reportMissingCoClass(const std::string& name, const ClassView& view, ConsoleUi& ui) {
    if (view.found.coClass) return false;
    ui.error("The type library of " + name + " (" + view.found.typeLibPath +
             ") cannot be loaded or holds no coclass with its CLSID.");
    return true;
}

// A library run: every type of the file, or the chosen ones. Unknown names are wrong usage, told before
// anything is written.
int generateLibrary(ClassSource& source, const GenerateOptions& options, const GeneratorSettings& settings,
                    FileSystem& files, SettingsStore& store, ConsoleUi& ui, const Emitters& emitters) {
    std::shared_ptr<const TypeLib> lib;
    if (const HResult hr = source.loader->load(source.typeLibFile, lib); hr != kOk || !lib) {
        ui.error(source.typeLibFile + " is not a type library that can be loaded (" +
                 hexStatus(hr != kOk ? hr : kCantLoadLibrary) + ").");
        return kExitFailure;
    }
    const std::vector<std::string> unknown = unknownTypeErrors(libraryTypes(*lib), source.typeLibFile, options.types);
    for (const std::string& error : unknown) ui.error(error);
    if (!unknown.empty()) return kExitUsage;

    RequestSnapshot snap;
    snap.settings = settings;
    snap.hiddenInterfaces = options.hidden;
    snap.mavenBuildFile = options.maven;
    snap.libraryRun = true;
    snap.libraryPath = source.typeLibFile;
    snap.chosenTypes = options.types;

    CliHost host(source, ui);
    const int errorsBefore = ui.errors();
    const RequestOutcome outcome = runRequest(host, snap, Services{files, *source.registry, *source.loader, store, ui}, emitters);
    if (outcome.completedRuns == 0 && ui.errors() == errorsBefore)
        ui.error(options.types.empty() ? "No type of " + source.typeLibFile + " gets a Java file: nothing was generated."
                                       : "None of the chosen types gets a Java file: nothing was generated.");
    const bool failed = ui.errors() > errorsBefore || outcome.outputFailures > 0 || outcome.completedRuns == 0 ||
                        outcome.incompleteTypes > 0;
    return failed ? kExitFailure : kExitSuccess;
}

}  // namespace

std::string noCoClassMessage(const std::string& typeLibFile) {
    return typeLibFile + " holds no coclass; generate --every-type writes the types it holds.";
}

GeneratorSettings resolveSettings(const GivenSettings& given, SettingsStore& store) {
    GeneratorSettings s = loadSettings(store);
    if (given.jarModule) s.jarModule = *given.jarModule;
    if (given.package) s.package = *given.package;
    if (given.destDir) s.destDir = *given.destDir;
    if (given.sdkPath) s.sdkPath = *given.sdkPath;
    return s;
}

std::optional<std::string> runtimeFolderProblem(FileSystem& files, const std::string& folder) {
    if (folder.empty())
        return std::string("No runtime folder: give --runtime DIR, the folder that holds ") + kRuntimeJar + " and " +
               kRuntimeDll + ".";
    if (!files.exists(folder)) return "The runtime folder " + folder + " does not exist.";
    if (!files.isFolder(folder)) return "The runtime folder " + folder + " is not a folder.";
    const std::string sep(1, kPathSeparator);
    const bool jar = files.exists(folder + sep + kRuntimeJar);
    const bool dll = files.exists(folder + sep + kRuntimeDll);
    if (jar && dll) return std::nullopt;
    const std::string missing = !jar && !dll ? std::string("neither ") + kRuntimeJar + " nor " + kRuntimeDll
                                : !jar       ? std::string("no ") + kRuntimeJar
                                             : std::string("no ") + kRuntimeDll;
    return "The runtime folder " + folder + " has " + missing + ".";
}

bool checkSettings(const GeneratorSettings& settings, FileSystem& files, ConsoleUi& ui) {
    if (auto problem = runtimeFolderProblem(files, settings.sdkPath)) {
        ui.error(*problem);
        return false;
    }
    if (settings.jarModule.empty()) {
        ui.error("Enter Module Name.");
        return false;
    }
    return true;
}

int generate(ClassSource& source, const GenerateOptions& options, const GeneratorSettings& settings,
             FileSystem& files, SettingsStore& store, ConsoleUi& ui, const Emitters& emitters) {
    if (options.everyType || !options.types.empty())
        return generateLibrary(source, options, settings, files, store, ui, emitters);
    const auto name = chosenName(source, options.choice, ui);
    if (!name) return kExitFailure;
    const ClassView view = viewClass(source, *name);
    if (!options.all && reportMissingCoClass(*name, view, ui)) return kExitFailure;

    RequestSnapshot snap;
    snap.classes = source.classes;
    for (const ClassEntry* e : shownOrder(source.classes)) snap.shownNames.push_back(e->progId);
    snap.classIndex = static_cast<int>(std::find(snap.shownNames.begin(), snap.shownNames.end(), *name) -
                                       snap.shownNames.begin());
    snap.interfaces = view.interfaces;
    snap.settings = settings;
    snap.hiddenInterfaces = options.hidden;
    snap.generateAll = options.all;
    snap.mavenBuildFile = options.maven;

    CliHost host(source, ui);
    if (options.all) ui.progress(0, snap.classes.size());
    const int errorsBefore = ui.errors();
    const RequestOutcome outcome = runRequest(host, snap, Services{files, *source.registry, *source.loader, store, ui}, emitters);

    if (outcome.completedRuns == 0 && ui.errors() == errorsBefore) {
        ui.error(options.all ? "No coclass of " + source.typeLibFile + " implements an interface: nothing was generated."
                             : *name + " implements no interface: nothing was generated.");
    }
    const bool failed = ui.errors() > errorsBefore || outcome.outputFailures > 0 || outcome.completedRuns == 0 ||
                        outcome.incompleteTypes > 0;
    return failed ? kExitFailure : kExitSuccess;
}

int list(const ClassSource& source, const ListOptions& options, std::ostream& out) {
    // Registry texts may hold anything, a tab or a line break among them: escaped, each class is one
    // line of its columns.
    for (const ClassEntry* e : shownOrder(source.classes)) {
        out << printableName(e->progId);
        if (options.guid) out << '\t' << printableName(e->typeLibGuid);
        if (options.path) out << '\t' << printableName(e->typeLibPath);
        out << '\n';
    }
    return kExitSuccess;
}

int show(ClassSource& source, const ClassChoice& choice, std::ostream& out, ConsoleUi& ui) {
    const auto name = chosenName(source, choice, ui);
    if (!name) return kExitFailure;
    const ClassView view = viewClass(source, *name);
    out << "TypeLib GUID: " << printableName(view.found.typeLibGuid) << '\n'
        << "TypeLib Module: " << printableName(view.found.typeLibPath) << '\n'
        << "CoClass: " << printableName(view.found.coClassName) << '\n'
        << "Interfaces:\n";
    for (const TypeEntry& e : view.interfaces)
        out << "    " << printableName(e.name) << ' ' << printableName(e.guidText) << ' ' << implTypeFlagsText(e.kind)
            << '\n';
    out.flush();
    return reportMissingCoClass(*name, view, ui) ? kExitFailure : kExitSuccess;
}

namespace {

// The dump text, or nothing after telling the user why the library does not load.
std::optional<std::string> dumpText(ClassSource& libraries, const std::string& path, ConsoleUi& ui) {
    HResult status = kOk;
    std::string text = dumpTypeLibFile(*libraries.loader, path, status);
    if (status != kOk) {
        ui.error(path + " cannot be loaded as a type library (" + hexStatus(status) + ")" +
                 (status == kUnsupportedFormat ? ": its format is not supported." : "."));
        return std::nullopt;
    }
    return text;
}

}  // namespace

int dump(ClassSource& libraries, const std::string& path, std::ostream& out, ConsoleUi& ui) {
    const auto text = dumpText(libraries, path, ui);
    if (!text) return kExitFailure;
    out << *text;
    out.flush();
    return out ? kExitSuccess : kExitFailure;
}

int dumpToFile(ClassSource& libraries, const std::string& path, FileSystem& files, const std::string& output,
               ConsoleUi& ui) {
    const auto text = dumpText(libraries, path, ui);
    if (!text) return kExitFailure;
    const std::unique_ptr<OutputFile> file = files.openForWriting(output);
    if (!file) {
        ui.error(output + " " + withReason("cannot be created", files.lastFailure()) + ".");
        return kExitFailure;
    }
    const bool written = file->write(*text);
    if (!file->close() || !written) {
        ui.error(output + " " + withReason("cannot be written", file->failure()) + ".");
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace tessivar
