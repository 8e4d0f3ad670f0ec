// The class part: each block below appends one piece of the opening of a proxy or listener file; the
// whole part goes to the file in one write.
#include "emit/class_part.h"

#include "emit/header_block.h"
#include "emit/java_lines.h"
#include "mapping/java_text.h"
#include "mapping/java_words.h"
#include "mapping/names.h"

namespace tessivar {
namespace {

void addImports(std::string& out, bool interfaceMode) {
    addLine(out, "import com.corlith.kovra.*;");
    if (interfaceMode) {
        addLine(out, "import java.util.*;");
        return;
    }
    addLine(out, "import com.corlith.kovra.constants.*;");
    addLine(out, "import com.corlith.kovra.marshal.*;");
    addLine(out, "import com.corlith.io.*;");
    addLine(out, "import java.io.*;");
}

// One import per library recorded so far, except the file's own and VBRUN.
void addLibraryImports(std::string& out, const EmitRun& g, const std::string& packageText) {
    const std::string package = pathToPackage(g.package);
    for (const std::string& libName : g.referencedLibs) {
        if (libName == "VBRUN") continue;
        const std::string lib = javaIdentifier(libName, JavaNameUse::PackagePart);
        if (lib == packageText) continue;
        const std::string prefixed = package.empty() ? lib : package + "." + lib;
        if (prefixed == packageText) continue;
        addLine(out, "import ", prefixed, ".*;");
    }
}

void addInterfaceDeclaration(std::string& out, const std::string& name) {
    addLine(out, "public interface ", name, " {");
    addLine(out, "    static public final HashMap mthsMap = new HashMap();");
    addLine(out);
}

void addUnknownPtrDeclaration(std::string& out, const std::string& name) {
    addLine(out, "public class ", name, " extends UnknownPtr {");
    addLine(out, "    static public int typeInfoToken = 0;");
    addLine(out);
    addLine(out, "    public int getTypeInfoToken() {");
    addLine(out, "        return typeInfoToken;");
    addLine(out, "    }");
    addLine(out);
}

void addDispatchPtrDeclaration(std::string& out, const std::string& name) {
    addLine(out, "public class ", name, " extends DispatchPtr {");
    addLine(out, "    public int getTypeInfoToken() {");
    addLine(out, "        return 0;");
    addLine(out, "    }");
    addLine(out);
}

void addGuidLine(std::string& out, const std::string& guidText) {
    addLfLine(out, "    static public final GUID proxyIID = new GUID(\"", javaStringText(guidText), "\");");
    addLine(out);
}

void addRegistration(std::string& out, const std::string& name, bool unknownPtr) {
    addLine(out, "    static public final int iidToken;");
    addLine(out);
    addLine(out, "    static {");
    addLine(out, "        iidToken = IdentityManager.registerProxy(proxyIID, ", name, ".class);");
    if (unknownPtr) addLine(out, "        typeInfoToken = IdentityManager.registerTypeInfo(proxyIID);");
    addLine(out, "    }");
    addLine(out);
}

void addGuidTokenGetter(std::string& out) {
    addJavadoc(out, "Returns Guid Token for this class");
    addLine(out, "    public int getGuidToken() {");
    addLine(out, "        return iidToken;");
    addLine(out, "    }");
    addLine(out);
}

void addConstructor(std::string& out, std::string_view what, const std::string& name, std::string_view with,
                    std::string_view parameter, std::string_view argument) {
    addJavadoc(out, what, name, " Object", with);
    addLine(out, "    public ", name, "(", parameter, ") throws com.corlith.kovra.COMException {");
    addLine(out, "        super(", argument, ");");
    addLine(out, "    }");
}

void addConstructors(std::string& out, const std::string& name) {
    addConstructor(out, "Creates empty ", name, "", "", "");
    addConstructor(out, "Creates ", name, " with progID", "String progid", "progid");
    addConstructor(out, "Queries interface of ", name, "", "IUnknown other", "other");
    addConstructor(out, "Creates ", name, " with CLSID", "GUID ClsID", "ClsID");
}

}  // namespace

void writeClassPart(const EmitRun& g, std::string typeLibPath, OutputText& file, const TypeEntry& entry,
                    bool unknownPtr, bool interfaceMode) {
    const std::string packageText = javaPackage(g.package, g.currentLibName);
    std::string out = headerBlock(false, typeLibPath, packageText);
    addImports(out, interfaceMode);
    addLibraryImports(out, g, packageText);
    addLine(out);

    if (interfaceMode) addInterfaceDeclaration(out, entry.name);
    else if (unknownPtr) addUnknownPtrDeclaration(out, entry.name);
    else addDispatchPtrDeclaration(out, entry.name);
    addGuidLine(out, entry.guidText);
    if (!interfaceMode) {
        addRegistration(out, entry.name, unknownPtr);
        addGuidTokenGetter(out);
        addConstructors(out, entry.name);
    }
    file.write(out);
}

}  // namespace tessivar
