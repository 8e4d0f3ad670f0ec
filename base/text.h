// Text helpers. Every text in the program is UTF-8 in a std::string; the orders the generated output
// depends on are defined here over that representation.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessivar {

// Compares as UTF-16 code units (unsigned, first difference decides, a prefix is smaller).
// Invalid UTF-8 bytes compare as the code units 0xDC80..0xDCFF (each byte on its own).
int compareCodeUnits(std::string_view a, std::string_view b);

struct CodeUnitLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return compareCodeUnits(a, b) < 0; }
};

// Case-insensitive comparison of narrow text in the manner of the ANSI comparison the program uses
// for GUID texts: ASCII letters fold to upper case, other bytes compare as unsigned bytes.
int compareIgnoreCase(std::string_view a, std::string_view b);
bool equalsIgnoreCase(std::string_view a, std::string_view b);

std::u16string toUtf16(std::string_view utf8);
std::string fromUtf16(std::u16string_view utf16);
bool isValidUtf8(std::string_view text);

// Text of bytes in the ANSI code page, Windows-1252, as the platform converts it: the five bytes the
// code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of the same
// number, so the portable and the Windows build read the same text.
std::string ansiToUtf8(std::string_view ansi);

// The path with every '\' turned into '/'.
std::string nativePath(const std::string& path);

// Appends the parts in order, each anything a std::string_view is made from (a template, so that
// literal parts keep their lengths known when compiled). Generated text is built with it.
template <typename... Parts>
void appendParts(std::string& out, const Parts&... parts) {
    (out.append(std::string_view(parts)), ...);
}

// Replaces every occurrence of `from` (non-empty) by `to`, left to right, never rescanning `to`.
// "a", "a and b", "a, b and c": the items joined by ", " and `last` before the last one.
std::string listText(const std::vector<std::string>& items, std::string_view last = " and ");

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);

}  // namespace tessivar
