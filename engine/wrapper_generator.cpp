// The class run: runtime folder, output folders, and the passes over the work list.
#include "engine/wrapper_generator.h"

#include <utility>

#include "base/guid_text.h"
#include "mapping/names.h"
#include "typelib/interface_path.h"

namespace tessivar {
namespace {

constexpr std::uint16_t kDispatchableBits = TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE;                // 0x1040
constexpr std::uint16_t kAutomationBits = kDispatchableBits | TYPEFLAG_FOLEAUTOMATION;              // 0x1140

bool readTypeAttr(const std::shared_ptr<const TypeInfo>& info, TypeAttr& attr) {
    return info && info->typeAttr(attr) == kOk;
}

std::string libraryText(const LibraryRef& lib) {
    std::string text = guidText(lib.guid) + " " + std::to_string(lib.majorVersion) + "." +
                       std::to_string(lib.minorVersion);
    if (!lib.fileName.empty()) text += " (" + lib.fileName + ")";
    return text;
}

// "the type library {…} 2.0 (stdole2.tlb) it refers to cannot be loaded", or why else reading failed.
std::string lossCause(const std::vector<LibraryRef>& missing, HResult hr) {
    if (missing.empty()) {
        if (hr == kCantLoadLibrary) return "a type library it refers to cannot be loaded (" + hexStatus(hr) + ")";
        return "its type information cannot be read (" + hexStatus(hr) + ")";
    }
    std::vector<std::string> names;
    for (const LibraryRef& lib : missing) names.push_back(libraryText(lib));
    return (missing.size() == 1 ? "the type library it refers to, " : "the type libraries it refers to, ") +
           listText(names) + ", cannot be loaded";
}

}  // namespace

std::string lossesText(const TypeLosses& losses) {
    std::vector<std::string> parts;
    auto add = [&](unsigned count, const char* one, const char* many) {
        if (count) parts.push_back(std::to_string(count) + " " + (count == 1 ? one : many));
    };
    add(losses.functions, "function", "functions");
    add(losses.variables, "property or constant", "properties and constants");
    add(losses.names, "member's parameter names", "members' parameter names");
    add(losses.references, "referenced type", "referenced types");
    add(losses.interfaces, "implemented interface", "implemented interfaces");
    return listText(parts);
}

bool writesProxy(const TypeAttr& attr) {
    return attr.typekind == TKIND_DISPATCH || (attr.typekind == TKIND_INTERFACE && (attr.wTypeFlags & kAutomationBits));
}

WrapperGenerator::WrapperGenerator(Services s, bool hidden, Emitters e)
    : containedFiles_(s.files),
      services{containedFiles_, s.registry, s.loader, s.settings, s.ui},
      emitters(std::move(e)),
      folderMaker(containedFiles_, this) {
    hiddenSwitch = hidden;
    ReservedNames::instance();
    services.ui.clearLog();
}

WrapperGenerator::~WrapperGenerator() { folderMaker.close(); }

void WrapperGenerator::logLine(const std::string& text) { services.ui.appendLog(text); }

void WrapperGenerator::reportLosses(const TypeEntry& entry) {
    if (!losses.any()) return;
    const TypeLosses lost = std::exchange(losses, TypeLosses{});
    std::vector<LibraryRef> missing;
    if (const auto lib = entry.typeInfo ? containingLibrary(*entry.typeInfo) : nullptr)
        missing = lib->missingLibraries();
    std::string line = "Incomplete: " + entry.name + " of " + currentLibName + " lost " + lossesText(lost) + ": " +
                       lossCause(missing, lost.firstFailure);
    if ((!missing.empty() || lost.firstFailure == kCantLoadLibrary) && !missingLibraryHint.empty())
        line += "; " + missingLibraryHint;
    logLine(line + ".");
    lossesByType_.try_emplace(currentLibName + "." + entry.name, lost);
}

void WrapperGenerator::outputFailed(const std::string& path, const std::string& what) {
    ++outputFailures_;
    // Generate-all writes a shared type again in each class run that reaches it: a file that cannot
    // be written is told once, not once per try.
    if (!failedPaths_.insert(path).second) return;
    logLine("Error: " + path + " " + what + ".");
}

std::unique_ptr<OutputText> WrapperGenerator::openFile(const std::string& path) {
    auto file = std::make_unique<SourceFile>(services.files, this);
    file->open(path);
    return file;
}

void WrapperGenerator::ensureFolder(const std::string& path) { tessivar::ensureFolder(services.files, path); }

const std::string& WrapperGenerator::interfaceTypeLibPath(const TypeEntry& entry) {
    const auto [known, added] = interfaceTypeLibPaths_.try_emplace(entry.guidText);
    if (!added) return known->second;
    known->second = findInterfaceTypeLibPath(services.registry, entry.guidText);
    if (known->second.empty() && entry.typeInfo)
        if (const auto lib = containingLibrary(*entry.typeInfo)) known->second = lib->builtInName().value_or("");
    return known->second;
}

bool WrapperGenerator::obtainRuntimeFolder(const std::string& given) {
    FileSystem& files = services.files;
    SettingsStore& store = services.settings;
    auto holdsRuntime = [&](const std::string& folder) {
        const std::string sep(1, kPathSeparator);
        return files.exists(folder + sep + kRuntimeJar) && files.exists(folder + sep + kRuntimeDll);
    };

    if (store.exists()) {
        // The stored folder, unless the user gave one for this request: the given folder is the one
        // the request saves afterwards, so using the stored one would build against a stale runtime.
        if (auto stored = store.read(kSettingPath, 260)) pathBuffer = *stored;
        if (!given.empty()) pathBuffer = given;
        return true;
    }

    // No stored settings: find a folder that holds both runtime files, asking the user as needed.
    std::string candidate = given;
    if (!candidate.empty()) files.setCurrentDirectory(candidate);
    while (true) {
        if (candidate.empty()) {
            auto chosen = services.ui.browseForFolder("Choose directory with kovra.jar and kovra.dll.",
                                                      files.currentDirectory());
            if (!chosen) return false;  // cancel ends this class run only
            candidate = *chosen;
        }
        if (holdsRuntime(candidate)) break;
        services.ui.messageBox("Select directory with kovra.jar and kovra.dll.", "Information",
                               MessageIcon::Information);
        candidate.clear();
    }
    pathBuffer = candidate;
    const bool saved = store.create() && store.write(kSettingPath, pathBuffer);
    if (const std::string why = saved ? std::string() : store.failure(); !why.empty()) settingsNotSaved(why);
    return true;
}

void WrapperGenerator::settingsNotSaved(const std::string& why) {
    if (settingsFailureTold_) return;
    settingsFailureTold_ = true;
    services.ui.messageBox("The settings cannot be saved: " + why + ".", "Warning", MessageIcon::Information);
}

bool WrapperGenerator::runClass(ClassEntry entry, std::vector<TypeEntry> interfaces, std::string dest,
                                std::string pkg, std::string jar, std::string runtimeFolder) {
    ClassEntrySet classes;
    classes.insert(std::move(entry));
    return runTypes(std::move(classes), std::move(interfaces), std::move(dest), std::move(pkg), std::move(jar),
                    std::move(runtimeFolder));
}

bool WrapperGenerator::runTypes(ClassEntrySet classes, std::vector<TypeEntry> types, std::string dest,
                                std::string pkg, std::string jar, std::string runtimeFolder) {
    referencedTypes.clear();
    doneInterfaces.clear();
    writtenNames.clear();
    currentLibName.clear();
    if (types.empty()) return false;

    coClasses = std::move(classes);
    pending = std::move(types);

    if (!obtainRuntimeFolder(runtimeFolder)) return false;

    if (jar.empty()) {
        services.ui.messageBox("Enter Module Name.", "Error", MessageIcon::Error);
        return false;
    }
    if (dest.empty()) dest = std::string(".") + kPathSeparator + "MyOstrelle";

    destination = dest;
    excludedNames = {"AddRef", "Release", "QueryInterface", "GetTypeInfoCount", "GetTypeInfo", "GetIDsOfNames",
                     "Invoke"};
    package = pathToPackage(pkg);
    runtimeJarPath = pathBuffer + kPathSeparator + kRuntimeJar;
    jarModule = jar;

    FileSystem& files = services.files;
    if (!prepareDestination()) return false;
    containedFiles_.setRoot(destination);
    sourceRoot = destination + kPathSeparator + "src";
    if (!isFolder(files, sourceRoot)) makeFolderPath(files, sourceRoot);
    logLine("Current Directory: " + files.currentDirectory());

    while (!pending.empty()) runPass();

    if (emitters.coClasses) emitters.coClasses(*this);
    if (emitters.buildFile) emitters.buildFile(*this);
    if (writesMavenBuildFile && emitters.mavenBuildFile) emitters.mavenBuildFile(*this);
    return true;
}

bool WrapperGenerator::prepareDestination() {
    FileSystem& files = services.files;
    if (isFolder(files, destination)) return true;
    std::string problem;
    if (files.exists(destination)) {
        // Another run may have made the folder since it was looked at.
        if (isFolder(files, destination)) return true;
        problem = "is not a folder";
    } else {
        logLine("Creating folder: " + destination);
        if (makeFolderPath(files, destination)) return true;
        problem = withReason("cannot be created", files.lastFailure());
    }
    // Every file of the run would fail the same way: one error says it.
    if (refusedDestinations_.insert(destination).second) outputFailed(destination, problem);
    else ++outputFailures_;
    return false;
}

void WrapperGenerator::classifyPending() {
    interfaceList.clear();
    sourceList.clear();
    for (const TypeEntry& entry : pending) {
        currentTypeInfo = entry.typeInfo;
        TypeAttr attr;
        if (!readTypeAttr(entry.typeInfo, attr)) continue;
        const bool source = (entry.kind & IMPLTYPEFLAG_FSOURCE) != 0;
        switch (attr.typekind) {
            case TKIND_ENUM:
                interfaceList.push_back(entry);
                break;
            case TKIND_INTERFACE:
                if (source && (attr.wTypeFlags & kDispatchableBits)) sourceList.push_back(entry);
                else if (attr.wTypeFlags & kAutomationBits) interfaceList.push_back(entry);
                break;
            case TKIND_DISPATCH:
                (source ? sourceList : interfaceList).push_back(entry);
                break;
            default:
                break;
        }
    }
}

void WrapperGenerator::runPass() {
    classifyPending();

    currentTypeInfo.reset();
    for (const TypeEntry& entry : interfaceList) {
        currentTypeInfo = entry.typeInfo;
        if (doneInterfaces.count(entry)) continue;
        TypeAttr attr;
        if (!readTypeAttr(entry.typeInfo, attr)) continue;
        if (writesProxy(attr) && emitters.dispatchInterface) emitters.dispatchInterface(*this, entry, sourceRoot);
    }

    for (const TypeEntry& entry : sourceList) {
        currentTypeInfo = entry.typeInfo;
        if (doneInterfaces.count(entry)) continue;
        TypeAttr attr;
        if (!readTypeAttr(entry.typeInfo, attr)) continue;
        if (attr.typekind == TKIND_DISPATCH && emitters.listenerInterface)
            emitters.listenerInterface(*this, entry, sourceRoot);
    }

    if (emitters.enums) emitters.enums(*this);

    pending.assign(referencedTypes.begin(), referencedTypes.end());
    referencedTypes.clear();
}

}  // namespace tessivar
