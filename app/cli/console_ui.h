// The user-interaction seam for a terminal: log lines to standard output, messages and progress to
// standard error. Names, paths and texts from libraries and registries reach both: every control
// character in them is shown as "\xNN", so none can move the cursor, change colours or fake a line.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include "engine/user_interface.h"

namespace tessivar {

class ConsoleUi : public UserInterface {
public:
    // `quiet` drops the log lines; `showProgress` (standard error is a terminal) draws a progress line.
    ConsoleUi(std::ostream& out, std::ostream& err, bool quiet, bool showProgress)
        : out_(out), err_(err), quiet_(quiet), showProgress_(showProgress) {}

    // The engine reports a file it could not write as a log line starting "Error: ", and what a type
    // lost to unreadable type information as one starting "Incomplete: "; those are messages for the
    // user, not progress, so they go to standard error even with --quiet.
    void appendLog(const std::string& line) override;
    void clearLog() override {}
    void messageBox(const std::string& text, const std::string& caption, MessageIcon icon) override;
    // There is no folder browser on a terminal: every browse is a cancel.
    std::optional<std::string> browseForFolder(const std::string&, const std::string&) override { return std::nullopt; }

    // The command line's own errors, in the form of the run's "Error" messages.
    void error(const std::string& text) { messageBox(text, "Error", MessageIcon::Error); }
    // A line for the user that is no error (stored settings in use, the run's summary); --quiet drops
    // it unless `evenWhenQuiet`.
    void note(const std::string& text, bool evenWhenQuiet = false);
    void progress(std::size_t done, std::size_t total);
    // With false, log lines are written out when a class is done (and before any message), not one by
    // one: a log going to a file or a pipe then costs a write per class instead of one per line.
    void flushEachLine(bool each) { flushEachLine_ = each; }

    int errors() const { return errors_; }
    bool quiet() const { return quiet_; }

private:
    // Log lines and messages go above the progress line, which is drawn again below them.
    void clearProgress();
    void drawProgress();
    // Log lines held back go out before anything is written to standard error, which may be the same file.
    void flushLog();

    std::ostream& out_;
    std::ostream& err_;
    bool quiet_;
    bool showProgress_;
    bool flushEachLine_ = true;
    bool progressShown_ = false;
    std::size_t done_ = 0, total_ = 0;
    int errors_ = 0;
};

}  // namespace tessivar
