// The class part: each block below writes one piece of the opening of a proxy or listener file.
#include "emit/class_part.h"

#include "mapping/names.h"

namespace tessivar {
namespace {

void writeImports(SourceFile& file, bool interfaceMode) {
    file.writeLine("import com.corlith.kovra.*;");
    if (interfaceMode) {
        file.writeLine("import java.util.*;");
        return;
    }
    file.writeLine("import com.corlith.kovra.constants.*;");
    file.writeLine("import com.corlith.kovra.marshal.*;");
    file.writeLine("import com.corlith.io.*;");
    file.writeLine("import java.io.*;");
}

// One import per library recorded so far, except the file's own and VBRUN.
void writeLibraryImports(const WrapperGenerator& g, SourceFile& file, const std::string& packageText) {
    const std::string package = pathToPackage(g.package);
    for (const std::string& lib : g.referencedLibs) {
        if (lib == packageText || lib == "VBRUN") continue;
        const std::string prefixed = package.empty() ? lib : package + "." + lib;
        if (prefixed == packageText) continue;
        file.write("import " + prefixed + ".*;\r\n");
    }
}

void writeInterfaceDeclaration(SourceFile& file, const std::string& name) {
    file.writeLine("public interface " + name + " {");
    file.writeLine("    static public final HashMap mthsMap = new HashMap();\r\n");
}

void writeUnknownPtrDeclaration(SourceFile& file, const std::string& name) {
    file.writeLine("public class " + name + " extends UnknownPtr {");
    file.writeLine("    static public int typeInfoToken = 0;");
    file.writeLine("");
    file.writeLine("    public int getTypeInfoToken() {");
    file.writeLine("        return typeInfoToken;");
    file.writeLine("    }");
    file.writeLine("");
}

void writeDispatchPtrDeclaration(SourceFile& file, const std::string& name) {
    file.writeLine("public class " + name + " extends DispatchPtr {");
    file.writeLine("    public int getTypeInfoToken() {");
    file.writeLine("        return 0;");
    file.writeLine("    }");
    file.writeLine("");
}

// Ends with LF and then CR LF.
void writeGuidLine(SourceFile& file, const std::string& guidText) {
    file.writeLine("    static public final GUID proxyIID = new GUID(\"" + guidText + "\");\n");
}

void writeRegistration(SourceFile& file, const std::string& name, bool unknownPtr) {
    file.writeLine("    static public final int iidToken;\r\n");
    file.writeLine("    static {");
    file.writeLine("        iidToken = IdentityManager.registerProxy(proxyIID, " + name + ".class);");
    if (unknownPtr) file.writeLine("        typeInfoToken = IdentityManager.registerTypeInfo(proxyIID);");
    file.writeLine("    }\r\n");
}

void writeGuidTokenGetter(SourceFile& file) {
    file.writeLine("    /**");
    file.writeLine("     * Returns Guid Token for this class");
    file.writeLine("     */");
    file.writeLine("    public int getGuidToken() {");
    file.writeLine("        return iidToken;");
    file.writeLine("    }\r\n");
}

void writeConstructor(SourceFile& file, const std::string& comment, const std::string& signature,
                      const std::string& body) {
    file.writeLine("    /**");
    file.writeLine(comment);
    file.writeLine("     */");
    file.writeLine(signature);
    file.writeLine(body);
    file.writeLine("    }");
}

void writeConstructors(SourceFile& file, const std::string& name) {
    const std::string throws = " throws com.corlith.kovra.COMException {";
    writeConstructor(file, "     * Creates empty " + name + " Object", "    public " + name + "()" + throws,
                     "        super();");
    writeConstructor(file, "     * Creates " + name + " Object with progID",
                     "    public " + name + "(String progid)" + throws, "        super(progid);");
    writeConstructor(file, "     * Queries interface of " + name + " Object",
                     "    public " + name + "(IUnknown other)" + throws, "        super(other);");
    writeConstructor(file, "     * Creates " + name + " Object with CLSID",
                     "    public " + name + "(GUID ClsID)" + throws, "        super(ClsID);");
}

}  // namespace

void writeClassPart(const WrapperGenerator& g, std::string typeLibPath, SourceFile& file, const TypeEntry& entry,
                    bool unknownPtr, bool interfaceMode) {
    const std::string packageText = javaPackage(g.package, g.currentLibName);
    writeHeaderBlock(file, false, typeLibPath, packageText);
    writeImports(file, interfaceMode);
    writeLibraryImports(g, file, packageText);
    file.writeLine("");

    if (interfaceMode) writeInterfaceDeclaration(file, entry.name);
    else if (unknownPtr) writeUnknownPtrDeclaration(file, entry.name);
    else writeDispatchPtrDeclaration(file, entry.name);
    writeGuidLine(file, entry.guidText);
    if (interfaceMode) return;

    writeRegistration(file, entry.name, unknownPtr);
    writeGuidTokenGetter(file);
    writeConstructors(file, entry.name);
}

}  // namespace tessivar
