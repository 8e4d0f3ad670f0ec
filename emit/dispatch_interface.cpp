// The proxy class of one dispatch or Automation-compatible interface: class part, one block of wrapper
// methods per member, closing brace.
#include "emit/dispatch_interface.h"

#include "emit/class_part.h"
#include "emit/member_collector.h"
#include "emit/member_text.h"
#include "mapping/path_names.h"

namespace tessivar {

// The members of a proxy as a class run collected and wrote them. Generate-all writes a type again in
// every class run that reaches it; collecting reads only the type, the run's library name and package
// and constants of the request, so a later run makes the recorded changes to the run state again and
// writes the same text instead of collecting anew.
struct CollectedMembers {
    std::shared_ptr<const TypeLib> lib;  // keeps the library of the key alive
    std::string libName, package;
    TypeAttr attr;
    std::vector<RunStateChange> changes;
    std::string text;
    UsedNames usedNames;

    bool collectedFrom(const WrapperGenerator& g, const TypeAttr& a) const {
        return libName == g.currentLibName && package == g.package && attr.guid == a.guid &&
               attr.cFuncs == a.cFuncs && attr.cVars == a.cVars && attr.wTypeFlags == a.wTypeFlags;
    }
};

namespace {

std::shared_ptr<const TypeLib> containingLibrary(const TypeInfo& type, unsigned& index) {
    std::shared_ptr<const TypeLib> lib;
    if (type.containingTypeLib(lib, index) != kOk || !lib) throw ComError(kPointerError);
    return lib;
}

class RecordingChanges {
public:
    RecordingChanges(WrapperGenerator& g, std::vector<RunStateChange>& into) : g_(g), before_(g.recordedChanges) {
        g.recordedChanges = &into;
    }
    ~RecordingChanges() { g_.recordedChanges = before_; }
    RecordingChanges(const RecordingChanges&) = delete;
    RecordingChanges& operator=(const RecordingChanges&) = delete;

private:
    WrapperGenerator& g_;
    std::vector<RunStateChange>* before_;
};

// Collects the members (their changes to the run state included) and their text, or makes the changes
// again and gives the text kept from an earlier class run. A type is kept from the second time it is
// met, so types met once (single-class requests, libraries whose classes share nothing) cost no memory.
std::shared_ptr<const CollectedMembers> membersOf(WrapperGenerator& generator, const TypeEntry& entry,
                                                  const std::shared_ptr<const TypeLib>& lib, unsigned index,
                                                  const TypeAttr& attr) {
    const auto [known, firstTime] =
        generator.collectedMembers.try_emplace(std::make_tuple(lib.get(), index, attr.typekind), nullptr);
    auto& kept = known->second;
    if (kept && kept->collectedFrom(generator, attr)) {
        generator.replay(kept->changes);
        return kept;
    }
    auto collected = std::make_shared<CollectedMembers>();
    std::vector<MemberInfo> members;
    {
        RecordingChanges recording(generator, collected->changes);
        members = collectMembers(generator, entry.typeInfo, attr);
    }
    appendMembersText(collected->text, collected->usedNames, members);
    if (!firstTime) {
        collected->lib = lib;
        collected->libName = generator.currentLibName;
        collected->package = generator.package;
        collected->attr = attr;
        kept = collected;
    }
    return collected;
}

}  // namespace

void generateDispatchInterface(WrapperGenerator& generator, TypeEntry entry, const std::string& sourceRoot) {
    if (!entry.typeInfo) throw ComError(kPointerError);
    unsigned index = 0;
    const std::shared_ptr<const TypeLib> lib = containingLibrary(*entry.typeInfo, index);
    generator.currentLibName = libraryName(*lib);

    const JavaFileLocation location =
        javaFileLocation(generator, sourceRoot, generator.currentLibName, entry.name);
    if (markFileWritten(generator, entry, location)) return;
    ensureFolder(generator.services.files, location.folder);
    generator.logLine("Generating Dispatch interface: " + location.path);
    SourceFile file(generator.services.files, &generator);
    if (!file.open(location.path)) return;

    TypeAttr attr;
    const bool attrRead = entry.typeInfo->typeAttr(attr) == kOk;
    if (entry.typeLibPath.empty())
        entry.typeLibPath = generator.interfaceTypeLibPath(entry.guidText);

    if (attrRead) {
        // Members first: the types they record decide the library imports of the class part.
        const std::shared_ptr<const CollectedMembers> members = membersOf(generator, entry, lib, index, attr);
        const bool unknownPtr = attr.wTypeFlags == TYPEFLAG_FOLEAUTOMATION;
        writeClassPart(generator, entry.typeLibPath, file, entry, unknownPtr, false);
        file.write(members->text);
    }
    file.writeLine("}");
    file.close();
    generator.doneInterfaces.insert(entry);
}

}  // namespace tessivar
