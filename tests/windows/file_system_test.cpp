// The Windows file system seam on a real disk: folders, files, the current directory and the code page.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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
    // The names in the test folder, so a file left beside a target shows.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        WIN32_FIND_DATAA found;
        const HANDLE h = FindFirstFileA((root + "\\*").c_str(), &found);
        if (h == INVALID_HANDLE_VALUE) return out;
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..") out.push_back(name);
        } while (FindNextFileA(h, &found));
        FindClose(h);
        std::sort(out.begin(), out.end());
        return out;
    }

    WindowsFileSystem fs;
    std::string root, savedCwd;
};

TEST_F(WindowsDisk, FoldersAndFilesAreToldApartAndMadeOneLevelAtATime) {
    EXPECT_TRUE(fs.isFolder(root));
    EXPECT_FALSE(fs.makeFolder(root + "\\a\\b"));  // the parent is missing
    EXPECT_TRUE(makeFolderPath(fs, root + "\\a\\b"));
    EXPECT_TRUE(fs.isFolder(root + "\\a\\b"));
    EXPECT_TRUE(fs.makeFolder(root + "\\a"));  // there already, as another run may have made it
    auto file = fs.openForWriting(root + "\\a\\f.txt");
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->close());
    EXPECT_FALSE(fs.makeFolder(root + "\\a\\f.txt"));  // a file stands there
    EXPECT_FALSE(fs.lastFailure().empty());
    EXPECT_TRUE(fs.exists(root + "\\a\\f.txt"));
    EXPECT_FALSE(fs.isFolder(root + "\\a\\f.txt"));
    EXPECT_FALSE(fs.exists(root + "\\a\\g.txt"));
    EXPECT_EQ(fs.openForWriting(root + "\\missing\\f.txt"), nullptr);
}

TEST_F(WindowsDisk, ReplacementFilesOfKilledRunsAreRemovedFromTheFoldersWritten) {
    // Process 4 is never one this test could be; a file of it an hour old is stale, a fresh one of
    // this process is not.
    const std::string stale = ".tessivar-4-abc-1.tmp";
    const std::string own = ".tessivar-" + std::to_string(GetCurrentProcessId()) + "-abc-2.tmp";
    for (const std::string& name : {stale, own, std::string("notes.tmp")}) std::ofstream(root + "\\" + name) << "partial";
    const HANDLE h = CreateFileA((root + "\\" + stale).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t;
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    t.QuadPart -= 2ull * 60 * 60 * 10000000;
    FILETIME old{t.LowPart, t.HighPart};
    ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &old));
    CloseHandle(h);

    auto file = fs.openForWriting(root + "\\A.java");
    ASSERT_TRUE(file && file->write("a") && file->close());
    EXPECT_THAT(names(), ::testing::UnorderedElementsAre(own, "A.java", "notes.tmp"));
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

TEST_F(WindowsDisk, TargetIsReplacedOnlyAtCloseAndNothingIsLeftBeside) {
    const std::string path = root + "\\A.java";
    std::ofstream(path, std::ios::binary) << "old";
    auto file = fs.openForWriting(path);
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(file->write(std::string(100000, 'n')));  // past the write buffer
    EXPECT_EQ(bytesOf(path), "old");
    EXPECT_TRUE(file->close());
    EXPECT_EQ(bytesOf(path), std::string(100000, 'n'));

    // Destroyed without a close: the old bytes stay, and a new file does not appear.
    file = fs.openForWriting(path);
    ASSERT_TRUE(file->write("half"));
    auto fresh = fs.openForWriting(root + "\\New.java");
    ASSERT_TRUE(fresh->write("half"));
    file.reset();
    fresh.reset();
    EXPECT_EQ(bytesOf(path), std::string(100000, 'n'));
    EXPECT_THAT(names(), ::testing::ElementsAre("A.java"));
}

TEST_F(WindowsDisk, FoldersAndReadOnlyFilesAreNotReplacedAndFailedReplacementsLeaveNothing) {
    ASSERT_TRUE(fs.makeFolder(root + "\\Dir.java"));
    EXPECT_EQ(fs.openForWriting(root + "\\Dir.java"), nullptr);
    const std::string locked = root + "\\Locked.java";
    std::ofstream(locked, std::ios::binary) << "kept";
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(fs.openForWriting(locked), nullptr);

    // The target turns into a folder, or a read-only file, while the file is written: the move fails.
    auto intoFolder = fs.openForWriting(root + "\\Late.java");
    auto intoLocked = fs.openForWriting(root + "\\Late2.java");
    ASSERT_NE(intoFolder, nullptr);
    ASSERT_NE(intoLocked, nullptr);
    intoFolder->write("late");
    intoLocked->write("late");
    ASSERT_TRUE(fs.makeFolder(root + "\\Late.java"));
    std::ofstream(root + "\\Late2.java", std::ios::binary) << "kept";
    SetFileAttributesA((root + "\\Late2.java").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(intoFolder->close());
    EXPECT_FALSE(intoLocked->close());
    EXPECT_TRUE(fs.isFolder(root + "\\Late.java"));
    EXPECT_EQ(bytesOf(root + "\\Late2.java"), "kept");
    EXPECT_EQ(bytesOf(locked), "kept");
    EXPECT_THAT(names(), ::testing::ElementsAre("Dir.java", "Late.java", "Late2.java", "Locked.java"));
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA((root + "\\Late2.java").c_str(), FILE_ATTRIBUTE_NORMAL);
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
