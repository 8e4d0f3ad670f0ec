// LoadClassesFromFile, FindClass and ListImplementedInterfaces.
#include "typelib/class_lookups.h"

#include "base/guid_text.h"
#include "base/text.h"

namespace tessivar {

HResult LoadClassesFromFile(TypeLibLoader& loader, const std::string& path, ClassCatalogue& catalogue) {
    catalogue.clear();
    std::shared_ptr<const TypeLib> lib;
    const HResult hr = loader.load(path, lib);
    if (hr != kOk || !lib) return hr != kOk ? hr : kCantLoadLibrary;
    const unsigned count = lib->typeInfoCount();
    if (count == 0) return kOk;
    LibAttr libAttr;
    lib->libAttr(libAttr);
    const std::string libGuid = guidText(libAttr.guid);
    for (unsigned i = 0; i < count; ++i) {
        TypeKind kind;
        if (lib->typeInfoType(i, kind) != kOk || kind != TKIND_COCLASS) continue;
        std::shared_ptr<const TypeInfo> info;
        if (lib->typeInfo(i, info) != kOk || !info) continue;
        TypeAttr attr;
        if (info->typeAttr(attr) != kOk) continue;
        catalogue.push_back(ClassEntry{libGuid, guidText(attr.guid), typeName(*info), path, nullptr});
    }
    return kOk;
}

FoundClass FindClassOfEntry(TypeLibLoader& loader, const ClassEntry& entry) {
    FoundClass found;
    found.typeLibGuid = entry.typeLibGuid;
    found.typeLibPath = entry.typeLibPath;
    std::shared_ptr<const TypeLib> lib;
    if (loader.load(entry.typeLibPath, lib) != kOk || !lib) return found;
    for (unsigned i = 0, n = lib->typeInfoCount(); i < n; ++i) {
        TypeKind kind;
        if (lib->typeInfoType(i, kind) != kOk || kind != TKIND_COCLASS) continue;
        std::shared_ptr<const TypeInfo> info;
        TypeAttr attr;
        if (lib->typeInfo(i, info) != kOk || !info || info->typeAttr(attr) != kOk) continue;
        if (equalsIgnoreCase(guidText(attr.guid), entry.clsid)) {
            found.coClassName = typeName(*info);
            found.coClass = info;
            return found;
        }
    }
    return found;
}

FoundClass FindClass(TypeLibLoader& loader, const std::string& name, const ClassCatalogue& catalogue) {
    for (const ClassEntry& entry : catalogue)
        if (entry.progId == name) return FindClassOfEntry(loader, entry);
    return {};
}

std::vector<TypeEntry> ListImplementedInterfaces(const std::string& typeLibPath,
                                                 const std::shared_ptr<const TypeInfo>& coClass) {
    std::vector<TypeEntry> list;
    if (!coClass) return list;
    TypeAttr attr;
    if (coClass->typeAttr(attr) != kOk) return list;
    for (unsigned i = 0; i < attr.cImplTypes; ++i) {
        HRefType ref;
        if (coClass->refTypeOfImplType(static_cast<std::int32_t>(i), ref) != kOk) continue;
        std::shared_ptr<const TypeInfo> iface;
        if (coClass->refTypeInfo(ref, iface) != kOk || !iface) continue;
        TypeAttr ifaceAttr;
        if (iface->typeAttr(ifaceAttr) != kOk) continue;
        TypeEntry entry;
        entry.guidText = guidText(ifaceAttr.guid);
        entry.typeInfo = iface;
        entry.name = typeName(*iface);
        entry.typeLibPath = typeLibPath;
        std::int32_t flags = 0;
        coClass->implTypeFlags(i, flags);
        entry.kind = flags;
        list.push_back(std::move(entry));
    }
    return list;
}

}  // namespace tessivar
