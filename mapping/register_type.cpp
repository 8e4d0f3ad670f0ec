// The recorder's changes to the run state: referenced types, coclasses, losses, written files.
#include "mapping/type_recorder.h"

#include <optional>

#include "base/guid_text.h"
#include "mapping/names.h"

namespace tessivar {

namespace {

// The entry registerType records for a type, which depends on nothing but the type and `kind`; none when
// the type cannot be read.
std::optional<TypeEntry> referencedEntry(const std::shared_ptr<const TypeInfo>& typeInfo, std::int32_t kind) {
    if (!typeInfo) return std::nullopt;
    TypeAttr attr;
    if (typeInfo->typeAttr(attr) != kOk) return std::nullopt;

    TypeEntry entry;
    entry.name = typeName(*typeInfo);
    std::shared_ptr<const TypeInfo> recorded = typeInfo;

    // An alias of an enum or a dispatch interface is recorded as its target, under the alias's name.
    if (attr.typekind == TKIND_ALIAS && attr.tdescAlias.vt == VT_USERDEFINED) {
        std::shared_ptr<const TypeInfo> target;
        TypeAttr targetAttr;
        if (typeInfo->refTypeInfo(attr.tdescAlias.hreftype, target) == kOk && target &&
            target->typeAttr(targetAttr) == kOk &&
            (targetAttr.typekind == TKIND_ENUM || targetAttr.typekind == TKIND_DISPATCH)) {
            recorded = target;
            attr = targetAttr;
        }
    }

    entry.typeInfo = recorded;
    entry.guidText = guidText(attr.guid);

    std::shared_ptr<const TypeLib> lib;
    unsigned index = 0;
    if (recorded->containingTypeLib(lib, index) != kOk || !lib) return std::nullopt;
    entry.libName = libraryName(*lib);
    entry.kind = kind;
    return entry;
}

}  // namespace

void TypeRecorder::registerType(const std::shared_ptr<const TypeInfo>& typeInfo, std::int32_t kind) {
    std::optional<TypeEntry> entry = referencedEntry(typeInfo, kind);
    if (!entry) return;
    if (recordedChanges) {
        recordedChanges->libs.insert(entry->libName);
        recordedChanges->types.insert(*entry);
    }
    referencedLibs.insert(entry->libName);
    referencedTypes.insert(std::move(*entry));
}

void TypeRecorder::addCoClass(ClassEntry entry) {
    if (recordedChanges) recordedChanges->coClasses.insert(entry);
    coClasses.insert(std::move(entry));
}

void TypeRecorder::noteLoss(unsigned TypeLosses::*what, HResult hr) {
    TypeLosses one;
    one.*what = 1;
    one.firstFailure = hr;
    if (recordedChanges) recordedChanges->losses.add(one);
    losses.add(one);
}

void TypeRecorder::replay(const RecordedChanges& changes) {
    referencedLibs.insert(changes.libs.begin(), changes.libs.end());
    referencedTypes.insert(changes.types.begin(), changes.types.end());
    coClasses.insert(changes.coClasses.begin(), changes.coClasses.end());
    losses.add(changes.losses);
}

void registerCoClassInterfaces(TypeRecorder& generator, const std::shared_ptr<const TypeInfo>& coClass) {
    TypeAttr attr;
    if (!coClass || coClass->typeAttr(attr) != kOk) return;
    for (unsigned i = 0; i < attr.cImplTypes; ++i) {
        HRefType ref = 0;
        std::shared_ptr<const TypeInfo> implemented;
        TypeAttr implAttr;
        HResult hr = coClass->refTypeOfImplType(static_cast<std::int32_t>(i), ref);
        if (hr == kOk) hr = coClass->refTypeInfo(ref, implemented);
        if (hr != kOk || !implemented) {
            generator.noteLoss(&TypeLosses::interfaces, hr == kOk ? kPointerError : hr);
            continue;
        }
        if (implemented->typeAttr(implAttr) != kOk) continue;
        if (implAttr.typekind != TKIND_INTERFACE && implAttr.typekind != TKIND_DISPATCH) continue;
        std::int32_t flags = 0;
        if (coClass->implTypeFlags(i, flags) != kOk) continue;
        generator.registerType(implemented, flags);
    }
}

void TypeLosses::add(const TypeLosses& other) {
    functions += other.functions;
    variables += other.variables;
    names += other.names;
    references += other.references;
    interfaces += other.interfaces;
    if (firstFailure == kOk) firstFailure = other.firstFailure;
}

void TypeRecorder::logLine(const std::string&) {}

bool TypeRecorder::markWritten(const TypeEntry& entry, const std::string& prefix) {
    return !writtenNames.insert(pathToPackage(prefix) + entry.name).second;
}

}  // namespace tessivar
