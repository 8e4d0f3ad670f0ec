// The naming rules, GUID text and the text orders the generated output depends on.
#include <gtest/gtest.h>

#include "engine/file_system.h"
#include "base/guid_text.h"
#include "mapping/names.h"
#include "base/text.h"
#include "base/type_entry.h"

namespace tessivar {
namespace {

TEST(ReservedNames, ExactNamesOnly) {
    const ReservedNames& reserved = ReservedNames::instance();
    for (const char* name : {"equals", "getGuidToken", "wait"}) EXPECT_TRUE(reserved.contains(name)) << name;
    // Another case, a '_' in front, or a Java keyword (which has a rule of its own) is not reserved here.
    for (const char* name : {"Equals", "_equals", "class"}) EXPECT_FALSE(reserved.contains(name)) << name;
    EXPECT_EQ(reserved.size(), 32u);
}

TEST(PackageText, PathToPackageAndPackageToFolder) {
    EXPECT_EQ(pathToPackage("com/example\\widgets"), "com.example.widgets");
    EXPECT_EQ(pathToPackage("com.example"), "com.example");
    const std::string sep(1, kPathSeparator);
    EXPECT_EQ(packageToFolder("com.example"), "com" + sep + "example");
    EXPECT_EQ(packageToFolder("com/example"), "com" + sep + "example");
    EXPECT_EQ(packageToFolder(".hidden.pkg"), ".hidden.pkg");
    EXPECT_EQ(packageToFolder(""), "");
    EXPECT_EQ(javaPackage("com/example", "WidgetLib"), "com.example.WidgetLib");
    EXPECT_EQ(javaPackage("", "WidgetLib"), "WidgetLib");
    EXPECT_EQ(javaPackage("com.example", ""), "com.example");
    // The library's part is its folder's name: no line break or separator of the name reaches the line.
    EXPECT_EQ(javaPackage("p", "Lib\r\n/..\\x"), "p.Lib______x");
}

TEST(GuidText, BracedUpperCaseAndParsedBack) {
    Guid g{0x6b1d2c3e, 0x4f50, 0x4a61, {0x8b, 0x72, 0x9c, 0x83, 0xd4, 0xe5, 0xf6, 0x07}};
    const std::string text = guidText(g);
    EXPECT_EQ(text, "{6B1D2C3E-4F50-4A61-8B72-9C83D4E5F607}");
    EXPECT_EQ(text.size(), 38u);
    EXPECT_EQ(parseGuidText("{6b1d2c3e-4f50-4a61-8b72-9c83d4e5f607}"), g);
    EXPECT_FALSE(parseGuidText("6B1D2C3E-4F50-4A61-8B72-9C83D4E5F607"));
    EXPECT_FALSE(parseGuidText("{6B1D2C3E-4F50-4A61-8B72-9C83D4E5F60X}"));
    EXPECT_FALSE(parseGuidText("{6B1D2C3E04F50-4A61-8B72-9C83D4E5F607}"));
}

TEST(TextOrder, CodeUnitOrderMatchesUtf16) {
    EXPECT_LT(compareCodeUnits("VBRUN", "stdole"), 0);  // upper case sorts first
    EXPECT_LT(compareCodeUnits("abc", "abcd"), 0);
    EXPECT_EQ(compareCodeUnits("abc", "abc"), 0);
    // U+FF21 (one code unit) sorts after U+10000 (a surrogate pair starting 0xD800) in UTF-16,
    // though UTF-8 byte order puts it first.
    EXPECT_GT(compareCodeUnits("\xEF\xBC\xA1", "\xF0\x90\x80\x80"), 0);
    EXPECT_EQ(fromUtf16(toUtf16("a\xC3\xA9\xF0\x90\x80\x80")), "a\xC3\xA9\xF0\x90\x80\x80");
}

TEST(TextOrder, TypeEntriesOrderByGuidIgnoringCaseThenName) {
    TypeEntry a{"A", "", "", "{0000000A-0000-0000-0000-000000000000}", 0, nullptr};
    TypeEntry lower{"A", "", "", "{0000000a-0000-0000-0000-000000000000}", 0, nullptr};
    TypeEntry b{"B", "", "", "{0000000A-0000-0000-0000-000000000000}", 0, nullptr};
    TypeEntrySet set{a, lower, b};
    EXPECT_EQ(set.size(), 2u);
    EXPECT_EQ(set.begin()->name, "A");
}

// The ANSI code page as the Windows build converts it: 0x80..0x9F are Windows-1252 punctuation, the
// five bytes it leaves undefined are the control characters of their number, the rest is Latin-1.
// Bytes that happen to form UTF-8 are still ANSI.
TEST(AnsiText, Windows1252WithTheUndefinedBytesAsControls) {
    EXPECT_EQ(ansiToUtf8("plain"), "plain");
    EXPECT_EQ(ansiToUtf8("\x80\x9F\xA0\xFF"), "\xE2\x82\xAC\xC5\xB8\xC2\xA0\xC3\xBF");
    for (const char* undefined : {"\x81", "\x8D", "\x8F", "\x90", "\x9D"}) {
        SCOPED_TRACE(static_cast<unsigned>(static_cast<unsigned char>(undefined[0])));
        EXPECT_EQ(toUtf16(ansiToUtf8(undefined)), std::u16string(1, static_cast<unsigned char>(undefined[0])));
    }
    EXPECT_EQ(ansiToUtf8("caf\xC3\xA9"), "caf\xC3\x83\xC2\xA9");
    EXPECT_EQ(ansiToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(AnsiText, Utf8ValidityAtEachKindOfFault) {
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("a\xC3\xA9\xE2\x82\xAC\xF4\x8F\xBF\xBF"));  // up to U+10FFFF
    const struct {
        const char* what;
        const char* text;
    } invalid[] = {
        {"lone continuation byte", "\x80"},
        {"lead byte at the end", "a\xC3"},
        {"lead byte before ASCII", "\xE2\x82x"},
        {"overlong form", "\xC0\xAF"},
        {"surrogate", "\xED\xA0\x80"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80"},
        {"no such lead byte", "\xF8\x88\x80\x80\x80"},
    };
    for (const auto& c : invalid) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(isValidUtf8(c.text));
    }
}

TEST(TextReplace, LeftToRightWithoutRescanning) {
    EXPECT_EQ(replaceAll("$P$-$P$", "$P$", "x$P$"), "x$P$-x$P$");
    EXPECT_EQ(replaceAll("none", "$P$", "x"), "none");
}

}  // namespace
}  // namespace tessivar
