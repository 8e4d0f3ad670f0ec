// Reading Wine registry files and regedit exports, and refusing malformed ones with the right line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/registry/registry_test_support.h"
#include "typelib/posix/reg_parse.h"

namespace tessivar {
namespace {

using test::readRegFixture;
using test::utf16Export;

std::optional<RegValue> valueAt(const RegNode& root, std::string_view path, std::string_view name) {
    const RegNode* key = root.find(path);
    RegValue value;
    if (!key || !findRegValue(*key, name, value)) return std::nullopt;
    return value;
}

std::vector<std::uint8_t> bytesOf(std::string_view s) { return {s.begin(), s.end()}; }

TEST(WineRegistryFile, EscapesAndValueTypes) {
    const std::string text = readRegFixture("wine_system.reg");  // the keys read their values from it
    RegNode root;
    ASSERT_FALSE(parseWineRegistry(text, root));
    const std::string key = "Software\\Tessivar\\Escapes";
    struct Case {
        const char* name;
        std::uint32_t type;
        std::string data;
    } cases[] = {
        {"Quote", REG_SZ, std::string("say \"hi\"\0", 9)},
        {"Backslash", REG_SZ, std::string("a\\b\0", 4)},
        // \x gives UTF-16 code units: a surrogate pair becomes one UTF-8 character.
        {"Unicode", REG_SZ, std::string("caf\xC3\xA9 \xF0\x9F\x8C\x8E\0", 11)},
        // At most four digits belong to \x, so the fifth is text.
        {"HexThenDigit", REG_SZ, std::string("A1\0", 3)},
        {"Controls", REG_SZ, std::string("a\tb\nc\0", 6)},
        {"Octal", REG_SZ, std::string("AB\0", 3)},
        {"Dword", REG_DWORD, std::string("\x2a\0\0\0", 4)},
        {"Binary", REG_BINARY, std::string("\1\2\3\4\5", 5)},
        {"Multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9)},
        {"Utf16Hex", REG_EXPAND_SZ, std::string("C:\\\0", 4)},
        {"Qword", REG_QWORD, std::string("\x2a\0\0\0\0\0\0\0", 8)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto v = valueAt(root, key, c.name);
        ASSERT_TRUE(v);
        EXPECT_EQ(v->type, c.type);
        EXPECT_EQ(v->data, bytesOf(c.data));
    }
    const auto expand = valueAt(root, "Software\\Classes\\Typelib\\{F0000000-0000-0000-0000-000000000002}\\1.0\\0\\win64", "");
    ASSERT_TRUE(expand);
    EXPECT_EQ(expand->type, REG_EXPAND_SZ);
    EXPECT_EQ(expand->text(), "%LIBDIR%\\expand.dll");
}

TEST(WineRegistryFile, KeyNamesUnescapedAndMatchedIgnoringCase) {
    RegNode root;
    ASSERT_FALSE(parseWineRegistry("WINE REGISTRY Version 2\n"
                                   "[Control Panel\\\\International\\\\\\xd83c\\xdf0e\\]x] 1796698795\n"
                                   "#time=1dd86c036949a42\n"
                                   "@=\"globe\"\n",
                                   root));
    EXPECT_TRUE(root.find("control panel\\INTERNATIONAL\\\xF0\x9F\x8C\x8E]x"));
    ASSERT_TRUE(valueAt(root, "Control Panel\\International\\\xF0\x9F\x8C\x8E]x", ""));
    EXPECT_FALSE(root.find("Control Panel\\\\International"));  // an empty name opens nothing
    EXPECT_FALSE(root.find("Control Panel\\"));
}

// Consecutive key lines share leading keys; each line's values still land in exactly its key.
TEST(WineRegistryFile, KeyLinesSharingLeadingKeysNameTheirOwnKeys) {
    RegNode root;
    ASSERT_FALSE(parseWineRegistry("WINE REGISTRY Version 2\n"
                                   "[A\\\\B\\\\C]\n\"v\"=\"abc\"\n"
                                   "[A\\\\B]\n\"v\"=\"ab\"\n"
                                   "[A\\\\BC]\n\"v\"=\"a-bc\"\n"
                                   "[a\\\\b\\\\D]\n\"v\"=\"abd\"\n"
                                   "[A\\\\B\\\\C]\n\"w\"=\"abc again\"\n"
                                   "[X]\n\"v\"=\"x\"\n",
                                   root));
    const auto text = [&](std::string_view path, std::string_view name) {
        const auto v = valueAt(root, path, name);
        return v ? v->text() : std::string("<missing>");
    };
    EXPECT_EQ(text("A\\B\\C", "v"), "abc");
    EXPECT_EQ(text("A\\B\\C", "w"), "abc again");
    EXPECT_EQ(text("A\\B", "v"), "ab");
    EXPECT_EQ(text("A\\BC", "v"), "a-bc");
    EXPECT_EQ(text("A\\B\\D", "v"), "abd");
    EXPECT_EQ(text("X", "v"), "x");
    EXPECT_EQ(root.subkeys.size(), 2u);
    EXPECT_EQ(root.find("A")->subkeys.size(), 2u);
    EXPECT_EQ(root.find("A\\B")->subkeys.size(), 2u);

    std::string deep;
    for (int i = 0; i < 511; ++i) deep += (i ? "\\\\k" : "k");
    const auto error = parseWineRegistry("WINE REGISTRY Version 2\n[" + deep + "\\\\k]\n[" + deep + "\\\\j\\\\k]\n", root);
    ASSERT_TRUE(error) << "the depth counts the shared keys too";
    EXPECT_EQ(error->line, 3u);
}

// Keys mostly come in order, but need not: out of order or in another case they still find their key.
TEST(WineRegistryFile, KeysOutOfOrderFindTheirKey) {
    RegNode root;
    ASSERT_FALSE(parseWineRegistry("WINE REGISTRY Version 2\n"
                                   "[K\\\\b]\n[K\\\\d]\n[K\\\\C]\n[K\\\\a]\n[K\\\\D]\n[K\\\\B\\\\x]\n[K\\\\e]\n",
                                   root));
    std::vector<std::string> names;
    for (const auto& [name, key] : root.find("K")->subkeys) names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "C", "d", "e"}));
    EXPECT_TRUE(root.find("k\\B\\X"));
}

// Values stay in the file's lines until asked for; a lookup gives what storing every line in turn would.
TEST(WineRegistryFile, RepeatedKeysMergeAndTheLastAssignmentWins) {
    const std::string text =
        "WINE REGISTRY Version 2\n"
        "[A] 1796698795\n"
        "#time=1dd86c036949a42\n"
        "\"v\"=\"first\"\n"
        "\"Both\"=\"one\"\n"
        "\"both\"=dword:00000002\n"
        "\"Bin\"=hex:01,02,\\\n"
        "  03,\\\n"
        "  04\n"
        "\"after\"=\"\\\"v\\\"=not a value line\"\n"
        "\n"
        "[B]\n"
        "@=\"b\"\n"
        "[a] 1796698796\n"
        "\"V\"=\"second\"\n"
        "\"esc\\\\aped \\x00e9\"=\"e\"\n"
        "\"\"=\"quoted default\"\n"
        "[A]\n"
        ";; a key line without values adds nothing\n";
    RegNode root;
    ASSERT_FALSE(parseWineRegistry(text, root));
    const auto textOf = [&](std::string_view path, std::string_view name) {
        const auto v = valueAt(root, path, name);
        return v ? v->text() : std::string("<missing>");
    };
    EXPECT_EQ(textOf("A", "v"), "second");  // the later key line's assignment, its name in another case
    EXPECT_EQ(textOf("A", "V"), "second");
    const auto both = valueAt(root, "A", "BOTH");  // the later of two in one run
    ASSERT_TRUE(both);
    EXPECT_EQ(both->type, REG_DWORD);
    EXPECT_EQ(both->data, bytesOf(std::string("\2\0\0\0", 4)));
    EXPECT_EQ(valueAt(root, "A", "bin")->data, bytesOf("\1\2\3\4"));  // continued over three lines
    EXPECT_EQ(textOf("A", "after"), "\"v\"=not a value line");
    EXPECT_EQ(textOf("A", "ESC\\APED \xC3\xA9"), "e");  // decoded names match too
    EXPECT_EQ(textOf("A", ""), "quoted default");
    EXPECT_EQ(textOf("B", ""), "b");
    EXPECT_EQ(textOf("A", "missing"), "<missing>");
    EXPECT_EQ(textOf("A", "v "), "<missing>");

    // All values at once: each name spelled as first met, with its last assignment.
    const auto all = regValues(*root.find("A"));
    std::vector<std::string> names;
    for (const auto& [name, value] : all) names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"", "after", "Bin", "Both", "esc\\aped \xC3\xA9", "v"}));
    EXPECT_EQ(all.at("v").text(), "second");
    EXPECT_EQ(all.at("Both").type, REG_DWORD);
    EXPECT_TRUE(regValues(*root.find("B")).contains(""));
}

TEST(RegExport, BothFormsHoldTheSameValues) {
    const std::string body =
        "\n[HKEY_CLASSES_ROOT\\CLSID\\{C0000000-0000-0000-0000-000000000001}\\ProgID]\n"
        "@=\"Widget.1\"\n"
        "\"Quoted\"=\"a \\\"b\\\" c\\\\d\"\n"
        "\"Count\"=dword:0000ffff\n"
        "\"Bytes\"=hex:de,ad,\\\n"
        "  be,ef\n";
    RegRoots ansi, unicode;
    ASSERT_FALSE(parseRegExport("REGEDIT4\n" + body, ansi));
    ASSERT_FALSE(parseRegExport(utf16Export("Windows Registry Editor Version 5.00\n" + body), unicode));
    for (const RegRoots* roots : {&ansi, &unicode}) {
        const std::string key = "CLSID\\{c0000000-0000-0000-0000-000000000001}\\progid";
        EXPECT_EQ(valueAt(roots->classesRoot, key, "")->data, bytesOf(std::string("Widget.1\0", 9)));
        EXPECT_EQ(valueAt(roots->classesRoot, key, "quoted")->text(), "a \"b\" c\\d");
        EXPECT_EQ(valueAt(roots->classesRoot, key, "Count")->data, bytesOf(std::string("\xff\xff\0\0", 4)));
        EXPECT_EQ(valueAt(roots->classesRoot, key, "Bytes")->data, bytesOf("\xde\xad\xbe\xef"));
    }
}

TEST(RegExport, StringHexDataFollowsTheFormsEncoding) {
    // REGEDIT4 writes hex(2) in the ANSI code page, Version 5.00 in UTF-16LE.
    RegRoots ansi, unicode;
    ASSERT_FALSE(parseRegExport("REGEDIT4\n[HKEY_CLASSES_ROOT\\K]\n@=hex(2):25,41,25,e9,00\n", ansi));
    ASSERT_FALSE(parseRegExport(utf16Export("Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\K]\n"
                                            "@=hex(2):25,00,41,00,25,00,e9,00,00,00\n"),
                                unicode));
    EXPECT_EQ(valueAt(ansi.classesRoot, "K", "")->data, bytesOf(std::string("%A%\xC3\xA9\0", 6)));
    EXPECT_EQ(valueAt(unicode.classesRoot, "K", "")->data, bytesOf(std::string("%A%\xC3\xA9\0", 6)));
    EXPECT_EQ(valueAt(unicode.classesRoot, "K", "")->type, REG_EXPAND_SZ);

    // Text that is not UTF-8 is read as Windows-1252.
    RegRoots cp1252;
    ASSERT_FALSE(parseRegExport("REGEDIT4\n[HKEY_CLASSES_ROOT\\K]\n@=\"caf\xE9 \x80\"\n", cp1252));
    EXPECT_EQ(valueAt(cp1252.classesRoot, "K", "")->text(), "caf\xC3\xA9 \xE2\x82\xAC");
}

TEST(RegExport, RootsDeletionsAndIgnoredRoots) {
    RegRoots roots;
    ASSERT_FALSE(parseRegExport("REGEDIT4\n"
                                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\A\\B]\n@=\"b\"\n\"v\"=\"1\"\n\"w\"=\"2\"\n"
                                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\A\\B]\n\"v\"=-\n"
                                "[HKEY_CURRENT_USER\\Software\\Classes\\C]\n@=\"c\"\n"
                                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\D\\E]\n"
                                "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\D]\n"
                                "[HKEY_USERS\\S-1-5-18\\Software]\n\"dropped\"=hex:01,\\\n 02\n"
                                "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Missing\\Key]\n",
                                roots));
    EXPECT_TRUE(valueAt(roots.localMachine, "SOFTWARE\\Classes\\A\\B", "w"));
    EXPECT_FALSE(valueAt(roots.localMachine, "SOFTWARE\\Classes\\A\\B", "v"));
    EXPECT_TRUE(valueAt(roots.currentUser, "Software\\Classes\\C", ""));
    EXPECT_FALSE(roots.localMachine.find("SOFTWARE\\Classes\\D"));
    EXPECT_TRUE(roots.classesRoot.subkeys.empty());
}

TEST(RegExport, RepeatedAndRemovedValuesSettleAsReadInOrder) {
    RegRoots roots;
    ASSERT_FALSE(parseRegExport("REGEDIT4\n"
                                "[HKEY_CLASSES_ROOT\\K]\n\"Name\"=\"1\"\n\"b\"=\"x\"\n\"NAME\"=\"2\"\n"
                                "[HKEY_CLASSES_ROOT\\Other]\n@=\"o\"\n"
                                "[HKEY_CLASSES_ROOT\\K]\n\"name\"=\"3\"\n\"Gone\"=\"g\"\n\"gone\"=-\n"
                                "\"Again\"=\"1\"\n\"AGAIN\"=-\n\"again\"=\"2\"\n\"never\"=-\n",
                                roots));
    const RegNode* key = roots.classesRoot.find("K");
    ASSERT_TRUE(key);
    const auto values = regValues(*key);
    std::vector<std::string> names;
    for (const auto& [name, value] : values) names.push_back(name + "=" + value.text());
    // The first spelling since the name was last removed, with the last data.
    EXPECT_EQ(names, (std::vector<std::string>{"again=2", "b=x", "Name=3"}));
    EXPECT_EQ(valueAt(roots.classesRoot, "K", "NaMe")->text(), "3");
    EXPECT_FALSE(valueAt(roots.classesRoot, "K", "gone"));
    EXPECT_FALSE(valueAt(roots.classesRoot, "K", "never"));
    EXPECT_EQ(valueAt(roots.classesRoot, "Other", "")->text(), "o");
}

TEST(RegExport, LargeUnicodeExportsDecodeAsAWhole) {
    // Long enough that the text is decoded in pieces; a character outside the BMP (a surrogate pair)
    // sits at every offset around the first piece's end.
    std::u16string text = u"Windows Registry Editor Version 5.00\r\n[HKEY_CLASSES_ROOT\\K]\r\n";
    int expected = 0;
    while (text.size() < (1u << 16) + 64) {
        text += u"\"v" + std::u16string(1, static_cast<char16_t>(u'a' + expected % 26)) +
                std::u16string(1, static_cast<char16_t>(u'a' + expected / 26 % 26)) +
                std::u16string(1, static_cast<char16_t>(u'a' + expected / 676 % 26)) + u"\"=\"\U0001F600\"\r\n";
        ++expected;
    }
    std::string bytes = "\xFF\xFE";
    for (char16_t u : text) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    for (int shift = 0; shift < 12; ++shift) {
        SCOPED_TRACE(shift);
        RegRoots roots;
        // Blanks after the header keep the text valid while moving every pair by one unit.
        std::string padded = bytes.substr(0, 2 + 2 * 36);
        for (int i = 0; i < shift; ++i) padded += std::string(" \0", 2);
        padded += bytes.substr(2 + 2 * 36);
        ASSERT_FALSE(parseRegExport(padded, roots));
        const RegNode* key = roots.classesRoot.find("K");
        ASSERT_TRUE(key);
        const auto values = regValues(*key);
        ASSERT_EQ(values.size(), static_cast<std::size_t>(expected));
        for (const auto& [name, value] : values) ASSERT_EQ(value.text(), "\xF0\x9F\x98\x80") << name;
    }
}

struct Malformed {
    const char* what;
    std::string text;
    std::size_t line;
    const char* message;
};

void expectRefused(const Malformed& m, bool wine) {
    SCOPED_TRACE(m.what);
    RegNode node;
    RegRoots roots;
    const auto error = wine ? parseWineRegistry(m.text, node) : parseRegExport(m.text, roots);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->line, m.line);
    EXPECT_NE(error->message.find(m.message), std::string::npos) << error->message;
}

TEST(WineRegistryFile, MalformedFilesNameTheLine) {
    const std::string h = "WINE REGISTRY Version 2\n";
    const std::string k = h + "[Key]\n";
    const Malformed cases[] = {
        {"empty file", "", 1, "not a Wine registry file"},
        {"other header", "REGEDIT4\n", 1, "not a Wine registry file"},
        {"unclosed key", h + "\n[Software\\\\Foo\n", 3, "key line: text ends inside a quoted string"},
        {"empty key name", h + "[A\\\\\\\\B]\n", 2, "empty key name"},
        {"value before key", h + "\"v\"=\"x\"\n", 2, "before the first key"},
        {"unterminated string", k + "\"v\"=\"abc\n", 3, "ends inside a quoted string"},
        {"unterminated name", k + "\"v=1\n", 3, "value name: text ends inside"},
        {"missing =", k + "\"v\" \"x\"\n", 3, "expected '='"},
        {"text after value", k + "\"v\"=\"x\" y\n", 3, "unexpected text after the value"},
        {"bad hex byte", k + "\"v\"=hex:01,zz\n", 3, "expected a hexadecimal byte"},
        {"missing comma", k + "\"v\"=hex:01,\\\n  02 03\n", 4, "expected ','"},
        {"continued at end", k + "\"v\"=hex:01,\\\n", 3, "past the end of the file"},
        {"long dword", k + "\"v\"=dword:123456789\n", 3, "up to 8 hexadecimal digits"},
        {"empty dword", k + "\"v\"=dword:\n", 3, "up to 8 hexadecimal digits"},
        {"bad str type", k + "\"v\"=str(2:\"x\"\n", 3, "malformed \"str(N):\""},
        {"bad hex type", k + "\"v\"=hex(q):00\n", 3, "unrecognised value data"},
        {"unknown data", k + "\"v\"=bogus\n", 3, "unrecognised value data"},
        {"stray text", k + "bogus\n", 3, "expected a key line"},
        {"bad line under a repeated key", k + "\"v\"=\"1\"\n[Other]\n@=\"o\"\n[key]\n\"w\"=hex:01,\\\n  zz\n", 8,
         "expected a hexadecimal byte"},
        {"bad name escape", k + "\"v\\\"=1\n", 3, "value name: text ends inside"},
    };
    for (const Malformed& m : cases) expectRefused(m, true);
}

TEST(RegExport, MalformedFilesNameTheLine) {
    const std::string k = "REGEDIT4\n[HKEY_CLASSES_ROOT\\K]\n";
    const Malformed cases[] = {
        {"other header", "REGEDIT5\n", 1, "not a registry export"},
        {"empty file", "", 1, "not a registry export"},
        {"odd UTF-16", std::string("\xFF\xFE" "R\0E\0G", 7), 1, "middle of a character"},
        {"big endian", std::string("\xFE\xFF\0R", 4), 1, "big-endian"},
        {"unknown root", "REGEDIT4\n\n[HKEY_NOWHERE\\X]\n", 3, "unknown root key \"HKEY_NOWHERE\""},
        {"unclosed key", "REGEDIT4\n[HKEY_CLASSES_ROOT\\X\n", 2, "without a closing ']'"},
        {"empty key name", "REGEDIT4\n[HKEY_CLASSES_ROOT\\A\\\\B]\n", 2, "empty key name"},
        {"value before key", "REGEDIT4\n@=\"x\"\n", 2, "before the first key"},
        {"unterminated", k + "@=\"x\n", 3, "ends inside a quoted string"},
        {"bad hex", k + "@=hex(2):4g\n", 3, "expected ','"},
        {"dangling continuation", k + "@=hex:00,\\\n", 3, "past the end of the file"},
        {"unknown data", k + "@=qword:1\n", 3, "unrecognised value data"},
        {"CR LF lines", utf16Export("Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT\\K]\n@=x\n"), 4,
         "unrecognised value data"},
    };
    for (const Malformed& m : cases) expectRefused(m, false);
}

TEST(RegistryLimits, NamesAndDepthAtTheBoundary) {
    const std::string h = "WINE REGISTRY Version 2\n";
    RegNode ok;
    EXPECT_FALSE(parseWineRegistry(h + "[" + std::string(255, 'k') + "]\n\"" + std::string(16383, 'v') + "\"=\"\"\n", ok));
    expectRefused({"long key name", h + "[" + std::string(256, 'k') + "]\n", 2, "longer than 255 characters"}, true);
    expectRefused({"long value name", h + "[K]\n\"" + std::string(16384, 'v') + "\"=\"\"\n", 3,
                   "longer than 16383 characters"},
                  true);

    std::string deep;
    for (int i = 0; i < 512; ++i) deep += (i ? "\\\\k" : "k");
    RegNode deepOk;
    EXPECT_FALSE(parseWineRegistry(h + "[" + deep + "]\n", deepOk));
    expectRefused({"too deep", h + "[" + deep + "\\\\k]\n", 2, "deeper than 512 levels"}, true);
}

TEST(RegistryLimits, EntriesBeyondTheBudgetAreRefused) {
    const std::string wine = "WINE REGISTRY Version 2\n[A\\\\B]\n\"v\"=\"1\"\n[a\\\\b]\n\"V\"=\"2\"\n\"w\"=\"3\"\n";
    RegNode enough, tooSmall;
    EXPECT_FALSE(parseWineRegistry(wine, enough, 5));  // A, B and every value line, names met again too
    const auto error = parseWineRegistry(wine, tooSmall, 4);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->line, 6u);
    EXPECT_EQ(error->message, "more than 4 keys and values");

    RegRoots roots;
    const auto exportError = parseRegExport("REGEDIT4\n[HKEY_CLASSES_ROOT\\A\\B\\C]\n", roots, 2);
    ASSERT_TRUE(exportError);
    EXPECT_EQ(exportError->line, 2u);
}

// Large files are read in two halves at once: keys and values, spellings, the last assignment, errors,
// their lines and the budget are as one reading makes them.
std::size_t linesOf(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

std::string classKeys(std::size_t from, std::size_t to, const char* spelling, const char* value) {
    std::string text;
    for (std::size_t i = from; i < to; ++i)
        text += std::string("[") + spelling + "\\\\{" + std::to_string(i) + "}]\n\"v\"=\"" + value + std::to_string(i) + "\"\n";
    return text;
}

TEST(WineRegistryFile, LargeFilesReadInHalvesAsInOne) {
    const std::string h = "WINE REGISTRY Version 2\n";
    constexpr std::size_t kKeys = 12000;  // about 600 KiB
    // The second half names keys of the first again, in other cases, and assigns their values again.
    const std::string twice = "[Software\\\\Twice]\n\"v\"=\"1\"\n[Software\\\\Twice]\n\"v\"=\"2\"\n";
    const std::string text = h + twice + classKeys(0, kKeys, "Software\\\\Classes\\\\CLSID", "early") +
                             classKeys(0, 10, "software\\\\CLASSES\\\\clsid", "late") +
                             "[SOFTWARE\\\\twice]\n\"v\"=\"3\"\n[Software\\\\Late]\n@=\"x\"\n";
    RegNode root;
    ASSERT_FALSE(parseWineRegistry(text, root));
    ASSERT_EQ(root.subkeys.size(), 1u);
    EXPECT_EQ(valueAt(root, "Software\\Twice", "v")->text(), "3");  // the runs of a key in file order
    EXPECT_EQ(root.subkeys.begin()->first, "Software");  // the first spelling
    const RegNode* clsid = root.find("SOFTWARE\\classes\\CLSID");
    ASSERT_TRUE(clsid);
    EXPECT_EQ(clsid->subkeys.size(), kKeys);
    EXPECT_EQ(root.find("Software")->subkeys.begin()->first, "Classes");
    EXPECT_EQ(valueAt(root, "Software\\Classes\\CLSID\\{3}", "v")->text(), "late3");
    EXPECT_EQ(valueAt(root, "Software\\Classes\\CLSID\\{11}", "v")->text(), "early11");
    EXPECT_EQ(valueAt(root, "Software\\Classes\\CLSID\\{11999}", "v")->text(), "early11999");
    EXPECT_EQ(valueAt(root, "Software\\Late", "")->text(), "x");

    // Entries: Software, Twice, Classes, CLSID, Late, every key once and every value line.
    const std::size_t entries = 5 + 2 * kKeys + 10 + 3 + 1;
    RegNode enough, tooSmall;
    EXPECT_FALSE(parseWineRegistry(text, enough, entries));
    const auto overBudget = parseWineRegistry(text, tooSmall, entries - 1);
    ASSERT_TRUE(overBudget);
    EXPECT_EQ(overBudget->line, linesOf(text));
    EXPECT_EQ(overBudget->message, "more than " + std::to_string(entries - 1) + " keys and values");

    // A bad line far into the second half, and data continued onto the key line where a half would
    // start: that line is data in one reading.
    expectRefused({"bad line late", text + "[Bad]\n\"v\"=hex:zz\n", linesOf(text) + 2, "expected a hexadecimal byte"},
                  true);
    std::string early = h + "[Early]\n";
    for (std::size_t i = 0; early.size() < 320 * 1024; ++i) early += "\"v" + std::to_string(i) + "\"=dword:00000001\n";
    early += "\"cont\"=hex:01,\\\n";
    std::string late = "[Late]\n";
    for (std::size_t i = 0; late.size() < 280 * 1024; ++i) late += "\"w" + std::to_string(i) + "\"=dword:00000002\n";
    expectRefused({"data continued onto a key line", early + late, linesOf(early) + 1, "expected a hexadecimal byte"},
                  true);
    RegNode continued;
    early.back() = '\n';
    early[early.size() - 2] = '2';  // "cont"=hex:01,2 ends the data
    const std::string whole = early + late;  // the keys read their values from it
    ASSERT_FALSE(parseWineRegistry(whole, continued));
    EXPECT_TRUE(continued.find("Late"));
    EXPECT_EQ(valueAt(continued, "Early", "cont")->data, bytesOf("\1\2"));
}

std::size_t valuesBelow(const RegNode& key) {
    std::size_t count = regValues(key).size();
    for (const auto& [name, sub] : key.subkeys) count += valuesBelow(*sub);
    return count;
}

// Every cut of a valid file is either read or refused with a line inside the text, never a crash;
// every value of a file that was read can be read.
TEST(RegistryRobustness, TruncatedFilesNeverCrash) {
    const std::string wine = readRegFixture("wine_system.reg");
    for (std::size_t n = 0; n <= wine.size(); ++n) {
        RegNode root;
        if (const auto e = parseWineRegistry(std::string_view(wine).substr(0, n), root)) {
            EXPECT_GE(e->line, 1u);
        } else {
            std::size_t lines = 0;
            for (const char c : std::string_view(wine).substr(0, n)) lines += c == '\n';
            EXPECT_LE(valuesBelow(root), lines);
        }
    }
    const std::string unicode = readRegFixture("classes.reg");
    for (std::size_t n = 0; n <= unicode.size(); n += 3) {
        RegRoots roots;
        if (const auto e = parseRegExport(std::string_view(unicode).substr(0, n), roots)) {
            EXPECT_GE(e->line, 1u);
        }
    }
}

}  // namespace
}  // namespace tessivar
