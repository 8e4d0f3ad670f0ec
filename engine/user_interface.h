// The user-interaction seam: the log, message boxes and the folder browser of a front end.
#pragma once

#include <optional>
#include <string>

namespace tessivar {

enum class MessageIcon { Information, Error };

class UserInterface {
public:
    virtual ~UserInterface() = default;
    // Appends one line to the log and brings it into view.
    virtual void appendLog(const std::string& line) = 0;
    virtual void clearLog() = 0;
    virtual void messageBox(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
    // Shows a folder browser opened at startFolder; the chosen folder, or nothing on cancel.
    virtual std::optional<std::string> browseForFolder(const std::string& title, const std::string& startFolder) = 0;
};

}  // namespace tessivar
