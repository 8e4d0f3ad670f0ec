// Reading Wine registry files and regedit exports, and refusing malformed ones with the right line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/registry/registry_test_support.h"
#include "typelib/posix/reg_parse.h"
#include "typelib/posix/reg_text.h"

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
    for (const auto& [name, key] : root.find("K")->subkeys) names.emplace_back(std::string_view(name));
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "C", "d", "e"}));
    EXPECT_TRUE(root.find("k\\B\\X"));
}

// Names that need no decoding are kept as they stand in the file, the others decoded: lines of either
// kind, sharing keys with the line before, name the same keys in their own spelling.
TEST(WineRegistryFile, PlainAndEscapedKeyNamesKeepTheirSpelling) {
    std::string text = "WINE REGISTRY Version 2\n"
                       "[Plain\\\\First]\n"
                       "[Plain\\\\Esc\\x0041ped\\\\Deeper]\n"
                       "[Plain\\\\EscAped\\\\Deeper\\\\Plainer]\n"
                       "[Plain\\\\Last\\\\\\\"Quoted\\\"]\n";
    RegNode root;
    ASSERT_FALSE(parseWineRegistry(text, root));
    std::vector<std::string> names;
    for (const auto& [name, key] : root.find("Plain")->subkeys) names.emplace_back(std::string_view(name));
    EXPECT_EQ(names, (std::vector<std::string>{"EscAped", "First", "Last"}));
    EXPECT_TRUE(root.find("plain\\escaped\\DEEPER\\plainer"));
    const auto& last = root.find("Plain\\Last")->subkeys;
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(std::string_view(last.begin()->first), "\"Quoted\"");
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
    // Bytes that would also read as UTF-8 are ANSI all the same, as the platform converts them.
    RegRoots utf8Like;
    ASSERT_FALSE(parseRegExport("REGEDIT4\n[HKEY_CLASSES_ROOT\\K]\n@=hex(2):c3,a9,00\n", utf8Like));
    EXPECT_EQ(valueAt(utf8Like.classesRoot, "K", "")->text(), "\xC3\x83\xC2\xA9");

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

// One reader serves both quoted forms: each case is read, then only checked, which must stop at the same
// place; the text starts after the opening delimiter.
TEST(QuotedString, BothEscapeFormsReadAndCheckAlike) {
    using regtext::Escapes;
    const struct {
        const char* what;
        std::string text;
        char end;
        Escapes escapes;
        std::optional<std::string> read;  // nothing when refused
        std::size_t after;                // where reading stops
    } cases[] = {
        {"plain", "abc\" rest", '"', Escapes::Wine, "abc", 4},
        {"quote and backslash escapes", "a\\\"b\\\\c\"", '"', Escapes::Wine, "a\"b\\c", 8},
        {"key line ends at ']'", "A\\\\B] 12", ']', Escapes::Wine, "A\\B", 5},
        {"C letters", "\\t\\n\\e\"", '"', Escapes::Wine, "\t\n\x1b", 7},
        {"\\x takes at most four digits", "\\x00411\"", '"', Escapes::Wine, "A1", 8},
        {"\\x without digits is an x", "\\xg\"", '"', Escapes::Wine, "xg", 4},
        {"surrogate pair of two escapes", "\\xd83c\\xdf0e\"", '"', Escapes::Wine, "\xF0\x9F\x8C\x8E", 13},
        {"octal takes at most three digits", "\\1011\"", '"', Escapes::Wine, "A1", 6},
        {"other escapes stand for the character", "\\]\\q\"", '"', Escapes::Wine, "]q", 5},
        {"UTF-8 after an escape", "\\\xC3\xA9\"", '"', Escapes::Wine, "\xC3\xA9", 4},
        {"UTF-8 with escapes", "\xC3\xA9\\t\"", '"', Escapes::Wine, "\xC3\xA9\t", 5},
        {"Wine: unterminated", "abc", '"', Escapes::Wine, std::nullopt, 0},
        {"Wine: escape at the end", "abc\\", '"', Escapes::Wine, std::nullopt, 0},
        {"Wine: escaped delimiter", "abc\\\"", '"', Escapes::Wine, std::nullopt, 0},
        {"export escapes", "a\\\"b\\\\c\"", '"', Escapes::Export, "a\"b\\c", 8},
        {"export keeps other backslashes", "C:\\temp\\n\"", '"', Escapes::Export, "C:\\temp\\n", 10},
        {"export keeps UTF-8", "caf\xC3\xA9\"", '"', Escapes::Export, "caf\xC3\xA9", 6},
        {"export: unterminated", "a\\\"", '"', Escapes::Export, std::nullopt, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::size_t readPos = 0, checkPos = 0;
        std::string out = "stale", why, checkWhy;
        const bool read = regtext::readQuoted(c.text, readPos, c.end, c.escapes, &out, why);
        const bool checked = regtext::readQuoted(c.text, checkPos, c.end, c.escapes, nullptr, checkWhy);
        EXPECT_EQ(checked, read);
        if (!c.read) {
            EXPECT_FALSE(read);
            EXPECT_EQ(why, "text ends inside a quoted string");
            EXPECT_EQ(checkWhy, why);
            continue;
        }
        ASSERT_TRUE(read) << why;
        EXPECT_EQ(out, *c.read);
        EXPECT_EQ(readPos, c.after);
        EXPECT_EQ(checkPos, c.after);
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
    EXPECT_EQ(error->message, m.message);
}

TEST(WineRegistryFile, MalformedFilesNameTheLine) {
    const std::string h = "WINE REGISTRY Version 2\n";
    const std::string k = h + "[Key]\n";
    const Malformed cases[] = {
        {"empty file", "", 1, "not a Wine registry file: the first line is not \"WINE REGISTRY Version 2\""},
        {"other header", "REGEDIT4\n", 1, "not a Wine registry file: the first line is not \"WINE REGISTRY Version 2\""},
        {"unclosed key", h + "\n[Software\\\\Foo\n", 3, "key line: text ends inside a quoted string"},
        {"empty key name", h + "[A\\\\\\\\B]\n", 2, "empty key name in the key path"},
        {"value before key", h + "\"v\"=\"x\"\n", 2, "value line before the first key line"},
        {"unterminated string", k + "\"v\"=\"abc\n", 3, "text ends inside a quoted string"},
        {"unterminated name", k + "\"v=1\n", 3, "value name: text ends inside a quoted string"},
        {"missing =", k + "\"v\" \"x\"\n", 3, "expected '=' after the value name"},
        {"text after value", k + "\"v\"=\"x\" y\n", 3, "unexpected text after the value"},
        {"bad hex byte", k + "\"v\"=hex:01,zz\n", 3, "expected a hexadecimal byte in the value data"},
        {"missing comma", k + "\"v\"=hex:01,\\\n  02 03\n", 4, "expected ',' between the bytes of the value data"},
        {"continued at end", k + "\"v\"=hex:01,\\\n", 3, "value data continued past the end of the file"},
        {"long dword", k + "\"v\"=dword:123456789\n", 3, "expected up to 8 hexadecimal digits after \"dword:\""},
        {"empty dword", k + "\"v\"=dword:\n", 3, "expected up to 8 hexadecimal digits after \"dword:\""},
        {"bad str type", k + "\"v\"=str(2:\"x\"\n", 3, "malformed \"str(N):\" value"},
        {"bad hex type", k + "\"v\"=hex(q):00\n", 3, "unrecognised value data"},
        {"unknown data", k + "\"v\"=bogus\n", 3, "unrecognised value data"},
        {"stray text", k + "bogus\n", 3, "expected a key line, a value line or a comment"},
        {"bad line under a repeated key", k + "\"v\"=\"1\"\n[Other]\n@=\"o\"\n[key]\n\"w\"=hex:01,\\\n  zz\n", 8,
         "expected a hexadecimal byte in the value data"},
        {"bad name escape", k + "\"v\\\"=1\n", 3, "value name: text ends inside a quoted string"},
    };
    for (const Malformed& m : cases) expectRefused(m, true);
}

TEST(RegExport, MalformedFilesNameTheLine) {
    const std::string k = "REGEDIT4\n[HKEY_CLASSES_ROOT\\K]\n";
    const char* notAnExport =
        "not a registry export: the first line is neither \"REGEDIT4\" nor \"Windows Registry Editor Version 5.00\"";
    const Malformed cases[] = {
        {"other header", "REGEDIT5\n", 1, notAnExport},
        {"empty file", "", 1, notAnExport},
        {"odd UTF-16", std::string("\xFF\xFE" "R\0E\0G", 7), 1, "the UTF-16 text ends in the middle of a character"},
        {"big endian", std::string("\xFE\xFF\0R", 4), 1, "big-endian UTF-16 is not a registry export form"},
        {"unknown root", "REGEDIT4\n\n[HKEY_NOWHERE\\X]\n", 3, "unknown root key \"HKEY_NOWHERE\""},
        {"unclosed key", "REGEDIT4\n[HKEY_CLASSES_ROOT\\X\n", 2, "key line without a closing ']'"},
        {"empty key name", "REGEDIT4\n[HKEY_CLASSES_ROOT\\A\\\\B]\n", 2, "empty key name in the key path"},
        {"value before key", "REGEDIT4\n@=\"x\"\n", 2, "value line before the first key line"},
        {"unterminated", k + "@=\"x\n", 3, "text ends inside a quoted string"},
        {"bad hex", k + "@=hex(2):4g\n", 3, "expected ',' between the bytes of the value data"},
        {"dangling continuation", k + "@=hex:00,\\\n", 3, "value data continued past the end of the file"},
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
    expectRefused({"long key name", h + "[" + std::string(256, 'k') + "]\n", 2, "key name longer than 255 characters"}, true);
    expectRefused({"long value name", h + "[K]\n\"" + std::string(16384, 'v') + "\"=\"\"\n", 3,
                   "value name longer than 16383 characters"},
                  true);
    // The limits count UTF-16 code units, not bytes: 255 two-byte characters make a name that fits, and a
    // character beyond the BMP takes two units.
    std::string accented, globes;
    for (int i = 0; i < 255; ++i) accented += "\\x00e9";
    for (int i = 0; i < 128; ++i) globes += "\\xd83c\\xdf0e";
    RegNode accentedOk;
    EXPECT_FALSE(parseWineRegistry(h + "[" + accented + "]\n\"" + accented + "\"=\"\"\n", accentedOk));
    expectRefused({"long accented key name", h + "[" + accented + "\\x00e9]\n", 2, "key name longer than 255 characters"},
                  true);
    expectRefused({"key name of 256 units in 128 characters", h + "[" + globes + "]\n", 2,
                   "key name longer than 255 characters"},
                  true);

    std::string deep;
    for (int i = 0; i < 512; ++i) deep += (i ? "\\\\k" : "k");
    RegNode deepOk;
    EXPECT_FALSE(parseWineRegistry(h + "[" + deep + "]\n", deepOk));
    expectRefused({"too deep", h + "[" + deep + "\\\\k]\n", 2, "key path deeper than 512 levels"}, true);
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
