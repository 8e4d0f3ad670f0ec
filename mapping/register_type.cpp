// registerType: records a type that generated code refers to, so a later pass generates it.
#include "engine/type_recorder.h"
#include "mapping/guid_text.h"

namespace tessivar {

void TypeRecorder::addCoClass(ClassEntry entry) {
    if (recordedChanges) recordedChanges->push_back(RunStateChange{nullptr, 0, entry});
    coClasses.insert(std::move(entry));
}

void TypeRecorder::replay(const std::vector<RunStateChange>& changes) {
    for (const RunStateChange& change : changes) {
        if (change.coClass) addCoClass(*change.coClass);
        else registerType(change.type, change.kind);
    }
}

void TypeRecorder::registerType(const std::shared_ptr<const TypeInfo>& typeInfo, std::int32_t kind) {
    if (recordedChanges) recordedChanges->push_back(RunStateChange{typeInfo, kind, std::nullopt});
    if (!typeInfo) return;
    TypeAttr attr;
    if (typeInfo->typeAttr(attr) != kOk) return;

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
    if (recorded->containingTypeLib(lib, index) != kOk || !lib) return;
    entry.libName = libraryName(*lib);
    referencedLibs.insert(entry.libName);
    entry.typeLibPath.clear();
    entry.kind = kind;
    referencedTypes.insert(std::move(entry));
}

}  // namespace tessivar
