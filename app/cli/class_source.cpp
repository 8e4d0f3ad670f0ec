// Opening the registry and the class catalogue a command works on.
#include "app/cli/class_source.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "app/cli/platform_services.h"
#include "base/text.h"
#include "typelib/catalogue.h"
#include "typelib/platform_loader.h"

namespace tessivar {
namespace {

namespace fs = std::filesystem;

bool showsBefore(const ClassEntry* a, const ClassEntry* b) {
    const int c = compareIgnoreCase(a->progId, b->progId);
    return c != 0 ? c < 0 : compareCodeUnits(a->progId, b->progId) < 0;
}

}  // namespace

std::vector<const ClassEntry*> shownOrder(const ClassCatalogue& classes) {
    std::vector<const ClassEntry*> order;
    order.reserve(classes.size());
    for (const ClassEntry& e : classes) order.push_back(&e);
    std::stable_sort(order.begin(), order.end(), showsBefore);
    return order;
}

std::string firstShownName(const ClassCatalogue& classes) {
    const auto order = shownOrder(classes);
    return order.empty() ? std::string() : order.front()->progId;
}

void useRegisteredClasses(ClassSource& source) {
    ClassCatalogue all;
    ReadRegisteredClasses(*source.registry, all);
    source.classes.clear();
    source.typeLibFile.clear();
    for (ClassEntry& e : all)
        if (!e.typeLibGuid.empty() && !e.progId.empty() && !e.typeLibPath.empty()) source.classes.push_back(std::move(e));
}

std::optional<std::string> useTypeLibFile(ClassSource& source, const std::string& path) {
    source.classes.clear();
    source.typeLibFile = path;
    std::error_code ec;
    if (!fs::exists(path, ec)) return path + ": no such file.";
    if (fs::is_directory(path, ec)) return path + " is a folder, not a type library.";
    const HResult hr = LoadClassesFromFile(*source.loader, path, source.classes);
    if (hr != kOk) return path + " is not a type library that can be loaded (" + hexStatus(hr) + ").";
    return std::nullopt;
}

std::optional<std::string> openLibraries(const SourceOptions& options, ClassSource& out) {
    if (auto error = openRegistry(options, !options.typeLib.empty(), out.registry)) return error;
    out.loader = makePlatformTypeLibLoader(out.registry.get(), options.searchFolders);
    return std::nullopt;
}

std::string fullFilePath(const std::string& path) {
    std::error_code ec;
    const fs::path full = fs::absolute(path, ec);
    return ec ? path : full.lexically_normal().string();
}

std::optional<std::string> openClassSource(const SourceOptions& options, ClassSource& out) {
    if (auto error = openLibraries(options, out)) return error;
    if (!options.typeLib.empty()) return useTypeLibFile(out, fullFilePath(options.typeLib));
    useRegisteredClasses(out);
    out.fromRegExport = options.regFile.has_value();
    return std::nullopt;
}

ClassView viewClass(ClassSource& source, const std::string& name) {
    ClassView view;
    view.known = std::any_of(source.classes.begin(), source.classes.end(),
                             [&](const ClassEntry& e) { return e.progId == name; });
    if (!view.known) return view;
    view.found = FindClass(*source.loader, name, source.classes);
    view.interfaces = ListImplementedInterfaces(view.found.typeLibPath, view.found.coClass);
    return view;
}

bool exportedFileMissing(const ClassSource& source, const std::string& registeredPath) {
    if (!source.fromRegExport || !source.registry) return false;
    const std::string local = source.registry->localPath(source.registry->expandEnvironment(registeredPath));
    std::error_code ec;
    return local.empty() || !fs::exists(local, ec);
}

std::string implTypeFlagsText(std::int32_t flags) {
    static constexpr std::pair<std::int32_t, const char*> kNames[] = {
        {IMPLTYPEFLAG_FDEFAULT, "default"},
        {IMPLTYPEFLAG_FSOURCE, "source"},
        {IMPLTYPEFLAG_FRESTRICTED, "restricted"},
        {IMPLTYPEFLAG_FDEFAULTVTABLE, "defaultvtable"}};
    std::string text;
    auto add = [&](const std::string& word) { text += (text.empty() ? "" : " ") + word; };
    for (const auto& [bit, name] : kNames)
        if (flags & bit) {
            add(name);
            flags &= ~bit;
        }
    if (flags != 0) add(hexStatus(flags));
    return text.empty() ? "none" : text;
}

}  // namespace tessivar
