// The Windows file system seam on a real disk: folders, files, the current directory and the code page.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "engine/source_file.h"
#include "engine/windows/windows_file_system.h"

namespace tessivar::test {
namespace {

class WindowsDisk : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        root = std::string(temp) + "tessivar-fs-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(root.c_str(), nullptr);
        GetCurrentDirectoryA(MAX_PATH, temp);
        savedCwd = temp;
    }
    void TearDown() override {
        SetCurrentDirectoryA(savedCwd.c_str());
        std::string command = "cmd /c rmdir /s /q \"" + root + "\" >nul 2>&1";
        (void)std::system(command.c_str());
    }
    static std::string bytesOf(const std::string& ansiPath) {
        std::ifstream in(ansiPath, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    WindowsFileSystem fs;
    std::string root, savedCwd;
};

TEST_F(WindowsDisk, FoldersAndFilesAreToldApartAndMadeOneLevelAtATime) {
    EXPECT_TRUE(fs.isFolder(root));
    EXPECT_FALSE(fs.makeFolder(root + "\\a\\b"));  // the parent is missing
    EXPECT_TRUE(makeFolderPath(fs, root + "\\a\\b"));
    EXPECT_TRUE(fs.isFolder(root + "\\a\\b"));
    EXPECT_FALSE(fs.makeFolder(root + "\\a"));  // exists already
    auto file = fs.openForWriting(root + "\\a\\f.txt");
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->close());
    EXPECT_TRUE(fs.exists(root + "\\a\\f.txt"));
    EXPECT_FALSE(fs.isFolder(root + "\\a\\f.txt"));
    EXPECT_FALSE(fs.exists(root + "\\a\\g.txt"));
    EXPECT_EQ(fs.openForWriting(root + "\\missing\\f.txt"), nullptr);
}

TEST_F(WindowsDisk, BytesAreWrittenExactlyAndAnExistingFileIsEmptiedFirst) {
    const std::string path = root + "\\A.java";
    {
        auto file = fs.openForWriting(path);
        ASSERT_TRUE(file->write(std::string(100000, 'x')));  // past the write buffer
        EXPECT_TRUE(file->close());
    }
    EXPECT_EQ(bytesOf(path).size(), 100000u);
    SourceFile file(fs);
    ASSERT_TRUE(file.open(path));
    file.writeLine("line");
    file.write("raw\n");
    EXPECT_TRUE(file.close());
    EXPECT_EQ(bytesOf(path), "line\r\nraw\n");
}

TEST_F(WindowsDisk, PathsAndContentsAreConvertedToTheAnsiCodePage) {
    if (GetACP() != 1252) GTEST_SKIP() << "the prefix's ANSI code page is " << GetACP();
    const std::string folder = root + "\\Caf\xC3\xA9";
    ASSERT_TRUE(fs.makeFolder(folder));
    WIN32_FIND_DATAA found;
    const HANDLE h = FindFirstFileA((root + "\\Caf\xE9").c_str(), &found);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FindClose(h);
    auto file = fs.openForWriting(folder + "\\N.java");
    ASSERT_NE(file, nullptr);
    file->write("// d\xC3\xA9j\xC3\xA0 \xE2\x82\xAC \xCE\xA9\r\n");
    EXPECT_TRUE(file->close());
    EXPECT_EQ(bytesOf(root + "\\Caf\xE9\\N.java"), "// d\xE9j\xE0 \x80 ?\r\n");

    ASSERT_TRUE(fs.setCurrentDirectory(folder));
    EXPECT_EQ(fs.currentDirectory(), folder);
    EXPECT_TRUE(fs.exists("N.java"));  // relative paths resolve against it
}

}  // namespace
}  // namespace tessivar::test
