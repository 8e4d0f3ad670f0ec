// Escaping of outside texts for Java string literals, line comments and Javadoc comments.
#include "mapping/java_text.h"

#include <algorithm>

namespace tessivar {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// The UTF-8 bytes of U+2028 LINE SEPARATOR and U+2029 PARAGRAPH SEPARATOR start at `i`: 2028 or 2029,
// else 0. Some tools end lines there, so no outside text keeps them raw.
int unicodeSeparatorAt(std::string_view text, std::size_t i) {
    if (text.size() - i < 3 || text[i] != '\xE2' || text[i + 1] != '\x80') return 0;
    if (text[i + 2] == '\xA8') return 2028;
    if (text[i + 2] == '\xA9') return 2029;
    return 0;
}

void addHexByte(std::string& out, unsigned char c) {
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 0xF];
}

void addOctalEscape(std::string& out, unsigned char c) {
    // Always three digits, so that a digit after it is not read as part of it.
    out += '\\';
    out += static_cast<char>('0' + (c >> 6));
    out += static_cast<char>('0' + ((c >> 3) & 7));
    out += static_cast<char>('0' + (c & 7));
}

}  // namespace

std::string javaStringText(std::string_view text) {
    std::string out;
    appendJavaStringText(out, text);
    return out;
}

void appendJavaStringText(std::string& out, std::string_view text) {
    // Most texts are names with nothing to escape: none of the bytes the loop below changes or starts an
    // escape at (0xE2 begins the line and paragraph separators).
    if (std::none_of(text.begin(), text.end(), [](char c) {
            return c == '"' || c == '\\' || c == '\xE2' || isControl(static_cast<unsigned char>(c));
        })) {
        out += text;
        return;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (const int separator = unicodeSeparatorAt(text, i)) {
            out += separator == 2028 ? "\\u2028" : "\\u2029";
            i += 2;
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (isControl(c)) {
            addOctalEscape(out, c);
        } else {
            out += static_cast<char>(c);
        }
    }
}

std::string lineCommentText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t backslashRun = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (unicodeSeparatorAt(text, i)) {
            for (std::size_t k = 0; k < 3; ++k) addHexByte(out, static_cast<unsigned char>(text[i + k]));
            i += 2;
            backslashRun = 0;
            continue;
        }
        if (isControl(c)) {
            addHexByte(out, c);
            backslashRun = 0;
            continue;
        }
        // Java reads "\u" as a Unicode escape even in comments unless an odd run of backslashes precedes
        // the 'u' ("c:\users"); one more backslash makes the run even.
        if (c == 'u' && backslashRun % 2 == 1) out += '\\';
        backslashRun = c == '\\' ? backslashRun + 1 : 0;
        out += static_cast<char>(c);
    }
    return out;
}

std::string javadocText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (const int separator = unicodeSeparatorAt(text, i)) {
            out += separator == 2028 ? "&#8232;" : "&#8233;";
            i += 2;
        } else if (c == '*' && next == '/') {
            out += "*&#47;";
            ++i;
        } else if (c == '\\' && next == 'u') {
            out += "&#92;";
        } else if (c == '\r') {
            out += "&#13;";
        } else if (c == '\n') {
            out += "&#10;";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace tessivar
