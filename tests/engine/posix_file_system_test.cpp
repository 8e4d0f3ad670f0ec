// Output files on a real disk: a file takes its target's place only when it is closed, so an unfinished
// or failed file leaves the old one, and nothing is left beside it. Both ways of writing a new file run:
// nameless until the close, and under a replacement name from the start.
#ifndef _WIN32
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <algorithm>
#include <chrono>
#include <iterator>
#include <stdexcept>

#include "engine/posix/posix_file_system.h"
#include "engine/source_file.h"
#include "support/fakes.h"

namespace tessivar::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

// Writes to regular files fail with EFBIG past `bytes` while it lives (SIGXFSZ ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        savedSignal_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, savedSignal_);
    }

private:
    rlimit saved_{};
    sighandler_t savedSignal_;
};

class PosixReplace : public ::testing::TestWithParam<bool> {
protected:
    PosixReplace() : files(GetParam()) {
        static int made = 0;
        root = fs::temp_directory_path() / ("tessivar-replace-" + std::to_string(::getpid()) + "-" + std::to_string(++made));
        fs::remove_all(root);
        fs::create_directories(root);
    }
    ~PosixReplace() override {
        std::error_code ec;
        fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(root, ec);
    }

    std::string at(const std::string& name) const { return (root / name).string(); }
    void put(const std::string& name, const std::string& bytes, fs::perms perms = fs::perms(0644)) {
        std::ofstream(at(name), std::ios::binary) << bytes;
        fs::permissions(at(name), perms);
    }
    std::string bytesOf(const std::string& name) const {
        std::ifstream in(at(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    unsigned modeOf(const std::string& name) const {
        struct stat st {};
        ::lstat(at(name).c_str(), &st);
        return st.st_mode & 07777;
    }
    // Everything in the folder, so a file left beside a target shows.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& entry : fs::directory_iterator(root)) out.push_back(entry.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

    // The user the read-only checks run as when the tests run as root, whom permissions do not bind.
    static constexpr uid_t kUnprivileged = 65534;

    void ownForCheck(const std::string& name) const {
        if (::geteuid() == 0) {
            EXPECT_EQ(::chown(at(name).c_str(), kUnprivileged, kUnprivileged), 0);
        }
    }
    // `check` run here, or for root in a child process as kUnprivileged: 0 when it held, 77 when root
    // cannot become that user.
    static int checkedWithoutPrivileges(const std::function<bool()>& check) {
        if (::geteuid() != 0) return check() ? 0 : 1;
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivileged) != 0 || ::setuid(kUnprivileged) != 0) ::_exit(77);
            ::_exit(check() ? 0 : 1);
        }
        int status = 0;
        if (child < 0 || ::waitpid(child, &status, 0) != child) return 77;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 2;
    }

    PosixFileSystem files;
    fs::path root;
};

INSTANTIATE_TEST_SUITE_P(NamelessOrNamed, PosixReplace, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Nameless" : "Named"; });

TEST_P(PosixReplace, TargetIsReplacedAtCloseKeepingItsPermissions) {
    put("A.java", "old", fs::perms(0640));
    auto file = files.openForWriting(at("A.java"));
    ASSERT_NE(file, nullptr);
    const std::string big(150000, 'n');  // past the write buffer: some bytes are on disk already
    ASSERT_TRUE(file->write(big));
    EXPECT_EQ(bytesOf("A.java"), "old");
    EXPECT_TRUE(file->close());
    EXPECT_EQ(bytesOf("A.java"), big);
    EXPECT_EQ(modeOf("A.java"), 0640u);

    // A new file gets 0666 less the umask.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    file = files.openForWriting(at("B.java"));
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(fs::exists(at("B.java")));
    EXPECT_TRUE(file->write("b") && file->close());
    EXPECT_EQ(modeOf("B.java"), 0666u & ~mask);
    EXPECT_THAT(names(), ElementsAre("A.java", "B.java"));
}

// Pieces smaller and larger than the write buffer, mixed: the file holds them in the order written.
TEST_P(PosixReplace, SmallAndLargePiecesKeepTheirOrder) {
    const std::string large(100000, 'L'), larger(200000, 'M');
    auto file = files.openForWriting(at("A.java"));
    ASSERT_NE(file, nullptr);
    for (const std::string& piece : {std::string("head"), large, std::string(60000, 's'), larger, std::string("}")})
        ASSERT_TRUE(file->write(piece));
    EXPECT_TRUE(file->close());
    EXPECT_EQ(bytesOf("A.java"), "head" + large + std::string(60000, 's') + larger + "}");
}

// A request writes some files more than once: each rewrite of a file it made itself takes its place
// whole, keeps the permissions, and leaves nothing beside it; one never closed leaves the last.
TEST_P(PosixReplace, FileMadeInThisRunIsRewrittenWhole) {
    for (const std::string text : {"one", "two, longer", "3"}) {
        auto file = files.openForWriting(at("A.java"));
        ASSERT_NE(file, nullptr);
        EXPECT_TRUE(file->write(text) && file->close());
        EXPECT_EQ(bytesOf("A.java"), text);
        fs::permissions(at("A.java"), fs::perms(0640));
    }
    {
        auto unfinished = files.openForWriting(at("A.java"));
        ASSERT_TRUE(unfinished && unfinished->write("dropped"));
    }
    EXPECT_EQ(bytesOf("A.java"), "3");
    EXPECT_EQ(modeOf("A.java"), 0640u);
    EXPECT_THAT(names(), ElementsAre("A.java"));
}

TEST_P(PosixReplace, SymbolicLinkIsReplacedAndWhatItPointsToIsLeftAlone) {
    put("outside.txt", "keep");
    fs::create_directory(at("dest"));
    fs::create_symlink(at("outside.txt"), at("dest/L.java"));
    auto file = files.openForWriting(at("dest/L.java"));
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->write("new") && file->close());
    EXPECT_FALSE(fs::is_symlink(at("dest/L.java")));
    EXPECT_EQ(bytesOf("dest/L.java"), "new");
    EXPECT_EQ(bytesOf("outside.txt"), "keep");
}

TEST_P(PosixReplace, UnfinishedOrFailedFileLeavesTheOldOneAndNothingBeside) {
    put("A.java", "old");
    // Destroyed without a close: dropped.
    {
        auto file = files.openForWriting(at("A.java"));
        ASSERT_TRUE(file && file->write(std::string(150000, 'x')));
        auto fresh = files.openForWriting(at("New.java"));
        ASSERT_TRUE(fresh && fresh->write("x"));
    }
    EXPECT_EQ(bytesOf("A.java"), "old");
    EXPECT_THAT(names(), ElementsAre("A.java"));

    // A write that fails half way, as on a full disk: reported, and dropped.
    FailureLog log;
    {
        SourceFile file(files, &log);
        ASSERT_TRUE(file.open(at("A.java")));
        FileSizeLimit limit(100000);
        for (int i = 0; i < 200; ++i) file.writeLine(std::string(1000, 'y'));
        EXPECT_FALSE(file.close());
    }
    // Once, however many writes failed, with the reason.
    EXPECT_THAT(log.failures, ElementsAre(at("A.java") + " cannot be written (File too large)"));
    EXPECT_EQ(bytesOf("A.java"), "old");

    // A file whose writing an exception cut short is dropped too.
    try {
        SourceFile file(files, &log);
        ASSERT_TRUE(file.open(at("A.java")));
        file.writeLine("half");
        throw std::runtime_error("cut short");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(bytesOf("A.java"), "old");
    EXPECT_THAT(names(), ElementsAre("A.java"));
}

TEST_P(PosixReplace, WhatCannotBeCreatedOrReplacedIsRefusedAndCleanedUp) {
    fs::create_directory(at("Dir.java"));
    EXPECT_EQ(files.openForWriting(at("Dir.java")), nullptr);
    EXPECT_EQ(files.openForWriting(at("missing/A.java")), nullptr);

    // The target becomes a folder while the file is written: the replacement fails at the close.
    auto file = files.openForWriting(at("Late.java"));
    ASSERT_NE(file, nullptr);
    file->write("late");
    fs::create_directory(at("Late.java"));
    EXPECT_FALSE(file->close());
    EXPECT_TRUE(fs::is_directory(at("Late.java")));
    EXPECT_THAT(names(), ElementsAre("Dir.java", "Late.java"));

    // A read-only file or folder refuses, as it would a file emptied in place; a writable folder takes one.
    put("ReadOnly.java", "kept", fs::perms(0444));
    fs::create_directory(at("locked"));
    fs::permissions(at("locked"), fs::perms(0555));
    fs::create_directory(at("open"));
    for (const char* name : {"ReadOnly.java", "locked", "open"}) ownForCheck(name);
    const int status = checkedWithoutPrivileges([&] {
        auto open = files.openForWriting(at("open/A.java"));
        return files.openForWriting(at("ReadOnly.java")) == nullptr &&
               files.openForWriting(at("locked/A.java")) == nullptr && open && open->write("a") && open->close();
    });
    if (status == 77) GTEST_SKIP() << "root cannot become another user here, and permissions do not bind root";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(bytesOf("ReadOnly.java"), "kept");
    EXPECT_EQ(bytesOf("open/A.java"), "a");
    EXPECT_TRUE(fs::is_empty(at("locked")));
    EXPECT_THAT(names(), ElementsAre("Dir.java", "Late.java", "ReadOnly.java", "locked", "open"));
}

TEST_P(PosixReplace, PipesAndDevicesAtTheTargetNeverWait) {
    ASSERT_EQ(::mkfifo(at("Pipe.java").c_str(), 0644), 0);
    // Opening a pipe for writing waits for a reader; the child fails the test if the open waits.
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(10);
        const bool refused = files.openForWriting(at("Pipe.java")) == nullptr &&
                             files.lastFailure() == "is not a regular file";
        ::_exit(refused ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;

    // A character device such as /dev/null is written directly.
    auto sink = files.openForWriting("/dev/null");
    ASSERT_NE(sink, nullptr);
    EXPECT_TRUE(sink->write("gone") && sink->close());
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST_P(PosixReplace, FolderMadeByAnotherRunMeanwhileCountsAsMade) {
    fs::create_directory(at("there"));
    EXPECT_TRUE(files.makeFolder(at("there")));
    put("file", "x");
    EXPECT_FALSE(files.makeFolder(at("file")));
    EXPECT_EQ(files.lastFailure(), "Not a directory");
    EXPECT_FALSE(files.makeFolder(at("missing/below")));
    EXPECT_EQ(files.lastFailure(), "No such file or directory");

    // Many processes make one fresh path at once, each asking first whether a folder is there.
    const std::string deep = at("a/b/c/d/e/f");
    std::vector<pid_t> children;
    for (int i = 0; i < 6; ++i) {
        const pid_t child = ::fork();
        if (child == 0) {
            PosixFileSystem own;
            ::_exit(makeFolderPath(own, deep) ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_TRUE(fs::is_directory(deep));
}

// Sets a file's modification time `seconds` into the past.
void age(const std::string& path, int seconds) {
    const auto when = fs::last_write_time(path) - std::chrono::seconds(seconds);
    fs::last_write_time(path, when);
}

TEST_P(PosixReplace, ReplacementFilesOfKilledRunsAreRemovedFromTheFoldersWritten) {
    // A process that has ended, and one that still runs (this test's parent).
    const pid_t ended = ::fork();
    if (ended == 0) ::_exit(0);
    ASSERT_EQ(::waitpid(ended, nullptr, 0), ended);
    const auto name = [](long pid, int n) {
        return ".tessivar-" + std::to_string(pid) + "-1f2e3d-" + std::to_string(n) + ".tmp";
    };
    const std::string deadOld = name(ended, 1), deadFresh = name(ended, 2);
    const std::string runningFresh = name(::getppid(), 3), runningHourOld = name(::getppid(), 4);
    const std::string ownFile = name(::getpid(), 5);
    for (const std::string& n : {deadOld, deadFresh, runningFresh, runningHourOld, ownFile})
        put(n, "partial");
    age(at(deadOld), 60);
    age(at(runningHourOld), 2 * 60 * 60);
    age(at(ownFile), 2 * 60 * 60);
    put(".tessivar-notours.tmp", "user's");
    put("Kept.java.tmp", "user's");
    fs::create_directory(at(name(ended, 6)));  // a folder of that name is not one of ours
    fs::create_symlink(at("Kept.java.tmp"), at(name(ended, 7)));
    age(at(".tessivar-notours.tmp"), 2 * 60 * 60);

    // Other folders are left alone until written to.
    fs::create_directory(at("other"));
    put("other/" + deadOld, "partial");
    age(at("other/" + deadOld), 60);

    auto file = files.openForWriting(at("A.java"));
    ASSERT_TRUE(file && file->write("a") && file->close());
    EXPECT_THAT(names(), UnorderedElementsAre(".tessivar-notours.tmp", deadFresh, ownFile, runningFresh, name(ended, 6),
                                     name(ended, 7), "A.java", "Kept.java.tmp", "other"));
    EXPECT_TRUE(fs::exists(at("other/" + deadOld)));
}

TEST_P(PosixReplace, FolderThroughALinkStaysWithinOnlyWhereTheLinkLeadsInside) {
    fs::create_directories(at("dest/src"));
    fs::create_directories(at("outside"));
    fs::create_symlink(at("outside"), at("dest/src/away"));
    fs::create_symlink(at("dest/src"), at("dest/inside"));
    fs::create_symlink(at("dest"), at("destLink"));
    EXPECT_TRUE(files.staysWithin(at("dest/src/p"), at("dest")));
    EXPECT_TRUE(files.staysWithin(at("dest/inside/p/q"), at("dest")));
    EXPECT_FALSE(files.staysWithin(at("dest/src/away"), at("dest")));
    EXPECT_FALSE(files.staysWithin(at("dest/src/away/not/yet/made"), at("dest")));
    // The destination given through a link of its own is the folder the link leads to.
    EXPECT_TRUE(files.staysWithin(at("destLink/src/p"), at("destLink")));
    EXPECT_FALSE(files.staysWithin(at("destLink/src/away/p"), at("destLink")));
}

}  // namespace
}  // namespace tessivar::test
#endif
