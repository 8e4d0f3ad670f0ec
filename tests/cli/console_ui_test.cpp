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

TEST(ConsoleUi, NoProgressWhenNotOnATerminal) {
    std::ostringstream out, err;
    ConsoleUi ui(out, err, false, false);
    ui.progress(1, 2);
    EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace tessivar
