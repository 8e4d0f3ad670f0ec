// Console implementation of the user-interaction seam.
#include "app/cli/console_ui.h"

#include "mapping/path_names.h"

namespace tessivar {

void ConsoleUi::appendLog(const std::string& line) {
    const bool isError = line.starts_with("Error: ");
    const bool isWarning = line.starts_with("Incomplete: ");
    if (!isError && !isWarning && quiet_) return;
    clearProgress();
    if (isError || isWarning) {
        if (isError) ++errors_;
        flushLog();
        err_ << printableName(line) << '\n';
    } else {
        out_ << printableName(line) << '\n';
        if (flushEachLine_) out_.flush();
    }
    drawProgress();
}

void ConsoleUi::messageBox(const std::string& text, const std::string& caption, MessageIcon icon) {
    clearProgress();
    flushLog();
    if (icon == MessageIcon::Error) ++errors_;
    err_ << printableName(caption) << ": " << printableName(text) << '\n';
    drawProgress();
}

void ConsoleUi::note(const std::string& text, bool evenWhenQuiet) {
    if (quiet_ && !evenWhenQuiet) return;
    clearProgress();
    flushLog();
    err_ << printableName(text) << '\n';
    drawProgress();
}

void ConsoleUi::progress(std::size_t done, std::size_t total) {
    out_.flush();
    if (!showProgress_) return;
    clearProgress();
    done_ = done;
    total_ = total;
    drawProgress();
    if (done >= total) {
        // The last count stays on screen as the summary of the run.
        err_ << '\n';
        progressShown_ = false;
        total_ = 0;
    }
    err_.flush();
}

void ConsoleUi::flushLog() {
    if (!flushEachLine_) out_.flush();
}

void ConsoleUi::drawProgress() {
    if (!showProgress_ || total_ == 0) return;
    err_ << done_ << " of " << total_ << " classes done";
    err_.flush();
    progressShown_ = true;
}

void ConsoleUi::clearProgress() {
    if (!progressShown_) return;
    err_ << "\r\033[K";
    progressShown_ = false;
}

}  // namespace tessivar
