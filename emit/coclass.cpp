// CoClass files: a small interface with the CLSID and ProgID of each creatable coclass met by a class run.
#include "emit/coclass.h"

#include <optional>

#include "base/guid_text.h"
#include "mapping/java_text.h"
#include "emit/header_block.h"
#include "mapping/names.h"
#include "mapping/path_names.h"
#include "base/text.h"
#include "typelib/progid.h"

namespace tessivar {
namespace {

void writeCoClassBody(OutputText& file, const std::string& name, const std::string& clsid, const std::string& progId) {
    file.writeLine("import com.corlith.kovra.*;");
    file.writeLine("");
    file.writeLine("public interface " + name + " {");
    file.writeLine("    public static final GUID clsID = new GUID(\"" + javaStringText(clsid) + "\");");
    file.writeLine("    public static final String progID = new String(\"" + javaStringText(progId) + "\");");
    file.writeLine("}");
}

// The coclass of the library whose CLSID is the entry's, when it is creatable.
void writeCoClassFile(EmitRun& run, const ClassEntry& entry, const std::string& folder,
                      const std::string& libName, const TypeInfo& type, const TypeAttr& attr) {
    // Registry keys ignore case, so a catalogue CLSID may be stored in lower case: compare as the keys do.
    const std::string clsid = guidText(attr.guid);
    if (!equalsIgnoreCase(clsid, entry.clsid)) return;
    const std::string progId = progIdFromClsid(run.registry(), clsid);
    if (!(attr.wTypeFlags & TYPEFLAG_FCANCREATE)) return;

    const std::string name = typeName(type);
    const JavaFileLocation location = javaFileIn(run, folder, name);
    // Names made safe for Java can meet: the file another type of this class run wrote stays.
    if (markFileWritten(run, location)) {
        run.logLine("Left out " + printableName(name) + ": its Java file " + location.path +
                    " was written for another type of the same Java name.");
        return;
    }
    run.logLine("Generating CoClass interface: " + location.path);
    const std::unique_ptr<OutputText> opened = run.openFile(location.path);
    if (!opened->isOpen()) return;
    OutputText& file = *opened;

    std::optional<std::string> typeLibPath;
    if (!entry.typeLibPath.empty()) typeLibPath = entry.typeLibPath;
    file.write(headerBlock(false, typeLibPath, javaPackage(run.package, libName)));
    writeCoClassBody(file, location.fileStem, clsid, progId);
    file.close();
}

void writeCoClassesOf(EmitRun& run, const ClassEntry& entry) {
    std::shared_ptr<const TypeLib> lib = entry.typeLib;
    if (!lib && (run.loader().load(entry.typeLibPath, lib) != kOk || !lib)) {
        run.logLine("Error: type library " + entry.typeLibPath + " cannot be loaded.");
        return;
    }
    run.currentLibName = libraryName(*lib);
    const std::string folder = javaSourceFolder(run, run.sourceRoot, run.currentLibName);
    run.ensureFolder(folder);

    for (unsigned i = 0, count = lib->typeInfoCount(); i < count; ++i) {
        // Every class run looks through the whole library: its kind, which the library gives without
        // opening the type, passes over each type that is no coclass.
        if (TypeKind kind; lib->typeInfoType(i, kind) == kOk && kind != TKIND_COCLASS) continue;
        std::shared_ptr<const TypeInfo> type;
        TypeAttr attr;
        if (lib->typeInfo(i, type) != kOk || !type || type->typeAttr(attr) != kOk) continue;
        if (attr.typekind != TKIND_COCLASS) continue;
        writeCoClassFile(run, entry, folder, run.currentLibName, *type, attr);
    }
}

}  // namespace

void writeCoClasses(EmitRun& run) {
    for (const ClassEntry& entry : run.coClasses) writeCoClassesOf(run, entry);
}

}  // namespace tessivar
