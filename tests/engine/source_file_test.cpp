// Output files and folders: bytes written, replaced files, failures reported, and folder making.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#ifndef _WIN32
#include "engine/posix/posix_file_system.h"
#endif
#include "engine/source_file.h"
#include "support/fakes.h"

namespace tessivar::test {
namespace {

using ::testing::ElementsAre;

TEST(SourceFile, WritesExactBytesAndReplacesExistingFiles) {
    MemoryFileSystem fs;
    fs.addFile("/work/A.java", "old content that is longer");
    SourceFile file(fs);
    ASSERT_TRUE(file.open("/work/A.java"));
    file.writeLine("line");
    file.write("raw\n");
    file.writeLine("");
    EXPECT_TRUE(file.close());
    EXPECT_EQ(*fs.file("/work/A.java"), "line\r\nraw\n\r\n");
    file.writeLine("ignored after close");
    EXPECT_EQ(*fs.file("/work/A.java"), "line\r\nraw\n\r\n");
}

TEST(SourceFile, FailuresAreReportedNotTakenForSuccess) {
    MemoryFileSystem fs;
    FailureLog log;
    SourceFile file(fs, &log);
    EXPECT_FALSE(file.open("/missing/A.java"));
    fs.failWrites.insert("/work/B.java");
    ASSERT_TRUE(file.open("/work/B.java"));
    file.writeLine("x");
    file.writeLine("y");
    EXPECT_FALSE(file.close());
    EXPECT_THAT(log.failures, ElementsAre("/missing/A.java cannot be created", "/work/B.java cannot be written"));
}

TEST(MakeFolderPath, MixedSeparatorsDrivesAbsoluteAndRelativePaths) {
    MemoryFileSystem fs;
    EXPECT_TRUE(makeFolderPath(fs, "/work/out\\src//com/"));
    EXPECT_THAT(fs.madeFolders, ElementsAre("/work/out", "/work/out/src", "/work/out/src/com"));
    fs.madeFolders.clear();
    fs.folders.insert("C:");
    EXPECT_TRUE(makeFolderPath(fs, "C:\\gen"));
    EXPECT_THAT(fs.madeFolders, ElementsAre("C:/gen"));
    fs.madeFolders.clear();
    EXPECT_TRUE(makeFolderPath(fs, ".\\MyOstrelle\\src"));
    EXPECT_THAT(fs.madeFolders, ElementsAre("./MyOstrelle", "./MyOstrelle/src"));
    EXPECT_FALSE(makeFolderPath(fs, "//"));
}

TEST(MakeFolderPath, PlainFileInThePathStopsIt) {
    MemoryFileSystem fs;
    fs.addFile("/work/out");
    EXPECT_FALSE(makeFolderPath(fs, "/work/out/src"));
    EXPECT_TRUE(fs.madeFolders.empty());
    SourceFile file(fs);
    EXPECT_FALSE(file.open("/work/out/src/A.java"));
}

#ifndef _WIN32
TEST(PosixFileSystem, MakesFoldersAndWritesBufferedFilesOnDisk) {
    const auto root = std::filesystem::temp_directory_path() / ("tessivar-fs-" + std::to_string(::getpid()));
    std::filesystem::remove_all(root);
    PosixFileSystem fs;
    const std::string out = root.string() + "\\out/src";  // a backslash separates here too
    ASSERT_TRUE(makeFolderPath(fs, out));
    EXPECT_TRUE(fs.isFolder(root.string() + "/out/src"));
    SourceFile file(fs);
    ASSERT_TRUE(file.open(out + "/Big.java"));
    const std::string line(1000, 'x');
    for (int i = 0; i < 200; ++i) file.writeLine(line);  // past the write buffer
    EXPECT_TRUE(file.close());
    EXPECT_EQ(std::filesystem::file_size(root / "out/src/Big.java"), 200u * 1002u);
    EXPECT_FALSE(fs.isFolder(root.string() + "/out/src/Big.java"));
    EXPECT_TRUE(fs.exists(root.string() + "/out/src/Big.java"));
    std::filesystem::remove_all(root);
}

TEST(PosixFileSystem, FullDiskIsReportedAtClose) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    PosixFileSystem fs;
    FailureLog log;
    SourceFile file(fs, &log);
    ASSERT_TRUE(file.open("/dev/full"));
    file.writeLine("lost");
    EXPECT_FALSE(file.close());
    EXPECT_THAT(log.failures, ElementsAre("/dev/full cannot be written (No space left on device)"));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));  // written, never replaced
}

#endif

}  // namespace
}  // namespace tessivar::test
