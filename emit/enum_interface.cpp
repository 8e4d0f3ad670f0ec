// The constant interface of an enum: one "public static final int" per enumerator, in index order.
#include "emit/enum_interface.h"

#include <set>

#include "mapping/names.h"
#include "mapping/path_names.h"

namespace tessivar {
namespace {

std::string constantLine(const std::string& name, std::int32_t value) {
    return "    public static final int " + name + " = " + std::to_string(value) + ";";
}

// Constants are written from the VARIANT's 32-bit field whatever its type, as the enum's values are ints.
// Each has its Java name; a name the interface already declares gets '_' in front until it is new.
void writeConstants(WrapperGenerator& generator, SourceFile& file, const TypeInfo& type, const TypeAttr& attr) {
    std::set<std::string> declared;
    for (unsigned i = 0; i < attr.cVars; ++i) {
        VarDesc var;
        if (const HResult hr = type.varDesc(i, var); hr != kOk) {
            generator.noteLoss(&TypeLosses::variables, hr);
            continue;
        }
        if (var.varkind != VAR_CONST) continue;
        const std::int32_t value = var.value ? var.value->lVal() : 0;
        std::string name = javaIdentifier(generator, typeName(type, var.memid), JavaNameUse::Constant);
        while (!declared.insert(name).second) name.insert(0, 1, '_');
        file.writeLine(constantLine(name, value));
    }
}

void writeEnumInterface(WrapperGenerator& generator, TypeEntry& entry) {
    TypeAttr attr;
    if (!entry.typeInfo || entry.typeInfo->typeAttr(attr) != kOk || attr.typekind != TKIND_ENUM) return;

    std::shared_ptr<const TypeLib> lib;
    unsigned index = 0;
    if (entry.typeInfo->containingTypeLib(lib, index) != kOk || !lib) throw ComError(kPointerError);
    generator.currentLibName = libraryName(*lib);

    const JavaFileLocation location =
        javaFileLocation(generator, generator.sourceRoot, generator.currentLibName, entry.name);
    ensureFolder(generator.services.files, location.folder);
    generator.logLine("Generating enum interface: " + location.path);
    if (markFileWritten(generator, entry, location)) return;

    SourceFile file(generator.services.files, &generator);
    if (!file.open(location.path)) return;
    if (entry.typeLibPath.empty())
        entry.typeLibPath = generator.interfaceTypeLibPath(entry);

    writeHeaderBlock(file, true, entry.typeLibPath, javaPackage(generator.package, generator.currentLibName));
    file.writeLine("public interface " + location.fileStem + "{");
    writeConstants(generator, file, *entry.typeInfo, attr);
    file.writeLine("}");
    file.close();
    generator.reportLosses(entry);
}

}  // namespace

void writeEnumInterfaces(WrapperGenerator& generator) {
    for (TypeEntry& entry : generator.interfaceList) {
        generator.currentTypeInfo = entry.typeInfo;
        if (generator.doneInterfaces.count(entry)) continue;
        writeEnumInterface(generator, entry);
    }
}

}  // namespace tessivar
