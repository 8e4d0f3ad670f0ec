// Java's reserved words and literals (Java 17), and the member name rule built on them.
#include "mapping/java_words.h"

#include <algorithm>
#include <array>

#include "mapping/names.h"

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

}  // namespace

bool isJavaReservedWord(std::string_view name) {
    return std::binary_search(kReservedWords.begin(), kReservedWords.end(), name);
}

std::string javaMemberName(std::string_view name) {
    if (!isJavaReservedWord(name)) return safeIdentifier(name);
    std::string prefixed(1, '_');
    prefixed += name;
    return prefixed;
}

}  // namespace tessivar
