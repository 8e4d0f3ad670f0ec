// Where the console puts log lines, messages and the progress line.
#include <gtest/gtest.h>

#include <sstream>

#include "app/cli/console_ui.h"

namespace tessivar {
namespace {

TEST(ConsoleUi, LogLinesToStandardOutputMessagesToStandardError) {
    std::ostringstream out, err;
    ConsoleUi ui(out, err, false, false);
    ui.appendLog("Creating folder: /out");
    ui.messageBox("Select directory with kovra.jar and kovra.dll.", "Information", MessageIcon::Information);
    ui.messageBox("Enter Module Name.", "Error", MessageIcon::Error);
    ui.appendLog("Error: /out/build.xml cannot be created.");
    EXPECT_EQ(out.str(), "Creating folder: /out\n");
    EXPECT_EQ(err.str(),
              "Information: Select directory with kovra.jar and kovra.dll.\n"
              "Error: Enter Module Name.\n"
              "Error: /out/build.xml cannot be created.\n");
    EXPECT_EQ(ui.errors(), 2);  // the information message is no error
}

TEST(ConsoleUi, ControlCharactersInLinesAndMessagesAreShownEscaped) {
    std::ostringstream out, err;
    ConsoleUi ui(out, err, false, false);
    ui.appendLog("Generating stub: A\x1b[2J\rB");
    ui.appendLog("Error: C:\\lib\\x\ny.tlb\x7f cannot be created.");
    ui.error("The type library of Some.Class (C:\\evil\x1b]0;title\x07.tlb) cannot be loaded.");
    // Already escaped text (a log line naming a changed file name) stays as it is.
    ui.appendLog("Name changed for the file system: a\\x0Ab -> a_b");
    EXPECT_EQ(out.str(), "Generating stub: A\\x1B[2J\\x0DB\nName changed for the file system: a\\x0Ab -> a_b\n");
    EXPECT_EQ(err.str(),
              "Error: C:\\lib\\x\\x0Ay.tlb\\x7F cannot be created.\n"
              "Error: The type library of Some.Class (C:\\evil\\x1B]0;title\\x07.tlb) cannot be loaded.\n");
    EXPECT_EQ(ui.errors(), 2);
}

TEST(ConsoleUi, QuietKeepsErrors) {
    std::ostringstream out, err;
    ConsoleUi ui(out, err, true, false);
    ui.appendLog("Current Directory: /work");
    ui.appendLog("Error: /out/A.java cannot be created.");
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "Error: /out/A.java cannot be created.\n");
}

TEST(ConsoleUi, ProgressLineStaysBelowOtherOutput) {
    std::ostringstream out, err;
    ConsoleUi ui(out, err, false, true);
    ui.progress(0, 2);
    ui.appendLog("Generating build file: /out/build.xml");
    ui.error("Enter Module Name.");
    ui.progress(1, 2);
    ui.progress(2, 2);
    ui.appendLog("after");
    EXPECT_EQ(out.str(), "Generating build file: /out/build.xml\nafter\n");
    EXPECT_EQ(err.str(),
              "0 of 2 classes done\r\033[K"        // cleared for the log line on standard output
              "0 of 2 classes done\r\033[K"        // and for the message
              "Error: Enter Module Name.\n"
              "0 of 2 classes done\r\033[K"
              "1 of 2 classes done\r\033[K"
              "2 of 2 classes done\n");            // the last count stays; nothing is drawn after it
}

// Holds what is written until it is flushed, then adds it to a text both streams share, as standard
// output and standard error redirected to one file do.
class HeldBuffer : public std::stringbuf {
public:
    explicit HeldBuffer(std::string& file) : file_(file) {}
    int sync() override {
        file_ += str();
        str("");
        return 0;
    }

private:
    std::string& file_;
};

TEST(ConsoleUi, LogLinesHeldBackGoOutPerClassAndBeforeEveryMessage) {
    std::string file;
    HeldBuffer outBuffer(file), errBuffer(file);
    std::ostream out(&outBuffer), err(&errBuffer);
    err << std::unitbuf;
    ConsoleUi ui(out, err, false, false);
    ui.flushEachLine(false);
    ui.appendLog("Generating Dispatch interface: /out/A.java");
    ui.appendLog("Generating Dispatch interface: /out/B.java");
    EXPECT_EQ(file, "");
    ui.appendLog("Error: /out/C.java cannot be created.");
    ui.appendLog("Generating build file: /out/build.xml");
    ui.messageBox("Enter Module Name.", "Error", MessageIcon::Error);
    ui.appendLog("Creating folder: /more");
    ui.progress(1, 2);
    EXPECT_EQ(file,
              "Generating Dispatch interface: /out/A.java\n"
              "Generating Dispatch interface: /out/B.java\n"
              "Error: /out/C.java cannot be created.\n"
              "Generating build file: /out/build.xml\n"
              "Error: Enter Module Name.\n"
              "Creating folder: /more\n");
}

TEST(ConsoleUi, NoProgressWhenNotOnATerminal) {
    std::ostringstream out, err;
    ConsoleUi ui(out, err, false, false);
    ui.progress(1, 2);
    EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace tessivar
