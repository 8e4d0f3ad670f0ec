// Outside texts (names, ProgIDs, GUID texts, paths, documentation) as generated Java holds them inside
// string literals and comments, where no text may end the literal, the comment or the line.
#pragma once

#include <string>
#include <string_view>

namespace tessivar {

// The characters between the quotes of a Java string literal that stands for `text`: '"' and '\' get a
// backslash, CR, LF and tab their escapes, other control characters an octal escape, and the Unicode line
// and paragraph separators a Unicode escape. Other text is unchanged.
std::string javaStringText(std::string_view text);
// javaStringText(text) appended to `out`.
void appendJavaStringText(std::string& out, std::string_view text);

// `text` as the rest of a "//" comment line: control characters (CR and LF among them) are written as
// "\xNN", as the log shows them, the Unicode line and paragraph separators by their UTF-8 bytes the same
// way, and a backslash run before 'u' is made even so that Java reads no Unicode escape. Other text is
// unchanged.
std::string lineCommentText(std::string_view text);

// `text` inside a Javadoc comment: "*/" would end the comment, and a backslash before 'u' starts a Unicode
// escape anywhere in a Java file; line breaks would leave the comment's layout. All are written as HTML
// character references, which Javadoc shows as the original characters.
std::string javadocText(std::string_view text);

}  // namespace tessivar
