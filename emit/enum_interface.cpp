// The constant interface of an enum: one "public static final int" per enumerator, in index order.
#include "emit/enum_interface.h"

#include "emit/containing_library.h"
#include "emit/header_block.h"
#include "mapping/member_names.h"
#include "mapping/names.h"
#include "mapping/path_names.h"

namespace tessivar {
namespace {

std::string constantLine(const std::string& name, std::int32_t value) {
    return "    public static final int " + name + " = " + std::to_string(value) + ";";
}

// Constants are written from the VARIANT's 32-bit field whatever its type, as the enum's values are ints.
void writeConstants(EmitRun& run, OutputText& file, const TypeInfo& type, const TypeAttr& attr) {
    UsedNames declared;
    for (unsigned i = 0; i < attr.cVars; ++i) {
        VarDesc var;
        if (const HResult hr = type.varDesc(i, var); hr != kOk) {
            run.noteLoss(&TypeLosses::variables, hr);
            continue;
        }
        if (var.varkind != VAR_CONST) continue;
        const std::int32_t value = var.value ? var.value->lVal() : 0;
        file.writeLine(constantLine(constantName(run, typeName(type, var.memid), declared), value));
    }
}

void writeEnumInterface(EmitRun& run, TypeEntry& entry) {
    TypeAttr attr;
    if (!entry.typeInfo || entry.typeInfo->typeAttr(attr) != kOk || attr.typekind != TKIND_ENUM) return;

    enterContainingLibrary(run, entry.typeInfo);

    const JavaFileLocation location =
        javaFileLocation(run, run.sourceRoot, run.currentLibName, entry.name);
    run.ensureFolder(location.folder);
    run.logLine("Generating enum interface: " + location.path);
    if (markFileWritten(run, location)) return;

    const std::unique_ptr<OutputText> opened = run.openFile(location.path);
    if (!opened->isOpen()) return;
    OutputText& file = *opened;
    if (entry.typeLibPath.empty())
        entry.typeLibPath = run.interfaceTypeLibPath(entry);

    file.write(headerBlock(true, entry.typeLibPath, javaPackage(run.package, run.currentLibName)));
    file.writeLine("public interface " + location.fileStem + "{");
    writeConstants(run, file, *entry.typeInfo, attr);
    file.writeLine("}");
    file.close();
    run.reportLosses(entry);
}

}  // namespace

void writeEnumInterfaces(EmitRun& run) {
    for (TypeEntry& entry : run.interfaceList) {
        run.currentTypeInfo = entry.typeInfo;
        if (run.doneInterfaces.count(entry)) continue;
        writeEnumInterface(run, entry);
    }
}

}  // namespace tessivar
