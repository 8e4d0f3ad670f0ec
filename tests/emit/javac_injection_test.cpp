// A hostile type library and registry cannot write code into generated Java: each route by which outside
// text reaches a file (a registered path in a comment, member and enum constant names, a ProgID in a
// literal) gives Java that compiles, where the text is escaped inside a literal or left out. Names that are
// ordinary yet clash with Java or with what generated files declare compile too.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "emit/javac_support.h"
#include "engine/posix/posix_file_system.h"
#include "engine/wrapper_generator.h"
#include "base/guid_text.h"
#include "support/fakes.h"
#include "support/memory_typelib.h"
#include "typelib/class_lookups.h"
#include "typelib/platform_loader.h"
#include "typelib/posix/file_registry.h"

namespace tessivar::test {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

// Each hostile text would add a static block to the class it lands in, were it written raw.
const std::string kPathBreak = "C:\\lib\\x.tlb\r\nstatic { System.exit(7); } //";
const std::string kMemberSyntax = "x\"); } static { System.exit(7); } public void y() { invoke(\"";
const std::string kProgIdQuote = "Hostile.Widget\"); static { System.exit(7); } String z = (\"";
const std::string kConstantSyntax = "a = 1; static { System.exit(7); } int b";
const std::string kParameterSyntax = "a) { } static { System.exit(7); } void c(int d";
const std::string kPayload = "System.exit(7)";

std::string regHex(std::string_view text) {
    std::string out;
    for (char c : text) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02x,", static_cast<unsigned char>(c));
        out += byte;
    }
    return out + "00";
}

// A regedit export that registers the interface's library at kPathBreak (REG_EXPAND_SZ bytes, as a line
// break cannot stand in a quoted value) and gives the coclass the ProgID kProgIdQuote.
std::string hostileRegistry(const std::vector<std::string>& iids, const std::string& libGuid,
                            const std::string& clsid) {
    std::string quotedProgId;
    for (char c : kProgIdQuote) {
        if (c == '"' || c == '\\') quotedProgId += '\\';
        quotedProgId += c;
    }
    std::string reg = "REGEDIT4\r\n\r\n";
    for (const std::string& iid : iids)
        reg += "[HKEY_CLASSES_ROOT\\Interface\\" + iid + "\\TypeLib]\r\n"
               "@=\"" + libGuid + "\"\r\n"
               "\"Version\"=\"1.0\"\r\n\r\n";
    return reg +
           "[HKEY_CLASSES_ROOT\\TypeLib\\" + libGuid + "\\1.0\\0\\win32]\r\n"
           "@=hex(2):" + regHex(kPathBreak) + "\r\n\r\n"
           "[HKEY_CLASSES_ROOT\\CLSID\\" + clsid + "\\ProgID]\r\n"
           "@=\"" + quotedProgId + "\"\r\n";
}

class JavacInjectionTest : public JavacTest {
protected:
    // Runs the class run for coclass `widget` of `lib` into `destination` with `registry`; the log.
    std::vector<std::string> generate(const std::shared_ptr<MemoryTypeLib>& lib, unsigned widget,
                                      const std::vector<std::pair<unsigned, std::int32_t>>& implemented,
                                      Registry& registry, const fs::path& destination,
                                      const std::string& classTypeLibPath = "/lib/hostile.tlb") {
        for (auto [type, flags] : implemented) lib->implement(widget, type, flags);
        std::vector<TypeEntry> interfaces;
        for (auto [type, flags] : implemented) interfaces.push_back(implementedEntry(lib, type, flags, ""));
        PosixFileSystem files;
        MemoryLoader loader;
        MemorySettingsStore settings;
        RecordingUi ui;
        WrapperGenerator generator(Services{files, registry, loader, settings, ui}, false);
        ClassEntry entry{"", guidText(lib->type(widget).attr.guid), "Hostile.Widget", classTypeLibPath, lib};
        EXPECT_TRUE(generator.runClass(entry, interfaces, destination.string(), "com.example", "Hostile",
                                       (work / "runtime").string()));
        EXPECT_EQ(generator.outputFailures(), 0);
        return ui.log;
    }

    // The text of every generated Java file, keyed by its path below the source root.
    std::map<std::string, std::string> javaFiles(const fs::path& destination) {
        std::map<std::string, std::string> out;
        for (auto& [path, bytes] : filesUnder(destination / "src"))
            if (fs::path(path).extension() == ".java") out[path] = bytes;
        return out;
    }
};

TEST_F(JavacInjectionTest, HostileTextIsEscapedOrLeftOutAndTheOutputCompiles) {
    auto lib = MemoryTypeLib::create("Hostile", guidOf(1));
    const unsigned color = lib->addEnum("Color", guidOf(10), {{kConstantSyntax, 1}, {"plain", 2}});
    const unsigned proxy = lib->addInterface("IHostile", guidOf(11), TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE);
    const unsigned events = lib->addInterface("DHostileEvents", guidOf(12), TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE);
    const unsigned widget = lib->addCoClass("Widget", guidOf(13));
    auto& funcs = lib->type(proxy).funcs;
    funcs.push_back({makeFunc(1, INVOKE_FUNC, FUNC_DISPATCH, vt(VT_VOID)), {kMemberSyntax}, "", false});
    funcs.push_back({makeFunc(2, INVOKE_FUNC, FUNC_DISPATCH, vt(VT_I4), {vt(VT_I4)}), {kMemberSyntax, kParameterSyntax},
                     "", false});
    funcs.push_back({makeFunc(3, INVOKE_PROPERTYGET, FUNC_DISPATCH, vt(VT_BSTR)), {kMemberSyntax}, "", false});
    funcs.push_back({makeFunc(3, INVOKE_PROPERTYPUT, FUNC_DISPATCH, vt(VT_VOID), {vt(VT_BSTR)}), {kMemberSyntax}, "",
                     false});
    funcs.push_back({makeFunc(4, INVOKE_FUNC, FUNC_DISPATCH, vt(VT_VOID), {userDefined(lib->addRef(proxy, lib, color))}),
                     {"Paint", "color"}, "", false});
    lib->type(events).funcs.push_back(
        {makeFunc(5, INVOKE_FUNC, FUNC_DISPATCH, vt(VT_VOID), {vt(VT_I4)}), {kMemberSyntax, kParameterSyntax}, "", false});

    auto opened = registryFromExport(hostileRegistry({guidText(lib->type(proxy).attr.guid),
                                                      guidText(lib->type(events).attr.guid),
                                                      guidText(lib->type(color).attr.guid)},
                                                     guidText(lib->guid), guidText(lib->type(widget).attr.guid)),
                                     DriveMap{});
    ASSERT_TRUE(opened.registry) << opened.error;

    const fs::path destination = work / "out";
    generate(lib, widget, {{proxy, IMPLTYPEFLAG_FDEFAULT}, {events, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE}},
             *opened.registry, destination, kPathBreak);
    EXPECT_TRUE(compiles(destination));

    const auto java = javaFiles(destination);
    ASSERT_EQ(java.size(), 4u);
    for (const auto& [path, text] : java) {
        SCOPED_TRACE(path);
        for (const std::string& hostile : {kPathBreak, kMemberSyntax, kProgIdQuote, kConstantSyntax, kParameterSyntax})
            EXPECT_THAT(text, Not(HasSubstr(hostile)));
        // The payload stands only where a literal or a comment holds it, so no line of code starts with it.
        for (std::size_t at = text.find(kPayload); at != std::string::npos; at = text.find(kPayload, at + 1)) {
            const std::size_t lineStart = text.rfind('\n', at) + 1;
            const std::string_view line(text.data() + lineStart, at - lineStart);
            EXPECT_TRUE(line.find("// from TypeLib at ") == 0 || line.find('"') != std::string_view::npos)
                << line;
        }
    }
    const std::string& proxyText = java.at("com/example/Hostile/IHostile.java");
    const std::string& enumText = java.at("com/example/Hostile/Color.java");
    const std::string& coclassText = java.at("com/example/Hostile/Widget.java");
    // Route 1: the registered path's line break is shown, not taken, in the header comment.
    EXPECT_THAT(proxyText,
                HasSubstr("// from TypeLib at C:\\lib\\x.tlb\\x0D\\x0Astatic { System.exit(7); } //\r\n// check"));
    EXPECT_THAT(java.at("com/example/Hostile/DHostileEvents.java"), HasSubstr("\\x0D\\x0Astatic {"));
    EXPECT_THAT(coclassText, HasSubstr("// from TypeLib at C:\\lib\\x.tlb\\x0D\\x0Astatic"));
    // Route 2: the member's Java name is made of identifier characters; the runtime gets the real name.
    const std::string escapedMember = "x\\\"); } static { System.exit(7); } public void y() { invoke(\\\"";
    const std::string javaMember = "x______static___System_exit_7_____public_void_y_____invoke__";
    EXPECT_THAT(proxyText, HasSubstr("    public void " + javaMember + "() throws com.corlith.kovra.COMException {\r\n"
                                     "        invoke(\"" + escapedMember + "\");"));
    EXPECT_THAT(proxyText, HasSubstr("public int " + javaMember + "(int a______static___System_exit_7_____void_c_int_d)"));
    EXPECT_THAT(proxyText, HasSubstr("invokeN(\"" + escapedMember + "\", new java.lang.Object[]{"));
    EXPECT_THAT(proxyText, HasSubstr("public java.lang.String get" + javaMember + "() throws"));
    EXPECT_THAT(proxyText, HasSubstr("get(\"" + escapedMember + "\");"));
    EXPECT_THAT(proxyText, HasSubstr("put(\"" + escapedMember + "\", new" + javaMember + ");"));
    // Route 3: the ProgID's quote is escaped inside the literal.
    EXPECT_THAT(coclassText, HasSubstr("    public static final String progID = new String(\"Hostile.Widget\\\"); "
                                       "static { System.exit(7); } String z = (\\\"\");\r\n"));
    // Route 4: the constant keeps its value under its Java name.
    EXPECT_THAT(enumText, HasSubstr("    public static final int a___1__static___System_exit_7_____int_b = 1;\r\n"));
    EXPECT_THAT(enumText, HasSubstr("    public static final int plain = 2;\r\n"));
}

// The same routes through a library compiled by widl, its names patched to Java syntax afterwards
// (scripts/make-fixtures.sh), read by this build's own loader.
TEST_F(JavacInjectionTest, PatchedWidlLibraryCompilesWithItsNamesEscaped) {
    const std::string path = std::string(TESSIVAR_SOURCE_DIR) + "/tests/fixtures/tlb/inject64.tlb";
    EmptyRegistry registry;
    const auto loader = makePlatformTypeLibLoader(&registry);
    ClassCatalogue catalogue;
    ASSERT_EQ(LoadClassesFromFile(*loader, path, catalogue), kOk);
    ASSERT_EQ(catalogue.size(), 1u);
    const FoundClass found = FindClassOfEntry(*loader, catalogue[0]);
    ASSERT_TRUE(found.coClass);

    PosixFileSystem files;
    MemorySettingsStore settings;
    RecordingUi ui;
    WrapperGenerator generator(Services{files, registry, *loader, settings, ui}, false);
    const fs::path destination = work / "out";
    ASSERT_TRUE(generator.runClass(catalogue[0], ListImplementedInterfaces(path, found.coClass),
                                   destination.string(), "com.example", "Injection", (work / "runtime").string()));
    EXPECT_TRUE(compiles(destination));

    const auto java = javaFiles(destination);
    ASSERT_EQ(java.size(), 4u);
    for (const auto& [file, text] : java) {
        SCOPED_TRACE(file);
        for (std::size_t at = text.find(kPayload); at != std::string::npos; at = text.find(kPayload, at + 1)) {
            const std::size_t lineStart = text.rfind('\n', at) + 1;
            EXPECT_NE(std::string_view(text.data() + lineStart, at - lineStart).find('"'), std::string_view::npos)
                << "outside a literal";
        }
    }
    const std::string& proxy = java.at("com/example/TessivarInjection/IInjected.java");
    EXPECT_THAT(proxy, HasSubstr("invokeN(\"x\\\"); } static {    System.exit(7); } void y(\\\"\", "));
    EXPECT_THAT(proxy, HasSubstr("(int a______static___System_exit_7_____void_c_int)"));
    EXPECT_THAT(java.at("com/example/TessivarInjection/Shade.java"),
                HasSubstr("    public static final int a___1__static_______System_exit_7_____int_b = 1;\r\n"));
    EXPECT_THAT(java.at("com/example/TessivarInjection/DInjectedEvents.java"),
                HasSubstr("public void e____static_____System_exit_7_____void_f_int_g(Object srcObj, int value)"));
    EXPECT_THAT(ui.log, Contains("Name changed for Java: a = 1; static {     System.exit(7); } int b -> "
                                 "a___1__static_______System_exit_7_____int_b"));
}

TEST_F(JavacInjectionTest, OrdinaryNamesThatClashWithJavaOrTheGeneratedClassCompile) {
    auto lib = MemoryTypeLib::create("Clashes", guidOf(1));
    const unsigned modifiers = lib->addEnum("Modifiers", guidOf(10),
                                            {{"final", 1}, {"native", 2}, {"transient", 3}, {"_final", 4}, {"ok", 5}});
    const unsigned string = lib->addInterface("String", guidOf(11), TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE);
    const unsigned guid = lib->addInterface("GUID", guidOf(12), TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE);
    const unsigned proxy = lib->addInterface("IClashes", guidOf(13), TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE);
    const unsigned aliasA = lib->addInterface("CycleA", guidOf(14), TKIND_ALIAS, 0);
    const unsigned aliasB = lib->addInterface("CycleB", guidOf(15), TKIND_ALIAS, 0);
    lib->type(aliasA).attr.tdescAlias = userDefined(lib->addRef(aliasA, lib, aliasB));
    lib->type(aliasB).attr.tdescAlias = userDefined(lib->addRef(aliasB, lib, aliasA));
    const unsigned umlaut = lib->addInterface("IGr\xC3\xB6\xC3\x9F" "e", guidOf(16), TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE);
    const unsigned widget = lib->addCoClass("Widget", guidOf(17));

    auto& funcs = lib->type(proxy).funcs;
    funcs.push_back({makeFunc(1, INVOKE_PROPERTYGET, FUNC_DISPATCH, vt(VT_I4)), {"TypeInfoToken"}, "", false});
    funcs.push_back({makeFunc(1, INVOKE_PROPERTYPUT, FUNC_DISPATCH, vt(VT_VOID), {vt(VT_I4)}), {"TypeInfoToken"}, "",
                     false});
    funcs.push_back({makeFunc(2, INVOKE_FUNC, FUNC_DISPATCH, vt(VT_I4)), {"getTypeInfoToken"}, "", false});
    funcs.push_back({makeFunc(3, INVOKE_FUNC, FUNC_DISPATCH, ptr(userDefined(lib->addRef(proxy, lib, string))),
                              {ptr(userDefined(lib->addRef(proxy, lib, guid))), vt(VT_BSTR)}),
                     {"Convert", "guid", "text"}, "", false});
    funcs.push_back({makeFunc(4, INVOKE_FUNC, FUNC_DISPATCH, userDefined(lib->addRef(proxy, lib, aliasA)),
                              {userDefined(lib->addRef(proxy, lib, modifiers))}),
                     {"Cycle", "modifier"}, "", false});
    funcs.push_back({makeFunc(5, INVOKE_FUNC, FUNC_DISPATCH, ptr(userDefined(lib->addRef(proxy, lib, umlaut)))),
                     {"L\xC3\xA4nge"}, "", false});
    lib->type(string).funcs.push_back({makeFunc(1, INVOKE_PROPERTYGET, FUNC_DISPATCH, vt(VT_BSTR)), {"Text"}, "", false});
    lib->type(umlaut).funcs.push_back({makeFunc(1, INVOKE_FUNC, FUNC_DISPATCH, vt(VT_VOID)), {"Gr\xC3\xBC\xC3\x9F"}, "",
                                       false});

    EmptyRegistry registry;
    const fs::path destination = work / "out";
    const auto log = generate(lib, widget, {{proxy, IMPLTYPEFLAG_FDEFAULT}}, registry, destination);
    EXPECT_TRUE(compiles(destination));

    const auto java = javaFiles(destination);
    EXPECT_THAT(java.at("com/example/Clashes/Modifiers.java"),
                HasSubstr("    public static final int _final = 1;\r\n"
                          "    public static final int _native = 2;\r\n"
                          "    public static final int _transient = 3;\r\n"
                          "    public static final int __final = 4;\r\n"
                          "    public static final int ok = 5;\r\n"));
    const std::string& proxyText = java.at("com/example/Clashes/IClashes.java");
    EXPECT_THAT(proxyText, HasSubstr("public int _getTypeInfoToken() throws"));
    EXPECT_THAT(proxyText, HasSubstr("public void setTypeInfoToken(int newTypeInfoToken) throws"));
    EXPECT_THAT(proxyText, HasSubstr("public int __getTypeInfoToken() throws"));
    EXPECT_THAT(proxyText, HasSubstr("return ((java.lang.Integer) get(\"TypeInfoToken\")).intValue();"));
    EXPECT_THAT(proxyText, HasSubstr("public _String Convert(_GUID guid, java.lang.String text) throws"));
    EXPECT_THAT(proxyText, HasSubstr("public IUnknown Cycle(int modifier) throws"));
    EXPECT_THAT(proxyText, HasSubstr("public IGr\xC3\xB6\xC3\x9F" "e L\xC3\xA4nge() throws"));
    EXPECT_TRUE(java.count("com/example/Clashes/_String.java"));
    EXPECT_THAT(java.at("com/example/Clashes/_GUID.java"), HasSubstr("public class _GUID extends DispatchPtr {"));
    EXPECT_TRUE(java.count("com/example/Clashes/IGr\xC3\xB6\xC3\x9F" "e.java"));
    // Each changed type or constant name is logged once, however often it is met.
    for (const char* line : {"Name changed for Java: String -> _String", "Name changed for Java: GUID -> _GUID",
                             "Name changed for Java: final -> _final"})
        EXPECT_EQ(std::count(log.begin(), log.end(), line), 1) << line;
    EXPECT_THAT(log, Not(Contains(HasSubstr("-> IGr"))));
}

}  // namespace
}  // namespace tessivar::test
