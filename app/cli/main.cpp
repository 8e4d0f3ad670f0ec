// The tessivar command line: options in, the dialog's request out; no state outlives main.
#include <CLI/CLI.hpp>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <iostream>

#include "app/cli/class_source.h"
#include "app/cli/cli_seams.h"
#include "app/cli/commands.h"
#include "app/cli/console_ui.h"
#include "app/cli/platform_services.h"

#ifndef TESSIVAR_VERSION
#define TESSIVAR_VERSION "unknown"
#endif

namespace tessivar {
namespace {

// The class source options every subcommand shares.
struct SourceArgs {
    SourceOptions options;
    std::vector<std::string> drives;
    CLI::Option* typeLib = nullptr;
};

void addSourceOptions(CLI::App& cmd, SourceArgs& args, bool withTypeLib = true) {
    if (withTypeLib)
        args.typeLib = cmd.add_option("--typelib", args.options.typeLib,
                                  "Type library file (.tlb, .olb, .dll, .exe, .ocx) whose coclasses to use")
                       ->type_name("FILE");
    auto* prefix = cmd.add_option_function<std::string>(
        "--wine-prefix", [&args](const std::string& dir) { args.options.winePrefix = dir; },
        "Wine prefix whose registry lists the classes (default: $WINEPREFIX, else ~/.wine)")
                       ->type_name("DIR");
    auto* reg = cmd.add_option_function<std::string>(
        "--registry", [&args](const std::string& file) { args.options.regFile = file; },
        "Registry export (.reg) that lists the classes, instead of a Wine prefix")
                    ->type_name("FILE.reg");
    const CLI::Validator driveSpec(
        [](std::string& spec) -> std::string {
            if (spec.size() < 3 || !std::isalpha(static_cast<unsigned char>(spec[0])) || spec[1] != '=')
                return "expected LETTER=DIR, not " + spec;
            return {};
        },
        "LETTER=DIR");
    cmd.add_option("--search-folder", args.options.searchFolders,
                   "Folder to search for referenced type libraries that are not registered (repeatable)")
        ->type_name("DIR");
    cmd.add_option("--drive", args.drives,
                                 "Where a drive of the exported registry's machine is found here (C=/mnt/c); repeatable")
                      ->type_name("LETTER=DIR")
                      ->check(driveSpec)
                      ->needs(reg);
    prefix->excludes(reg);
}

void finishSourceOptions(SourceArgs& args) {
    for (const std::string& spec : args.drives)
        args.options.drives[static_cast<char>(std::tolower(static_cast<unsigned char>(spec[0])))] = spec.substr(2);
}

// A folder given on the command line, made full so that a stored setting means the same folder
// whichever folder the next run starts in.
std::string fullFolder(const std::string& folder) {
    if (folder.empty()) return folder;
    std::string text = fullFilePath(folder);
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

int usageError(const CLI::App& cmd, const std::string& text) {
    std::cerr << cmd.get_name() << ": " << text << "\nRun with --help for more information.\n";
    return kExitUsage;
}

}  // namespace
}  // namespace tessivar

int main(int argc, char** argv) {
    using namespace tessivar;
    const auto started = std::chrono::steady_clock::now();
    CLI::App app{"Tessivar: Java wrappers for the classes of a COM type library, on the Kovra bridge runtime."};
    app.set_version_flag("--version", "tessivar " TESSIVAR_VERSION);
    app.require_subcommand(1);
    app.footer("Exit status: 0 on success, 1 when the run failed or wrote nothing it should have, 2 on wrong usage.\n"
               "Run 'tessivar COMMAND --help' for the options of a command; see also tessivar(1).");

    // generate
    CLI::App* gen = app.add_subcommand("generate", "Generate the Java wrappers of a class (the dialog's Generate Wrappers)");
    SourceArgs genSource;
    addSourceOptions(*gen, genSource);
    GenerateOptions genOptions;
    std::string jarModule, package, dest, runtime;
    bool quiet = false, noSave = false;
    auto* genProgId = gen->add_option("--progid", genOptions.choice.progId, "Registered class to generate, by ProgID")
                          ->type_name("NAME");
    auto* genCoClass = gen->add_option("--coclass", genOptions.choice.coClass,
                                       "Coclass of the --typelib file (default: the first by name)")
                           ->type_name("NAME");
    auto* genAll = gen->add_flag("--all", genOptions.all, "Generate every coclass of the --typelib file");
    auto* genEvery = gen->add_flag("--every-type", genOptions.everyType,
                                   "Generate every type of the --typelib file, whether a coclass reaches it or not");
    auto* genType = gen->add_option("--type", genOptions.types,
                                    "Type of the --typelib file to generate, with the types it reaches (repeatable)")
                        ->type_name("NAME");
    auto* jarOpt = gen->add_option("--jar-module", jarModule, "Name of the jar module the build file makes")
                       ->type_name("NAME");
    auto* packageOpt = gen->add_option("--package", package, "Java package of the generated classes")
                           ->type_name("NAME");
    auto* destOpt = gen->add_option("--dest", dest, "Destination folder (default: ./MyOstrelle)")->type_name("DIR");
    auto* runtimeOpt = gen->add_option("--runtime", runtime, "Runtime folder, holding kovra.jar and kovra.dll")
                           ->type_name("DIR");
    gen->add_flag("--hidden", genOptions.hidden, "Set the hidden-interfaces switch: leave out hidden properties");
    gen->add_flag("--maven", genOptions.maven,
                  "Also write a Maven pom.xml beside build.xml (this run only; not a stored setting)");
    gen->add_flag("--no-save", noSave, "Leave the stored settings as they are");
    gen->add_flag("--quiet,-q", quiet, "Do not print the log lines");
    genProgId->excludes(genSource.typeLib);
    genCoClass->needs(genSource.typeLib);
    genAll->needs(genSource.typeLib)->excludes(genCoClass);
    genEvery->needs(genSource.typeLib)->excludes(genCoClass)->excludes(genAll)->excludes(genType);
    genType->needs(genSource.typeLib)->excludes(genCoClass)->excludes(genAll);

    // list
    CLI::App* lst = app.add_subcommand("list", "List the classes the dialog would offer, one per line, sorted");
    SourceArgs listSource;
    addSourceOptions(*lst, listSource);
    ListOptions listOptions;
    auto* listGuid = lst->add_flag("--guid", listOptions.guid, "Add a column with the type library GUID");
    auto* listPath = lst->add_flag("--path", listOptions.path, "Add a column with the type library path");
    lst->add_flag("--typelibs", listOptions.typeLibs,
                  "List the registered type libraries instead (GUID, version, name, path)")
        ->excludes(listSource.typeLib)
        ->excludes(listGuid)
        ->excludes(listPath);
    lst->add_flag("--json", listOptions.json, "Print one JSON document instead of lines (see tessivar(1))");

    // show
    CLI::App* shw = app.add_subcommand("show", "Show a class's type library information and implemented interfaces");
    SourceArgs showSource;
    addSourceOptions(*shw, showSource);
    ClassChoice showChoice;
    auto* showProgId = shw->add_option("--progid", showChoice.progId, "Registered class to show, by ProgID")
                           ->type_name("NAME");
    auto* showCoClass = shw->add_option("--coclass", showChoice.coClass,
                                        "Coclass of the --typelib file (default: the first by name)")
                            ->type_name("NAME");
    bool showJson = false;
    shw->add_flag("--json", showJson, "Print one JSON document instead of lines (see tessivar(1))");
    showProgId->excludes(showSource.typeLib);
    showCoClass->needs(showSource.typeLib);

    // dump
    CLI::App* dmp = app.add_subcommand("dump", "Print everything the type library interface shows for a file");
    SourceArgs dumpSource;
    addSourceOptions(*dmp, dumpSource, /*withTypeLib=*/false);
    std::string dumpOutput;
    dmp->add_option("file", dumpSource.options.typeLib, "Type library file (a trailing \\N selects resource N)")
        ->required();
    dmp->add_option("--output,-o", dumpOutput, "Write the text to this file instead of the standard output")
        ->type_name("FILE");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kExitSuccess : kExitUsage;
    }

    const auto storedSettings = makeSettingsStore();

    if (gen->parsed()) {
        if (genProgId->count() == 0 && genSource.typeLib->count() == 0)
            return usageError(*gen, "give --progid NAME, or --typelib FILE");
        finishSourceOptions(genSource);
        ConsoleUi ui(std::cout, std::cerr, quiet, stderrIsTerminal());
        ui.flushEachLine(stdoutIsTerminal());
        const auto disk = makeDisk();
        StartFolderFileSystem files(*disk);
        ReadOnlySettings readOnly(*storedSettings);
        SettingsStore& store = noSave ? readOnly : *storedSettings;

        GivenSettings given;
        if (jarOpt->count()) given.jarModule = jarModule;
        if (packageOpt->count()) given.package = package;
        if (destOpt->count()) given.destDir = fullFolder(dest);
        if (runtimeOpt->count()) given.sdkPath = fullFolder(runtime);
        const GeneratorSettings settings = resolveSettings(given, store);
        tellStoredSettings(given, settings, settingsStoreName(), ui);
        if (const int status = checkSettings(settings, given, settingsStoreName(), files, ui)) return status;
        genOptions.summarySince = started;

        ClassSource source;
        if (auto error = openClassSource(genSource.options, source)) {
            ui.error(*error);
            return kExitFailure;
        }
        const int status = generate(source, genOptions, settings, files, store, ui);
        // Every file is closed and the settings are saved: what is left is memory, which the process's
        // end hands back at once, without taking the libraries and the registry apart piece by piece.
        std::cout.flush();
        std::exit(status);
    }

    if (lst->parsed()) {
        finishSourceOptions(listSource);
        ConsoleUi ui(std::cout, std::cerr, false, false);
        ClassSource source;
        if (auto error = openClassSource(listSource.options, source)) {
            ui.error(*error);
            return kExitFailure;
        }
        return list(source, listOptions, std::cout, ui);
    }

    if (shw->parsed()) {
        if (showProgId->count() == 0 && showSource.typeLib->count() == 0)
            return usageError(*shw, "give --progid NAME, or --typelib FILE");
        finishSourceOptions(showSource);
        ConsoleUi ui(std::cout, std::cerr, false, false);
        ClassSource source;
        if (auto error = openClassSource(showSource.options, source)) {
            ui.error(*error);
            return kExitFailure;
        }
        return show(source, showChoice, std::cout, ui, showJson);
    }

    if (dmp->parsed()) {
        finishSourceOptions(dumpSource);
        ConsoleUi ui(std::cout, std::cerr, false, false);
        ClassSource libraries;
        if (auto error = openLibraries(dumpSource.options, libraries)) {
            ui.error(*error);
            return kExitFailure;
        }
        if (dumpOutput.empty()) return dump(libraries, dumpSource.options.typeLib, std::cout, ui);
        const auto disk = makeDisk();
        return dumpToFile(libraries, dumpSource.options.typeLib, *disk, dumpOutput, ui);
    }
    return kExitUsage;
}
