// Java's reserved words and literals (Java 17), the names generated files use themselves, and the mapping
// of outside names to Java identifiers built on them.
#include "mapping/java_words.h"

#include <algorithm>
#include <array>

#include "mapping/names.h"
#include "mapping/path_names.h"

namespace tessivar {
namespace {

// Sorted, for binary search.
constexpr std::array<std::string_view, 54> kReservedWords = {
    "_",          "abstract",  "assert",     "boolean",   "break",      "byte",     "case",     "catch",
    "char",       "class",     "const",      "continue",  "default",    "do",       "double",   "else",
    "enum",       "extends",   "false",      "final",     "finally",    "float",    "for",      "goto",
    "if",         "implements", "import",    "instanceof", "int",       "interface", "long",    "native",
    "new",        "null",      "package",    "private",   "protected",  "public",   "return",   "short",
    "static",     "strictfp",  "super",      "switch",    "synchronized", "this",   "throw",    "throws",
    "transient",  "true",      "try",        "void",      "volatile",   "while"};

static_assert(std::is_sorted(kReservedWords.begin(), kReservedWords.end()));

// Names no class or interface may have (restricted identifiers), and the simple names generated files
// use for the runtime's and Java's classes, or as the first part of a qualified name: a generated type
// of such a name would be taken for them in its own package and make them ambiguous where its library
// is imported. Sorted.
constexpr std::array<std::string_view, 29> kAvoidedTypeNames = {
    "BigIntegerRef", "BooleanRef", "ByteRef",    "CharRef",    "CurrencyValueRef", "DateRef",  "Decimal",
    "DispatchPtr",   "DoubleRef",  "FloatRef",   "GUID",       "HashMap",          "IUnknown", "IdentityManager",
    "IntegerRef",    "LongRef",    "Object",     "ObjectRef",  "ShortRef",         "String",   "StringRef",
    "UnknownPtr",    "com",        "java",       "permits",    "record",           "sealed",   "var",
    "yield"};

static_assert(std::is_sorted(kAvoidedTypeNames.begin(), kAvoidedTypeNames.end()));

// Methods every generated proxy declares besides the reserved member names (getGuidToken is one of those).
constexpr std::array<std::string_view, 1> kDeclaredMethods = {"getTypeInfoToken"};

// Code points beyond ASCII that are no part of a Java identifier: controls, spaces, punctuation and
// symbols, private use and specials. What lies outside these ranges is taken as a letter; the ranges
// leave in the currency signs and connector punctuation that Java allows. Sorted, not overlapping.
struct CodePointRange {
    char32_t first, last;
};
constexpr std::array<CodePointRange, 45> kNonIdentifierRanges = {{
    {0x0080, 0x00A1}, {0x00A6, 0x00A9}, {0x00AB, 0x00B4}, {0x00B6, 0x00B9}, {0x00BB, 0x00BF},
    {0x00D7, 0x00D7}, {0x00F7, 0x00F7}, {0x037E, 0x037E}, {0x0387, 0x0387}, {0x055A, 0x055F},
    {0x0589, 0x058A}, {0x060C, 0x060D}, {0x061B, 0x061F}, {0x066A, 0x066D}, {0x06D4, 0x06D4},
    {0x0964, 0x0965}, {0x0E4F, 0x0E4F}, {0x1680, 0x1680}, {0x2000, 0x203E}, {0x2041, 0x2053},
    {0x2055, 0x206F}, {0x2100, 0x2101}, {0x2103, 0x2106}, {0x2108, 0x2109}, {0x2190, 0x2BFF},
    {0x2E00, 0x2E7F}, {0x3000, 0x3004}, {0x3008, 0x3020}, {0x3030, 0x3030}, {0x303D, 0x303F},
    {0xE000, 0xF8FF}, {0xFD3E, 0xFD3F}, {0xFE10, 0xFE32}, {0xFE35, 0xFE4C}, {0xFE50, 0xFE68},
    {0xFE6A, 0xFE6F}, {0xFEFF, 0xFF03}, {0xFF05, 0xFF0F}, {0xFF1A, 0xFF20}, {0xFF3B, 0xFF3E},
    {0xFF40, 0xFF40}, {0xFF5B, 0xFF65}, {0xFFF0, 0xFFFF}, {0x1F000, 0x1FFFF}, {0xF0000, 0x10FFFF},
}};

static_assert(std::is_sorted(kNonIdentifierRanges.begin(), kNonIdentifierRanges.end(),
                             [](const CodePointRange& a, const CodePointRange& b) { return a.last < b.first; }));

bool inNonIdentifierRange(char32_t c) {
    const auto after = std::upper_bound(kNonIdentifierRanges.begin(), kNonIdentifierRanges.end(), c,
                                        [](char32_t v, const CodePointRange& r) { return v < r.first; });
    return after != kNonIdentifierRanges.begin() && c <= std::prev(after)->last;
}

bool isAsciiIdentifierPart(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
}

// The length of the well-formed UTF-8 sequence at `pos` with its code point, or 0 when the byte there
// starts none.
std::size_t utf8Sequence(std::string_view s, std::size_t pos, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[pos]);
    std::size_t length = b0 >= 0xF0 && b0 < 0xF5 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC2 && b0 < 0xE0 ? 2 : 0;
    if (b0 >= 0xF5) length = 0;
    if (length == 0 || s.size() - pos < length) return 0;
    cp = b0 & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(s[pos + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

// The character rule: every character that cannot be part of an identifier becomes '_'. Each character
// gives itself or one '_', so the text is rewritten in place, never growing.
std::string identifierCharacters(std::string_view name) {
    std::string out(name);
    std::size_t n = 0;
    for (std::size_t i = 0; i < name.size();) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c < 0x80) {
            out[n++] = isAsciiIdentifierPart(c) ? static_cast<char>(c) : '_';
            ++i;
            continue;
        }
        char32_t cp = 0;
        const std::size_t length = utf8Sequence(name, i, cp);
        if (length == 0 || inNonIdentifierRange(cp)) {
            out[n++] = '_';
            i += length == 0 ? 1 : length;
            continue;
        }
        for (const std::size_t end = i + length; i < end;) out[n++] = name[i++];
    }
    out.resize(n);
    return out;
}

// Combining marks continue an identifier but cannot start one; nor can a digit.
bool startsIdentifier(std::string_view name) {
    if (name.empty()) return false;
    const auto c = static_cast<unsigned char>(name[0]);
    if (c < 0x80) return !(c >= '0' && c <= '9');
    char32_t cp = 0;
    return utf8Sequence(name, 0, cp) == 0 || !(cp >= 0x0300 && cp <= 0x036F);
}

template <std::size_t N>
bool inSorted(const std::array<std::string_view, N>& words, std::string_view name) {
    return std::binary_search(words.begin(), words.end(), name);
}

// The names `use` steps around with a '_' in front, besides the reserved words.
bool isAvoided(std::string_view name, JavaNameUse use) {
    switch (use) {
        case JavaNameUse::Type:
            return inSorted(kAvoidedTypeNames, name) || isWindowsDeviceName(name);
        case JavaNameUse::PackagePart:
            return isWindowsDeviceName(name);
        case JavaNameUse::Method:
            return ReservedNames::instance().contains(name) || inSorted(kDeclaredMethods, name);
        default:
            return false;
    }
}

}  // namespace

bool isJavaReservedWord(std::string_view name) { return inSorted(kReservedWords, name); }

std::string javaIdentifier(std::string_view name, JavaNameUse use) {
    if (use == JavaNameUse::PackagePart && name.empty()) return {};
    std::string id = identifierCharacters(name);
    if (use == JavaNameUse::NamePart) return id;
    if (!startsIdentifier(id)) id.insert(0, 1, '_');
    return clearOfReservedWords(std::move(id), use);
}

std::string clearOfReservedWords(std::string id, JavaNameUse use) {
    if (isJavaReservedWord(id) || isAvoided(id, use)) id.insert(0, 1, '_');
    return id;
}

}  // namespace tessivar
