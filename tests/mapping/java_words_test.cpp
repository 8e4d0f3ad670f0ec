// Outside names as Java identifiers: the mapping per use, and the escaping of outside text in literals
// and comments.
#include <gtest/gtest.h>

#include "mapping/java_text.h"
#include "mapping/java_words.h"

namespace tessivar {
namespace {

struct IdentifierCase {
    std::string name;
    JavaNameUse use;
    std::string java;
};

constexpr auto kType = JavaNameUse::Type;
constexpr auto kPackage = JavaNameUse::PackagePart;
constexpr auto kMethod = JavaNameUse::Method;
constexpr auto kParameter = JavaNameUse::Parameter;
constexpr auto kConstant = JavaNameUse::Constant;
constexpr auto kPart = JavaNameUse::NamePart;

TEST(JavaIdentifier, Table) {
    const IdentifierCase cases[] = {
        // Identifiers stay as they are, whatever the use.
        {"IWidget", kType, "IWidget"},
        {"_WidgetEvents", kType, "_WidgetEvents"},
        {"$Dollar_1", kConstant, "$Dollar_1"},
        {"Gr\xC3\xBC\xC3\x9F" "e", kType, "Gr\xC3\xBC\xC3\x9F" "e"},  // letters beyond ASCII
        {"\xE2\x82\xAC" "uro", kParameter, "\xE2\x82\xAC" "uro"},        // a currency sign may start one
        {"a\xE2\x80\xBF" "b", kMethod, "a\xE2\x80\xBF" "b"},             // so may connector punctuation
        {"\xE6\x97\xA5\xE6\x9C\xAC", kPackage, "\xE6\x97\xA5\xE6\x9C\xAC"},
        {"Class", kMethod, "Class"},
        {"String", kMethod, "String"},
        {"CON", kMethod, "CON"},
        // Characters that no identifier holds become '_', each character once.
        {"a b", kType, "a_b"},
        {"a.b-c", kPackage, "a_b_c"},
        {"x() { }", kMethod, "x______"},
        {"a\r\nb", kConstant, "a__b"},
        {"a\xE2\x80\xA8" "b", kConstant, "a_b"},  // U+2028
        {"a\xC2\xA0" "b", kConstant, "a_b"},      // no-break space
        {"a\xC3" "b", kConstant, "a_b"},          // invalid UTF-8, byte by byte
        {std::string("a\0b", 3), kConstant, "a_b"},
        {"a\\u0022b", kMethod, "a_u0022b"},
        // A name that cannot start an identifier.
        {"1st", kParameter, "_1st"},
        {"", kType, "__"},
        {"", kPackage, ""},
        {"", kMethod, "__"},
        // Reserved words and literals, for every use that stands alone.
        {"final", kConstant, "_final"},
        {"native", kConstant, "_native"},
        {"transient", kConstant, "_transient"},
        {"class", kMethod, "_class"},
        {"int", kPackage, "_int"},
        {"null", kType, "_null"},
        {"_", kParameter, "__"},
        {"Final", kConstant, "Final"},
        // Type names generated files use themselves, restricted type names, and device names.
        {"String", kType, "_String"},
        {"GUID", kType, "_GUID"},
        {"Object", kType, "_Object"},
        {"DispatchPtr", kType, "_DispatchPtr"},
        {"IntegerRef", kType, "_IntegerRef"},
        {"java", kType, "_java"},
        {"var", kType, "_var"},
        {"record", kType, "_record"},
        {"var", kMethod, "var"},
        {"CON", kType, "_CON"},
        {"lpt1", kPackage, "_lpt1"},
        {"COM10", kType, "COM10"},
        // Method names: the reserved member names and the methods every proxy declares.
        {"equals", kMethod, "_equals"},
        {"getTypeInfoToken", kMethod, "_getTypeInfoToken"},
        {"getGuidToken", kMethod, "_getGuidToken"},
        {"getTypeInfoToken", kParameter, "getTypeInfoToken"},
        // A part that follows a prefix keeps only the character rule.
        {"class", kPart, "class"},
        {"1 2", kPart, "1_2"},
        {"", kPart, ""},
    };
    for (const auto& [name, use, java] : cases) {
        SCOPED_TRACE(name + " as use " + std::to_string(static_cast<int>(use)));
        EXPECT_EQ(javaIdentifier(name, use), java);
        EXPECT_EQ(javaIdentifier(java, use), java);  // a Java name is left as it is
    }
}

TEST(JavaStringText, EscapesWhatWouldEndOrBendTheLiteral) {
    const std::pair<std::string, std::string> cases[] = {
        {"Widget.Application.1", "Widget.Application.1"},
        {"{00020400-0000-0000-C000-000000000046}", "{00020400-0000-0000-C000-000000000046}"},
        {"a\"b", "a\\\"b"},
        {"C:\\lib\\x.tlb", "C:\\\\lib\\\\x.tlb"},
        {"\\u0022", "\\\\u0022"},  // the doubled backslash starts no Unicode escape
        {"a\r\nb\tc", "a\\r\\nb\\tc"},
        {std::string("\0\x1B\x7F" "1", 4), "\\000\\033\\1771"},
        {"a\xE2\x80\xA8" "b\xE2\x80\xA9", "a\\u2028b\\u2029"},
        {"Gr\xC3\xBC\xC3\x9F" "e", "Gr\xC3\xBC\xC3\x9F" "e"},
    };
    for (const auto& [text, literal] : cases) EXPECT_EQ(javaStringText(text), literal) << text;
}

TEST(LineCommentText, NothingEndsTheLine) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\lib\\widget.tlb", "C:\\lib\\widget.tlb"},
        {"/usr/lib/x.tlb */", "/usr/lib/x.tlb */"},
        {"c:\\users\\x.tlb", "c:\\\\users\\x.tlb"},    // an odd backslash run before 'u' is made even
        {"c:\\\\users", "c:\\\\users"},
        {"a\r\nimport x;", "a\\x0D\\x0Aimport x;"},
        {"a\x1B[2J\x7F", "a\\x1B[2J\\x7F"},
        {"a\xE2\x80\xA8" "b", "a\\xE2\\x80\\xA8b"},
        {"a\\\nu", "a\\\\x0Au"},                       // the line feed's escape follows the backslash
    };
    for (const auto& [text, comment] : cases) EXPECT_EQ(lineCommentText(text), comment) << text;
}

TEST(JavadocText, NothingEndsTheCommentOrItsLine) {
    EXPECT_EQ(javadocText("a**/b \\U \\"), "a**&#47;b \\U \\");
    EXPECT_EQ(javadocText("Ends */ early, \\u0041"), "Ends *&#47; early, &#92;u0041");
    EXPECT_EQ(javadocText("one\r\ntwo\xE2\x80\xA8three\xE2\x80\xA9"), "one&#13;&#10;two&#8232;three&#8233;");
    EXPECT_EQ(javadocText("Returns the widget's colour."), "Returns the widget's colour.");
}

}  // namespace
}  // namespace tessivar
