// generate, list and show: the dialog's work for one command line, over the same request code.
#include "app/cli/commands.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>

#include <nlohmann/json.hpp>

#include "app/cli/name_lookup.h"
#include "app/cli/option_checks.h"
#include "app/cli/platform_services.h"
#include "base/text.h"
#include "engine/library_run.h"
#include "engine/request.h"
#include "engine/wrapper_generator.h"
#include "mapping/path_names.h"
#include "typelib/catalogue.h"
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

std::vector<std::string> shownNames(const ClassSource& source) {
    std::vector<std::string> names;
    for (const ClassEntry* e : shownOrder(source.classes)) names.push_back(e->progId);
    return names;
}

// The name the command is about, or nothing after telling the user why there is none. Names match
// ignoring case when no name matches exactly.
std::optional<std::string> chosenName(const ClassSource& source, const ClassChoice& choice, ConsoleUi& ui) {
    const bool fileMode = !source.typeLibFile.empty();
    if (fileMode) {
        if (source.classes.empty()) {
            ui.error(noCoClassMessage(source.typeLibFile));
            return std::nullopt;
        }
        if (choice.coClass.empty()) return firstShownName(source.classes);
    }
    const std::string& wanted = fileMode ? choice.coClass : choice.progId;
    const NameLookup lookup = lookUpName(shownNames(source), wanted);
    if (!lookup.found.empty()) return lookup.found;
    if (!lookup.sameButCase.empty()) {
        ui.error(wanted + " matches " + listText(lookup.sameButCase) + " when case is ignored: give one of them exactly.");
        return std::nullopt;
    }
    if (fileMode)
        ui.error(source.typeLibFile + " has no coclass named " + wanted + "." + didYouMean(lookup.near));
    else
        ui.error("No registered class with a type library has the ProgID " + wanted +
                 " (tessivar list shows those that have)." + didYouMean(lookup.near));
    return std::nullopt;
}

bool reportMissingCoClass(const std::string& name, const ClassView& view, const ClassSource& source, ConsoleUi& ui) {
    if (view.found.coClass) return false;
    std::string text = "The type library of " + name + " (" + view.found.typeLibPath +
                       ") cannot be loaded or holds no coclass with its CLSID.";
    if (exportedFileMissing(source, view.found.typeLibPath)) {
        // The export names files as its own machine did; --drive says where its drives are here.
        const std::string& path = view.found.typeLibPath;
        const bool onDrive = path.size() > 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
        const std::string drive = onDrive ? std::string(1, path[0]) : std::string("LETTER");
        text += " It is not found here: give --drive " + drive + "=DIR for the folder that holds drive " + drive +
                ": of the machine the export comes from.";
    }
    ui.error(text);
    return true;
}

// Runs the request and tells how it went: `nothingText` when no run completed and nothing else was told,
// then the summary line when the options ask for one. It failed when an error was told, a file could not
// be written, no run completed or a type lost something.
int runGeneration(ClassSource& source, const RequestSnapshot& snap, const GenerateOptions& options, FileSystem& files,
                  SettingsStore& store, ConsoleUi& ui, const Emitters& emitters, const std::string& nothingText) {
    CliHost host(source, ui);
    const int errorsBefore = ui.errors();
    const RequestOutcome outcome = runRequest(host, snap, Services{files, *source.registry, *source.loader, store, ui}, emitters);
    if (outcome.completedRuns == 0 && ui.errors() == errorsBefore) ui.error(nothingText);
    const bool failed = ui.errors() > errorsBefore || outcome.outputFailures > 0 || outcome.completedRuns == 0 ||
                        outcome.incompleteTypes > 0;
    if (options.summarySince) {
        const auto elapsed = std::chrono::steady_clock::now() - *options.summarySince;
        ui.note(runSummary(outcome, std::chrono::duration<double>(elapsed).count()), failed);
    }
    return failed ? kExitFailure : kExitSuccess;
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

    return runGeneration(source, snap, options, files, store, ui, emitters,
                         options.types.empty() ? "No type of " + source.typeLibFile + " gets a Java file: nothing was generated."
                                               : "None of the chosen types gets a Java file: nothing was generated.");
}

// The settings options by their names, for the messages about their values.
constexpr const char* kJarModuleWhat = "jar module";
constexpr const char* kPackageWhat = "package";

// "--package NAME" when given, "The package NAME from <store>" when stored.
std::string valueOrigin(const char* option, const char* what, const std::string& value, bool given,
                        const std::string& storeName) {
    return given ? std::string(option) + " " + value : std::string("The ") + what + " " + value + " from " + storeName;
}

std::string storedHint(const char* option, bool given) {
    return given ? "" : std::string(" (give ") + option + " to replace it)";
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

std::vector<std::pair<std::string, std::string>> storedSettingsInUse(const GivenSettings& given,
                                                                     const GeneratorSettings& settings) {
    std::vector<std::pair<std::string, std::string>> used;
    auto add = [&](const std::optional<std::string>& option, const char* what, const std::string& value) {
        if (!option && !value.empty()) used.emplace_back(what, value);
    };
    add(given.jarModule, kJarModuleWhat, settings.jarModule);
    add(given.package, kPackageWhat, settings.package);
    add(given.destDir, "destination", settings.destDir);
    add(given.sdkPath, "runtime folder", settings.sdkPath);
    return used;
}

void tellStoredSettings(const GivenSettings& given, const GeneratorSettings& settings, const std::string& storeName,
                        ConsoleUi& ui) {
    for (const auto& [what, value] : storedSettingsInUse(given, settings))
        ui.note("Note: " + what + " " + value + ", from " + storeName + ".");
}

int checkSettings(const GeneratorSettings& settings, const GivenSettings& given, const std::string& storeName,
                  FileSystem& files, ConsoleUi& ui) {
    int status = kExitSuccess;
    auto fail = [&](const std::string& text, int why) {
        ui.error(text);
        status = std::max(status, why);
    };
    if (auto problem = runtimeFolderProblem(files, settings.sdkPath)) fail(*problem, kExitFailure);
    if (settings.jarModule.empty()) {
        fail("Enter Module Name.", kExitFailure);
    } else if (auto problem = jarModuleProblem(settings.jarModule)) {
        const bool asOption = given.jarModule.has_value();
        fail(valueOrigin("--jar-module", kJarModuleWhat, settings.jarModule, asOption, storeName) +
                 " cannot name the jar file: " + *problem + storedHint("--jar-module", asOption) + ".",
             kExitUsage);
    }
    if (auto problem = javaPackageProblem(settings.package)) {
        const bool asOption = given.package.has_value();
        fail(valueOrigin("--package", kPackageWhat, settings.package, asOption, storeName) +
                 " is not a Java package name: " + *problem + storedHint("--package", asOption) + ".",
             kExitUsage);
    }
    return status;
}

std::string runSummary(const RequestOutcome& outcome, double seconds) {
    const int written = std::max(0, outcome.filesOpened - outcome.outputFailures);
    char time[32];
    std::snprintf(time, sizeof time, "%.2f", seconds);
    return "Summary: " + std::to_string(written) + (written == 1 ? " file" : " files") + " written, " +
           std::to_string(outcome.filesUnchanged) + " unchanged, " + std::to_string(outcome.outputFailures) +
           " failed, " + std::to_string(outcome.incompleteTypes) +
           (outcome.incompleteTypes == 1 ? " type" : " types") + " incomplete, " + time + " s.";
}

int generate(ClassSource& source, const GenerateOptions& options, const GeneratorSettings& settings,
             FileSystem& files, SettingsStore& store, ConsoleUi& ui, const Emitters& emitters) {
    if (options.everyType || !options.types.empty())
        return generateLibrary(source, options, settings, files, store, ui, emitters);
    const auto name = chosenName(source, options.choice, ui);
    if (!name) return kExitFailure;
    const ClassView view = viewClass(source, *name);
    if (!options.all && reportMissingCoClass(*name, view, source, ui)) return kExitFailure;

    RequestSnapshot snap;
    snap.classes = source.classes;
    snap.shownNames = shownNames(source);
    snap.classIndex = static_cast<int>(std::find(snap.shownNames.begin(), snap.shownNames.end(), *name) -
                                       snap.shownNames.begin());
    snap.interfaces = view.interfaces;
    snap.settings = settings;
    snap.hiddenInterfaces = options.hidden;
    snap.generateAll = options.all;
    snap.mavenBuildFile = options.maven;

    if (options.all) ui.progress(0, snap.classes.size());
    return runGeneration(source, snap, options, files, store, ui, emitters,
                         options.all ? "No coclass of " + source.typeLibFile + " implements an interface: nothing was generated."
                                     : *name + " implements no interface: nothing was generated.");
}

namespace {

// JSON documents: texts that are not UTF-8 (a registry or library may hold anything) get U+FFFD for
// each bad byte rather than failing the document.
void writeJson(std::ostream& out, const nlohmann::ordered_json& document) {
    out << document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
    out.flush();
}

std::vector<RegisteredTypeLib> typeLibsInListOrder(Registry& registry) {
    std::vector<RegisteredTypeLib> libraries = ReadRegisteredTypeLibs(registry);
    std::stable_sort(libraries.begin(), libraries.end(), [](const RegisteredTypeLib& a, const RegisteredTypeLib& b) {
        if (const int c = compareIgnoreCase(a.name, b.name)) return c < 0;
        if (const int c = compareIgnoreCase(a.guid, b.guid)) return c < 0;
        return compareCodeUnits(a.version, b.version) < 0;
    });
    return libraries;
}

int listTypeLibs(Registry& registry, bool json, std::ostream& out) {
    const std::vector<RegisteredTypeLib> libraries = typeLibsInListOrder(registry);
    if (json) {
        nlohmann::ordered_json items = nlohmann::ordered_json::array();
        for (const RegisteredTypeLib& l : libraries)
            items.push_back({{"guid", l.guid}, {"version", l.version}, {"name", l.name}, {"path", l.path}});
        writeJson(out, {{"typeLibs", items}});
        return kExitSuccess;
    }
    for (const RegisteredTypeLib& l : libraries)
        out << printableName(l.guid) << '\t' << printableName(l.version) << '\t' << printableName(l.name) << '\t'
            << printableName(l.path) << '\n';
    return kExitSuccess;
}

std::vector<std::string> flagWords(std::int32_t flags) {
    std::vector<std::string> words;
    std::istringstream in(implTypeFlagsText(flags));
    for (std::string word; in >> word;)
        if (word != "none") words.push_back(word);
    return words;
}

}  // namespace

int list(const ClassSource& source, const ListOptions& options, std::ostream& out, ConsoleUi& ui) {
    if (options.typeLibs) return listTypeLibs(*source.registry, options.json, out);
    if (!source.typeLibFile.empty() && source.classes.empty()) {
        ui.error(noCoClassMessage(source.typeLibFile));
        return kExitFailure;
    }
    if (options.json) {
        nlohmann::ordered_json items = nlohmann::ordered_json::array();
        for (const ClassEntry* e : shownOrder(source.classes))
            items.push_back({{"name", e->progId}, {"clsid", e->clsid}, {"typeLibGuid", e->typeLibGuid},
                             {"typeLibPath", e->typeLibPath}});
        writeJson(out, {{"classes", items}});
        return kExitSuccess;
    }
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

int show(ClassSource& source, const ClassChoice& choice, std::ostream& out, ConsoleUi& ui, bool json) {
    const auto name = chosenName(source, choice, ui);
    if (!name) return kExitFailure;
    const ClassView view = viewClass(source, *name);
    const auto entry = std::find_if(source.classes.begin(), source.classes.end(),
                                    [&](const ClassEntry& e) { return e.progId == *name; });
    const std::string clsid = entry != source.classes.end() ? entry->clsid : std::string();
    if (json) {
        nlohmann::ordered_json interfaces = nlohmann::ordered_json::array();
        for (const TypeEntry& e : view.interfaces)
            interfaces.push_back({{"name", e.name}, {"guid", e.guidText}, {"flags", flagWords(e.kind)}});
        writeJson(out, {{"name", *name},
                        {"clsid", clsid},
                        {"typeLibGuid", view.found.typeLibGuid},
                        {"typeLibPath", view.found.typeLibPath},
                        {"coClass", view.found.coClassName},
                        {"interfaces", interfaces}});
    } else {
        out << "TypeLib GUID: " << printableName(view.found.typeLibGuid) << '\n'
            << "TypeLib Module: " << printableName(view.found.typeLibPath) << '\n'
            << "CoClass: " << printableName(view.found.coClassName) << '\n'
            << "CLSID: " << printableName(clsid) << '\n'
            << "Interfaces:\n";
        for (const TypeEntry& e : view.interfaces)
            out << "    " << printableName(e.name) << ' ' << printableName(e.guidText) << ' '
                << implTypeFlagsText(e.kind) << '\n';
        out.flush();
    }
    return reportMissingCoClass(*name, view, source, ui) ? kExitFailure : kExitSuccess;
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
