// The library run: the types of a library that get files, the names a user chooses them by, and the run.
#include "engine/library_run.h"

#include <algorithm>

#include "base/guid_text.h"
#include "base/near_names.h"
#include "base/text.h"
#include "mapping/path_names.h"
#include "typelib/class_lookups.h"

namespace tessivar {
namespace {

// Why a type of these attributes gets no file, or nothing when it gets one.
const char* whyLeftOut(const TypeAttr& attr) {
    switch (attr.typekind) {
        case TKIND_INTERFACE:
            return writesProxy(attr) ? nullptr
                                     : "not a dispatch or Automation-compatible interface, which the runtime cannot call";
        case TKIND_RECORD: return "a structure, which gets no Java file";
        case TKIND_UNION: return "a union, which gets no Java file";
        case TKIND_MODULE: return "a module, which gets no Java file";
        case TKIND_ALIAS: return "an alias of a type that is not an enum, which gets no Java file";
        default: return nullptr;
    }
}

// The enum an alias names, if it names one.
std::shared_ptr<const TypeInfo> aliasedEnum(const LibraryType& type) {
    if (type.attr.typekind != TKIND_ALIAS || type.attr.tdescAlias.vt != VT_USERDEFINED) return nullptr;
    std::shared_ptr<const TypeInfo> target;
    TypeAttr attr;
    if (type.info->refTypeInfo(type.attr.tdescAlias.hreftype, target) != kOk || !target ||
        target->typeAttr(attr) != kOk || attr.typekind != TKIND_ENUM)
        return nullptr;
    return target;
}

TypeEntry keyOf(const LibraryType& type) {
    TypeEntry key;
    key.name = type.name;
    key.guidText = guidText(type.attr.guid);
    return key;
}

}  // namespace

std::vector<LibraryType> libraryTypes(const TypeLib& lib) {
    std::vector<LibraryType> types;
    for (unsigned i = 0, count = lib.typeInfoCount(); i < count; ++i) {
        LibraryType type;
        if (lib.typeInfo(i, type.info) != kOk || !type.info || type.info->typeAttr(type.attr) != kOk) continue;
        type.name = typeName(*type.info);
        types.push_back(std::move(type));
    }
    return types;
}

std::vector<std::size_t> matchingTypes(const std::vector<LibraryType>& types, const std::string& name) {
    std::vector<std::size_t> exact, folded;
    for (std::size_t i = 0; i < types.size(); ++i) {
        if (types[i].name == name) exact.push_back(i);
        else if (equalsIgnoreCase(types[i].name, name)) folded.push_back(i);
    }
    return exact.empty() ? folded : exact;
}

std::vector<std::string> unknownTypeErrors(const std::vector<LibraryType>& types, const std::string& path,
                                           const std::vector<std::string>& chosen) {
    std::vector<std::string> names;
    for (const LibraryType& type : types) names.push_back(type.name);
    std::vector<std::string> errors;
    for (const std::string& name : chosen) {
        if (!matchingTypes(types, name).empty()) continue;
        std::string text = path + " has no type named " + printableName(name);
        std::vector<std::string> closest = closestNames(name, names);
        for (std::string& near : closest) near = printableName(near);
        if (!closest.empty())
            text += (closest.size() == 1 ? "; the closest name is " : "; the closest names are ") + listText(closest);
        errors.push_back(text + ".");
    }
    return errors;
}

bool runLibrary(WrapperGenerator& generator, const std::string& path, const std::vector<std::string>& chosen,
                const GeneratorSettings& settings) {
    TypeLibLoader& loader = generator.services.loader;
    std::shared_ptr<const TypeLib> lib;
    if (loader.load(path, lib) != kOk || !lib) {
        generator.logLine("Error: type library " + path + " cannot be loaded.");
        return false;
    }
    const std::vector<LibraryType> types = libraryTypes(*lib);
    std::vector<bool> picked(types.size(), chosen.empty());
    for (const std::string& name : chosen)
        for (std::size_t i : matchingTypes(types, name)) picked[i] = true;
    TypeEntrySet pickedKeys;
    for (std::size_t i = 0; i < types.size(); ++i)
        if (picked[i] && !whyLeftOut(types[i].attr)) pickedKeys.insert(keyOf(types[i]));

    // The interfaces the coclasses list start the run as they start a class run of each coclass, with the
    // flags (an event source gets a listener interface) and the file under which the coclass lists them.
    ClassCatalogue catalogue;
    LoadClassesFromFile(loader, path, catalogue);
    ClassEntrySet classes;
    std::vector<TypeEntry> start;
    TypeEntrySet listed;
    for (std::size_t i = 0; i < types.size(); ++i) {
        if (types[i].attr.typekind != TKIND_COCLASS) continue;
        const std::vector<TypeEntry> interfaces = ListImplementedInterfaces(path, types[i].info);
        listed.insert(interfaces.begin(), interfaces.end());
        if (picked[i]) {
            const std::string clsid = guidText(types[i].attr.guid);
            for (const ClassEntry& entry : catalogue)
                if (equalsIgnoreCase(entry.clsid, clsid)) classes.insert(entry);
        }
        for (const TypeEntry& entry : interfaces)
            if (picked[i] || pickedKeys.count(entry)) start.push_back(entry);
    }

    // Every other type that gets a file is taken as a class run takes a type it reaches. An enum that an
    // alias names is reached under the alias's name, as the members that use it refer to it.
    TypeEntrySet aliasedEnums;
    for (const LibraryType& type : types)
        if (const auto target = aliasedEnum(type)) {
            TypeAttr attr;
            if (target->typeAttr(attr) == kOk)
                aliasedEnums.insert(TypeEntry{typeName(*target), {}, {}, guidText(attr.guid), 0, {}});
        }
    TypeRecorder reached;
    for (std::size_t i = 0; i < types.size(); ++i) {
        if (!picked[i]) continue;
        const LibraryType& type = types[i];
        const TypeKind kind = type.attr.typekind;
        if (kind == TKIND_COCLASS) continue;
        const bool everyType = chosen.empty();
        const bool aliasOfEnum = kind == TKIND_ALIAS && aliasedEnum(type);
        if (const char* why = aliasOfEnum ? nullptr : whyLeftOut(type.attr)) {
            // Structures, unions, modules and aliases are no surprise in a run over every type.
            if (kind == TKIND_INTERFACE || !everyType) generator.logLine("Left out " + type.name + ": " + why + ".");
            continue;
        }
        if (listed.count(keyOf(type))) continue;
        if (kind == TKIND_ENUM && everyType && aliasedEnums.count(keyOf(type))) continue;
        reached.registerType(type.info, 0);
    }
    start.insert(start.end(), reached.referencedTypes.begin(), reached.referencedTypes.end());

    return generator.runTypes(std::move(classes), std::move(start), settings.destDir, settings.package,
                              settings.jarModule, settings.sdkPath);
}

}  // namespace tessivar
