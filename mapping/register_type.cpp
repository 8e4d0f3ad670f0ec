// registerType: records a type that generated code refers to, so a later pass generates it.
#include "engine/wrapper_generator.h"
#include "mapping/guid_text.h"

namespace tessivar {

void WrapperGenerator::addCoClass(ClassEntry entry) {
    if (recordedChanges) recordedChanges->push_back(RunStateChange{nullptr, 0, entry});
    coClasses.insert(std::move(entry));
}

void WrapperGenerator::replay(const std::vector<RunStateChange>& changes) {
    for (const RunStateChange& change : changes) {
        if (change.coClass) addCoClass(*change.coClass);
        else registerType(change.type, change.kind);
    }
}

namespace {

// What registerType records for a type: the type, or the target of an alias of an enum or a dispatch
// interface under the alias's name; nothing for a type whose attributes or library cannot be read.
std::optional<TypeEntry> entryOf(const std::shared_ptr<const TypeInfo>& typeInfo) {
    TypeAttr attr;
    if (typeInfo->typeAttr(attr) != kOk) return std::nullopt;

    TypeEntry entry;
    entry.name = typeName(*typeInfo);
    std::shared_ptr<const TypeInfo> recorded = typeInfo;
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
    return entry;
}

}  // namespace

void WrapperGenerator::registerType(const std::shared_ptr<const TypeInfo>& typeInfo, std::int32_t kind) {
    if (recordedChanges) recordedChanges->push_back(RunStateChange{typeInfo, kind, std::nullopt});
    if (!typeInfo) return;
    // A type is referred to from many members and class runs; what it is recorded as is worked out once.
    auto [known, firstTime] = registeredTypes_.try_emplace(typeInfo.get());
    if (firstTime) known->second = {typeInfo, entryOf(typeInfo)};
    const std::optional<TypeEntry>& entry = known->second.second;
    if (!entry) return;
    referencedLibs.insert(entry->libName);
    const auto at = referencedTypes.lower_bound(*entry);
    if (at != referencedTypes.end() && !typeEntryLess(*entry, *at)) return;  // the same entry whatever its kind
    TypeEntry recorded = *entry;
    recorded.kind = kind;
    referencedTypes.insert(at, std::move(recorded));
}

}  // namespace tessivar
