// Lines of generated Java. Every line of a generated Java file ends here: the emitters append their lines
// with addLine (or write them with OutputText::writeLine) and never spell a line end themselves.
#pragma once

#include <string>
#include <string_view>

#include "base/text.h"

namespace tessivar {

// The line end of generated Java files.
inline constexpr std::string_view kLineEnd = "\r\n";

// Appends one line: the pieces in order, then the line end. Without pieces, an empty line.
template <typename... Pieces>
void addLine(std::string& out, const Pieces&... pieces) {
    appendParts(out, pieces..., kLineEnd);
}

// A few lines end with LF alone, and the files keep those bytes: the proxyIID line of the class part and
// the two lines of a listener member. An empty line with the usual end follows the proxyIID line and each
// listener member, which gives the bytes LF, CR LF there.
template <typename... Pieces>
void addLfLine(std::string& out, const Pieces&... pieces) {
    appendParts(out, pieces..., std::string_view("\n"));
}

// A Javadoc block at member indent whose one line of text is the pieces.
template <typename... Pieces>
void addJavadoc(std::string& out, const Pieces&... pieces) {
    addLine(out, "    /**");
    addLine(out, "     * ", pieces...);
    addLine(out, "     */");
}

}  // namespace tessivar
