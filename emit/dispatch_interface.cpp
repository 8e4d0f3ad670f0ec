// The proxy class of one dispatch or Automation-compatible interface: class part, one block of wrapper
// methods per member, closing brace.
#include "emit/dispatch_interface.h"

#include "emit/class_part.h"
#include "emit/containing_library.h"
#include "emit/proxy_members.h"
#include "mapping/path_names.h"

namespace tessivar {

void generateDispatchInterface(EmitRun& run, TypeEntry entry, const std::string& sourceRoot) {
    const auto [lib, index] = enterContainingLibrary(run, entry.typeInfo);

    const JavaFileLocation location =
        javaFileLocation(run, sourceRoot, run.currentLibName, entry.name);
    if (markFileWritten(run, location)) return;
    run.ensureFolder(location.folder);
    run.logLine("Generating Dispatch interface: " + location.path);
    const std::unique_ptr<OutputText> opened = run.openFile(location.path);
    if (!opened->isOpen()) return;
    OutputText& file = *opened;

    TypeAttr attr;
    const bool attrRead = entry.typeInfo->typeAttr(attr) == kOk;
    if (entry.typeLibPath.empty())
        entry.typeLibPath = run.interfaceTypeLibPath(entry);

    if (attrRead) {
        // Members first: the types they record decide the library imports of the class part.
        const std::shared_ptr<const CollectedMembers> members = membersOf(run, entry, lib, index, attr);
        const bool unknownPtr = attr.wTypeFlags == TYPEFLAG_FOLEAUTOMATION;
        writeClassPart(run, entry.typeLibPath, file, javaNamed(entry, location), unknownPtr, false);
        logNameChanges(run, members->nameChanges);
        file.write(members->text);
    }
    file.writeLine("}");
    file.close();
    run.doneInterfaces.insert(entry);
    run.reportLosses(entry);
}

}  // namespace tessivar
