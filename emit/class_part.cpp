// The class part: each block below appends one piece of the opening of a proxy or listener file; the
// whole part goes to the file in one write.
#include "emit/class_part.h"

#include "emit/header_block.h"
#include "mapping/java_text.h"
#include "mapping/java_words.h"
#include "mapping/names.h"
#include "base/text.h"

namespace tessivar {
namespace {

void addImports(std::string& out, bool interfaceMode) {
    out += "import com.corlith.kovra.*;\r\n";
    if (interfaceMode) {
        out += "import java.util.*;\r\n";
        return;
    }
    out += "import com.corlith.kovra.constants.*;\r\n"
           "import com.corlith.kovra.marshal.*;\r\n"
           "import com.corlith.io.*;\r\n"
           "import java.io.*;\r\n";
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
        appendParts(out, "import ", prefixed, ".*;\r\n");
    }
}

void addInterfaceDeclaration(std::string& out, const std::string& name) {
    appendParts(out, "public interface ", name, " {\r\n");
    out += "    static public final HashMap mthsMap = new HashMap();\r\n\r\n";
}

void addUnknownPtrDeclaration(std::string& out, const std::string& name) {
    appendParts(out, "public class ", name, " extends UnknownPtr {\r\n");
    out += "    static public int typeInfoToken = 0;\r\n"
           "\r\n"
           "    public int getTypeInfoToken() {\r\n"
           "        return typeInfoToken;\r\n"
           "    }\r\n"
           "\r\n";
}

void addDispatchPtrDeclaration(std::string& out, const std::string& name) {
    appendParts(out, "public class ", name, " extends DispatchPtr {\r\n");
    out += "    public int getTypeInfoToken() {\r\n"
           "        return 0;\r\n"
           "    }\r\n"
           "\r\n";
}

// Ends with LF and then CR LF.
void addGuidLine(std::string& out, const std::string& guidText) {
    appendParts(out, "    static public final GUID proxyIID = new GUID(\"", javaStringText(guidText), "\");\n\r\n");
}

void addRegistration(std::string& out, const std::string& name, bool unknownPtr) {
    out += "    static public final int iidToken;\r\n\r\n"
           "    static {\r\n";
    appendParts(out, "        iidToken = IdentityManager.registerProxy(proxyIID, ", name, ".class);\r\n");
    if (unknownPtr) out += "        typeInfoToken = IdentityManager.registerTypeInfo(proxyIID);\r\n";
    out += "    }\r\n\r\n";
}

void addGuidTokenGetter(std::string& out) {
    out += "    /**\r\n"
           "     * Returns Guid Token for this class\r\n"
           "     */\r\n"
           "    public int getGuidToken() {\r\n"
           "        return iidToken;\r\n"
           "    }\r\n\r\n";
}

void addConstructor(std::string& out, std::string_view what, const std::string& name, std::string_view with,
                    std::string_view parameter, std::string_view argument) {
    constexpr std::string_view kThrows = " throws com.corlith.kovra.COMException {\r\n";
    appendParts(out, "    /**\r\n     * ", what, name, " Object", with, "\r\n     */\r\n");
    appendParts(out, "    public ", name, "(", parameter, ")", kThrows);
    appendParts(out, "        super(", argument, ");\r\n    }\r\n");
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
    std::string out;
    out.reserve(2048);
    out += headerBlock(false, typeLibPath, packageText);
    addImports(out, interfaceMode);
    addLibraryImports(out, g, packageText);
    out += "\r\n";

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
