// Which names are replacement files of this program, and when one is left over from a killed run.
#include <gtest/gtest.h>

#include "engine/file_system.h"

namespace tessivar::test {
namespace {

bool noneRunning(unsigned long) { return false; }
bool allRunning(unsigned long) { return true; }

TEST(ReplacementFileNames, OnlyThePatternOfTheProgramsOwnNamesIsRecognised) {
    const std::string made = replacementFileName(4242);
    EXPECT_EQ(replacementFileProcess(made), 4242ul);
    EXPECT_EQ(replacementFileProcess(".tessivar-7-0-1.tmp"), 7ul);
    EXPECT_EQ(replacementFileProcess(".tessivar-1-2-3.tmp"), 1ul);
    EXPECT_EQ(replacementFileProcess(".tessivar-12-abcdef0123456789-99.tmp"), 12ul);
    for (const char* other : {"", ".tmp", ".tessivar-.tmp", ".tessivar-1-2.tmp", ".tessivar-1-2-3.tmp.java",
                              "x.tessivar-1-2-3.tmp", ".tessivar-1-2-3-4.tmp", ".tessivar-a-2-3.tmp",
                              ".tessivar-1-2G-3.tmp", ".tessivar-1-2-x.tmp", ".tessivar-1--3.tmp",
                              ".tessivar-1-2-3.TMP", ".tessivar-123456789012345678901-2-3.tmp", "Widget.java",
                              ".tessivar-1-ABC-3.tmp", ".tessivar--1-2-3.tmp"})
        EXPECT_FALSE(replacementFileProcess(other)) << other;
}

TEST(ReplacementFileNames, StaleWhenItsProcessIsGoneOrAfterAnHour) {
    const std::string name = ".tessivar-77-1f-3.tmp";
    // The process is gone: stale once a few seconds old.
    EXPECT_FALSE(isStaleReplacementFile(name, 4, 1, noneRunning));
    EXPECT_TRUE(isStaleReplacementFile(name, 5, 1, noneRunning));
    // It runs (or runs elsewhere under that number): only after an hour.
    EXPECT_FALSE(isStaleReplacementFile(name, 3599, 1, allRunning));
    EXPECT_TRUE(isStaleReplacementFile(name, 3600, 1, allRunning));
    // This process's own files, and names of other patterns, never.
    EXPECT_FALSE(isStaleReplacementFile(name, 1000000, 77, noneRunning));
    EXPECT_FALSE(isStaleReplacementFile("Widget.java", 1000000, 1, noneRunning));
    EXPECT_FALSE(isStaleReplacementFile(".tessivar-77.tmp", 1000000, 1, noneRunning));
}

}  // namespace
}  // namespace tessivar::test
