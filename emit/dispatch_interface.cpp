// The proxy class of one dispatch or Automation-compatible interface: class part, one block of wrapper
// methods per member, closing brace.
#include "emit/dispatch_interface.h"

#include "emit/class_part.h"
#include "emit/proxy_members.h"
#include "mapping/path_names.h"

namespace tessivar {

namespace {

std::shared_ptr<const TypeLib> containingLibrary(const TypeInfo& type, unsigned& index) {
    std::shared_ptr<const TypeLib> lib;
    if (type.containingTypeLib(lib, index) != kOk || !lib) throw ComError(kPointerError);
    return lib;
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
        entry.typeLibPath = generator.interfaceTypeLibPath(entry);

    if (attrRead) {
        // Members first: the types they record decide the library imports of the class part.
        const std::shared_ptr<const CollectedMembers> members = membersOf(generator, entry, lib, index, attr);
        const bool unknownPtr = attr.wTypeFlags == TYPEFLAG_FOLEAUTOMATION;
        writeClassPart(generator, entry.typeLibPath, file, javaNamed(entry, location), unknownPtr, false);
        logNameChanges(generator, members->nameChanges);
        file.write(members->text);
    }
    file.writeLine("}");
    file.close();
    generator.doneInterfaces.insert(entry);
    generator.reportLosses(entry);
}

}  // namespace tessivar
