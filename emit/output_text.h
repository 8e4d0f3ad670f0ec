// OutputText: one generated file as the emitters see it; the engine's files implement it.
#pragma once

#include <string_view>

#include "emit/java_lines.h"

namespace tessivar {

// Writes to a file that could not be opened are ignored (its failure was told when it was opened). The
// bytes written replace the file at its path when it is closed; dropped unclosed by an exception, the
// file leaves that path alone.
class OutputText {
public:
    virtual ~OutputText() = default;
    virtual bool isOpen() const = 0;
    virtual void write(std::string_view text) = 0;
    // text and the line end of generated Java files.
    void writeLine(std::string_view text) {
        write(text);
        write(kLineEnd);
    }
    // Flushes and closes; false when any write or the close failed.
    virtual bool close() = 0;
};

}  // namespace tessivar
