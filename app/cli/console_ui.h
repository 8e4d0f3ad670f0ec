// The user-interaction seam for a terminal: log lines to standard output, messages to standard error.
#pragma once

#include <cstdio>

#include "engine/user_interface.h"

namespace tessivar {

class ConsoleUi : public UserInterface {
public:
    explicit ConsoleUi(bool quiet) : quiet_(quiet) {}
    void appendLog(const std::string& line) override;
    void clearLog() override {}
    void messageBox(const std::string& text, const std::string& caption, MessageIcon icon) override;
    // There is no folder browser on a terminal: every browse is a cancel.
    std::optional<std::string> browseForFolder(const std::string&, const std::string&) override { return std::nullopt; }
    int errorMessages() const { return errors_; }

private:
    bool quiet_;
    int errors_ = 0;
};

}  // namespace tessivar
