// The tessivar command line: turns its options into a generation request and runs it.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/cli/console_ui.h"
#ifdef _WIN32
#include "engine/windows/windows_file_system.h"
#else
#include "engine/posix/posix_file_system.h"
#endif
#include "engine/request.h"
#include "typelib/dump.h"
#include "typelib/class_lookups.h"
#include "typelib/platform_loader.h"

namespace tessivar {
namespace {

// A settings store that never exists: nothing is read or stored.
class NoSettingsStore : public SettingsStore {
public:
    bool exists() override { return false; }
    std::optional<std::string> read(const std::string&, std::size_t) override { return std::nullopt; }
    bool create() override { return false; }
    bool write(const std::string&, const std::string&) override { return false; }
};

// A registry with no keys.
class EmptyRegistry : public Registry {
public:
    RegStatus openKey(RegRoot, std::string_view, RegAccess, std::unique_ptr<RegKey>& out) override {
        out.reset();
        return kRegFileNotFound;
    }
    RegStatus createKey(RegRoot, std::string_view, std::unique_ptr<RegKey>& out) override {
        out.reset();
        return kRegAccessDenied;
    }
    std::string expandEnvironment(std::string_view text) const override { return std::string(text); }
    std::string localPath(std::string_view) const override { return {}; }
};

class CliHost : public RequestHost {
public:
    CliHost(TypeLibLoader& loader, const ClassCatalogue& classes) : loader_(loader), classes_(classes) {}
    void setGenerateEnabled(bool) override {}
    std::vector<TypeEntry> selectClass(std::size_t index) override {
        const FoundClass found = FindClassOfEntry(loader_, classes_[index]);
        return ListImplementedInterfaces(found.typeLibPath, found.coClass);
    }

private:
    TypeLibLoader& loader_;
    const ClassCatalogue& classes_;
};

struct GenerateOptions {
    std::string typeLib, coClass;
    GeneratorSettings settings;
    bool all = false, hidden = false, quiet = false;
};

int runGenerate(const GenerateOptions& opt) {
    ConsoleUi ui(opt.quiet);
#ifdef _WIN32
    WindowsFileSystem files;
#else
    PosixFileSystem files;
#endif
    EmptyRegistry registry;
    NoSettingsStore settings;
    auto loader = makePlatformTypeLibLoader(&registry);

    RequestSnapshot snap;
    const HResult hr = LoadClassesFromFile(*loader, opt.typeLib, snap.classes);
    if (hr != kOk) {
        std::fprintf(stderr, "Error: %s is not a type library that can be loaded (0x%08X).\n", opt.typeLib.c_str(),
                     static_cast<unsigned>(hr));
        return 1;
    }
    for (const ClassEntry& e : snap.classes) snap.shownNames.push_back(e.progId);
    std::sort(snap.shownNames.begin(), snap.shownNames.end());
    if (snap.shownNames.empty()) {
        std::fprintf(stderr, "Error: %s holds no coclass.\n", opt.typeLib.c_str());
        return 1;
    }
    snap.classIndex = 0;
    if (!opt.coClass.empty()) {
        const auto it = std::find(snap.shownNames.begin(), snap.shownNames.end(), opt.coClass);
        if (it == snap.shownNames.end()) {
            std::fprintf(stderr, "Error: %s has no coclass named %s.\n", opt.typeLib.c_str(), opt.coClass.c_str());
            return 1;
        }
        snap.classIndex = static_cast<int>(it - snap.shownNames.begin());
    }
    const FoundClass found = FindClass(*loader, snap.shownNames[static_cast<std::size_t>(snap.classIndex)], snap.classes);
    snap.interfaces = ListImplementedInterfaces(found.typeLibPath, found.coClass);
    snap.settings = opt.settings;
    snap.hiddenInterfaces = opt.hidden;
    snap.generateAll = opt.all;

    CliHost host(*loader, snap.classes);
    const RequestOutcome outcome = runRequest(host, snap, Services{files, registry, *loader, settings, ui});
    if (!outcome.error.empty() || ui.errorMessages() > 0 || outcome.outputFailures > 0 || outcome.completedRuns == 0)
        return 1;
    return 0;
}

// `tessivar dump FILE`: the canonical text of the file's type library, to stdout or to a file.
int runDump(const std::string& path, const std::string& outputPath, const std::vector<std::string>& folders) {
    EmptyRegistry registry;
    auto loader = makePlatformTypeLibLoader(&registry, folders);
    HResult hr = kOk;
    const std::string text = dumpTypeLibFile(*loader, path, hr);
    if (hr != kOk) {
        std::fprintf(stderr, "Error: %s cannot be loaded as a type library (0x%08X)%s.\n", path.c_str(),
                     static_cast<unsigned>(hr), hr == kUnsupportedFormat ? ": its format is not supported" : "");
        return 1;
    }
    if (outputPath.empty()) return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() ? 0 : 1;
    std::ofstream out(outputPath, std::ios::binary);
    out << text;
    return out.good() ? 0 : 1;
}

}  // namespace
}  // namespace tessivar

int main(int argc, char** argv) {
    using namespace tessivar;
    CLI::App app{"Tessivar: Java wrappers for the classes of a COM type library"};
    app.set_version_flag("--version", "tessivar 0.1.0");
    app.require_subcommand(1);

    GenerateOptions gen;
    CLI::App* generate = app.add_subcommand("generate", "Generate Java wrappers for a class of a type library");
    generate->add_option("--typelib", gen.typeLib, "Type library file (.tlb, .dll, .ocx, .exe, .olb)")->required();
    generate->add_option("--coclass", gen.coClass, "Coclass to generate (default: the first by name)");
    generate->add_flag("--all", gen.all, "Generate every coclass of the file");
    generate->add_option("--jar-module", gen.settings.jarModule, "Name of the jar module to build");
    generate->add_option("--package", gen.settings.package, "Java package of the generated classes");
    generate->add_option("--dest", gen.settings.destDir, "Destination folder");
    generate->add_option("--runtime", gen.settings.sdkPath, "Folder holding kovra.jar and kovra.dll");
    generate->add_flag("--hidden", gen.hidden, "Skip hidden properties");
    generate->add_flag("--quiet,-q", gen.quiet, "Do not print the log");

    std::string dumpPath, dumpOutput;
    std::vector<std::string> dumpFolders;
    CLI::App* dump = app.add_subcommand("dump", "Print everything the type library interface shows for a file");
    dump->add_option("file", dumpPath, "Type library file (a trailing \\N selects resource N)")->required();
    dump->add_option("--output,-o", dumpOutput, "Write the text to this file instead of the standard output");
    dump->add_option("--search-folder", dumpFolders, "Folder to search for referenced type libraries (repeatable)");

    CLI11_PARSE(app, argc, argv);
    if (generate->parsed()) return runGenerate(gen);
    if (dump->parsed()) return runDump(dumpPath, dumpOutput, dumpFolders);
    return 2;
}
