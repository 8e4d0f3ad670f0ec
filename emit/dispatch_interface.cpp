// The proxy class of one dispatch or Automation-compatible interface: class part, one block of wrapper
// methods per member, closing brace.
#include "emit/dispatch_interface.h"

#include "emit/class_part.h"
#include "emit/member_collector.h"
#include "emit/member_text.h"
#include "mapping/path_names.h"
#include "typelib/interface_path.h"

namespace tessivar {
namespace {

std::shared_ptr<const TypeLib> containingLibrary(const TypeInfo& type) {
    std::shared_ptr<const TypeLib> lib;
    unsigned index = 0;
    if (type.containingTypeLib(lib, index) != kOk || !lib) throw ComError(kPointerError);
    return lib;
}

}  // namespace

void generateDispatchInterface(WrapperGenerator& generator, TypeEntry entry, const std::string& sourceRoot) {
    if (!entry.typeInfo) throw ComError(kPointerError);
    generator.currentLibName = libraryName(*containingLibrary(*entry.typeInfo));

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
        entry.typeLibPath = findInterfaceTypeLibPath(generator.services.registry, entry.guidText);

    if (attrRead) {
        // Members first: the types they record decide the library imports of the class part.
        const std::vector<MemberInfo> members = collectMembers(generator, entry.typeInfo, attr);
        const bool unknownPtr = attr.wTypeFlags == TYPEFLAG_FOLEAUTOMATION;
        writeClassPart(generator, entry.typeLibPath, file, entry, unknownPtr, false);
        generator.usedNames.clear();
        for (const MemberInfo& member : members) file.write(memberText(generator.usedNames, member));
    }
    file.writeLine("}");
    file.close();
    generator.doneInterfaces.insert(entry);
}

}  // namespace tessivar
