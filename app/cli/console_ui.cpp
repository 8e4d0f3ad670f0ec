// Console implementation of the user-interaction seam.
#include "app/cli/console_ui.h"

namespace tessivar {

void ConsoleUi::appendLog(const std::string& line) {
    if (quiet_) return;
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

void ConsoleUi::messageBox(const std::string& text, const std::string& caption, MessageIcon icon) {
    if (icon == MessageIcon::Error) ++errors_;
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

}  // namespace tessivar
