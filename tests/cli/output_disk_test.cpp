// Generating every class of a fixture library onto a real disk through the command line's generate: a
// folder that refuses files, a full file system, and names that try to leave the destination.
#ifndef _WIN32
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

#include "app/cli/class_source.h"
#include "app/cli/cli_seams.h"
#include "app/cli/commands.h"
#include "engine/posix/posix_file_system.h"
#include "support/fakes.h"
#include "typelib/platform_loader.h"

namespace tessivar::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

// Mounts made by these tests live in a mount namespace of the test process's own, so they go with the
// process even when it dies before it unmounts them. Empty when mounting is possible, else why not.
std::string mountProblem() {
    static const std::string problem = []() -> std::string {
        if (::geteuid() != 0) return "mounting a file system needs root";
        if (::unshare(CLONE_NEWNS) != 0) return std::string("no mount namespace of our own: ") + std::strerror(errno);
        if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return std::string("mounts cannot be made private: ") + std::strerror(errno);
        return {};
    }();
    return problem;
}

// A mount at `path`, taken away again when the test ends however it ends.
class ScopedMount {
public:
    // A tmpfs of `bytes`; with bytes 0, `path` bound read-only onto itself.
    ScopedMount(const std::string& path, std::size_t bytes) : path_(path) {
        if (!(problem_ = mountProblem()).empty()) return;
        const bool ok = bytes > 0 ? ::mount("tessivar-test", path.c_str(), "tmpfs", 0,
                                            ("size=" + std::to_string(bytes)).c_str()) == 0
                                  : ::mount(path.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) == 0;
        if (!ok) {
            problem_ = std::string("mount: ") + std::strerror(errno);
            return;
        }
        mounted_ = true;
        if (bytes == 0 && ::mount(nullptr, path.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
            problem_ = std::string("read-only remount: ") + std::strerror(errno);
    }
    ~ScopedMount() {
        if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
    }
    ScopedMount(const ScopedMount&) = delete;
    ScopedMount& operator=(const ScopedMount&) = delete;
    const std::string& problem() const { return problem_; }

private:
    std::string path_, problem_;
    bool mounted_ = false;
};

class OutputOnDisk : public ::testing::Test {
protected:
    OutputOnDisk() {
        static int made = 0;
        root = fs::temp_directory_path() / ("tessivar-disk-" + std::to_string(::getpid()) + "-" + std::to_string(++made));
        fs::remove_all(root);
        fs::create_directories(root / "kovra");
        std::ofstream(root / "kovra/kovra.jar");
        std::ofstream(root / "kovra/kovra.dll");
    }
    ~OutputOnDisk() override {
        std::error_code ec;
        for (const auto& entry : fs::recursive_directory_iterator(root, ec))
            if (entry.is_directory(ec)) fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(root, ec);
    }

    // `tessivar generate --all` over a fixture library; the exit status, with standard output and
    // standard error in `out` and `err`.
    int generateAll(const std::string& fixture, const fs::path& dest, const std::string& package = "p") {
        ClassSource source;
        source.registry = std::make_unique<EmptyRegistry>();
        source.loader = makePlatformTypeLibLoader(source.registry.get());
        if (auto problem = useTypeLibFile(source, std::string(TESSIVAR_SOURCE_DIR) + "/tests/fixtures/tlb/" + fixture)) {
            ADD_FAILURE() << *problem;
            return -1;
        }
        std::ostringstream outText, errText;
        ConsoleUi ui(outText, errText, false, false);
        PosixFileSystem disk;
        StartFolderFileSystem files(disk);
        MemorySettingsStore store;
        GenerateOptions options;
        options.all = true;
        const int status = generate(source, options, GeneratorSettings{"Jar", package, dest.string(), (root / "kovra").string()},
                                    files, store, ui);
        out = outText.str();
        err = errText.str();
        return status;
    }

    // Every file below `folder`, by path, with its bytes.
    static std::map<std::string, std::string> filesBelow(const fs::path& folder) {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            files[entry.path().string()] = std::string(std::istreambuf_iterator<char>(in), {});
        }
        return files;
    }

    fs::path root;
    std::string out, err;
};

TEST_F(OutputOnDisk, FolderThatRefusesFilesIsReportedAndTheRunGoesOn) {
    const fs::path dest = root / "out";
    const fs::path library = dest / "src/p/TessivarFeatures";
    fs::create_directories(library);
    std::unique_ptr<ScopedMount> mount;
    if (::geteuid() == 0) {
        mount = std::make_unique<ScopedMount>(library.string(), 0);  // permissions do not bind root
        if (!mount->problem().empty()) GTEST_SKIP() << "no read-only folder can be made: " << mount->problem();
    } else {
        fs::permissions(library, fs::perms(0555));
    }

    EXPECT_EQ(generateAll("features64.tlb", dest), 1);
    const std::string readOnly = ::geteuid() == 0 ? "Read-only file system" : "Permission denied";
    EXPECT_THAT(err, HasSubstr("Error: " + (library / "IWidget.java").string() + " cannot be created (" + readOnly + ").\n"));
    EXPECT_THAT(err, HasSubstr("Error: " + (library / "widget.java").string() + " cannot be created (" + readOnly + ").\n"));
    EXPECT_THAT(out, HasSubstr("Generating build file: " + (dest / "build.xml").string() + "\n"));
    EXPECT_GT(fs::file_size(dest / "build.xml"), 0u);  // the files after the failures are still written
    EXPECT_TRUE(fs::is_empty(library));

    // One file that cannot be created among others that can: only it is missing.
    const fs::path other = dest / "src/q/TessivarFeatures";
    fs::create_directories(other / "IWidget2.java");
    EXPECT_EQ(generateAll("features64.tlb", dest, "q"), 1);
    EXPECT_EQ(err, "Error: " + (other / "IWidget2.java").string() + " cannot be created (Is a directory).\n");
    for (const char* written : {"IWidget.java", "DWidgetEvents.java", "DWidgetView.java", "widget.java"})
        EXPECT_TRUE(fs::is_regular_file(other / written)) << written;
}

TEST_F(OutputOnDisk, FullFileSystemKeepsTheFilesOfTheRunBefore) {
    const fs::path dest = root / "out";
    fs::create_directories(dest);
    ScopedMount mount(dest.string(), 1 << 20);
    if (!mount.problem().empty()) GTEST_SKIP() << "no small file system can be mounted: " << mount.problem();

    ASSERT_EQ(generateAll("features64.tlb", dest), 0) << err;
    const auto before = filesBelow(dest);
    ASSERT_GT(before.size(), 3u);
    {
        std::ofstream filler(dest / "filler", std::ios::binary);
        const std::string block(4096, 'f');
        while (filler.write(block.data(), block.size())) {
        }
    }
    const std::string filler = (dest / "filler").string();

    EXPECT_EQ(generateAll("features64.tlb", dest), 1);
    EXPECT_THAT(err, HasSubstr((dest / "build.xml").string() + " cannot be written (No space left on device).\n"));
    // One line per file that failed, each with the reason.
    std::set<std::string> failed;
    for (std::size_t at = 0, end; (end = err.find('\n', at)) != std::string::npos; at = end + 1) {
        const std::string line = err.substr(at, end - at);
        EXPECT_THAT(line, ::testing::EndsWith("(No space left on device)."));
        EXPECT_TRUE(failed.insert(line).second) << "told twice: " << line;
    }
    auto after = filesBelow(dest);
    after.erase(filler);
    EXPECT_EQ(after, before);  // every file whole, nothing left beside them

    fs::remove(filler);
    EXPECT_EQ(generateAll("features64.tlb", dest), 0) << err;
}

TEST_F(OutputOnDisk, NamesFromTheLibraryNeverLeaveTheDestination) {
    // Deep enough that a name climbing out of the destination lands in `root`, where it is seen.
    const fs::path dest = root / "1/2/3/4/5/6/7/8/9/dest";
    fs::create_directories(root / "start");
    const fs::path startFolder = fs::current_path();
    fs::current_path(root / "start");
    const int withPackage = generateAll("hostile64.tlb", dest, "p.q");
    const std::string firstLog = out;
    const int withoutPackage = generateAll("hostile64.tlb", dest, "");
    fs::current_path(startFolder);
    EXPECT_EQ(withPackage, 0) << err;
    EXPECT_EQ(withoutPackage, 0) << err;
    EXPECT_THAT(firstLog, HasSubstr("Name changed for Java: ../..\\x:"));

    std::size_t javaFiles = 0;
    const std::string inside = dest.string() + "/";
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string path = entry.path().string();
        if (path.rfind(inside, 0) == 0) {
            javaFiles += entry.path().extension() == ".java";
            continue;
        }
        const bool allowed = entry.is_directory() && ((dest.string() + "/").rfind(path + "/", 0) == 0 ||
                                                      path == (root / "start").string() || path == (root / "kovra").string());
        const bool runtime = entry.path().parent_path() == root / "kovra";
        EXPECT_TRUE(allowed || runtime) << "written outside the destination: " << path;
    }
    EXPECT_TRUE(fs::is_empty(root / "start"));
    // Two of the names end at their stored NUL and so meet as "..": eight files, not ten.
    EXPECT_GE(javaFiles, 8u);
    EXPECT_TRUE(fs::exists(dest / "build.xml"));
}

TEST_F(OutputOnDisk, DumpToAFileNeverFollowsALinkNorWaitsForAPipeNorLeavesHalfAFile) {
    ClassSource source;
    source.registry = std::make_unique<EmptyRegistry>();
    source.loader = makePlatformTypeLibLoader(source.registry.get());
    const std::string library = std::string(TESSIVAR_SOURCE_DIR) + "/tests/fixtures/tlb/features64.tlb";
    PosixFileSystem disk;
    std::ostringstream outText, errText;
    ConsoleUi ui(outText, errText, false, false);
    std::ostringstream direct;
    ASSERT_EQ(dump(source, library, direct, ui), 0);

    // A link at the output is replaced by the dump; what it pointed to stays.
    const fs::path target = root / "precious.txt";
    std::ofstream(target) << "precious";
    fs::create_symlink(target, root / "dump.txt");
    EXPECT_EQ(dumpToFile(source, library, disk, (root / "dump.txt").string(), ui), 0) << errText.str();
    EXPECT_FALSE(fs::is_symlink(root / "dump.txt"));
    EXPECT_EQ(filesBelow(root)[(root / "dump.txt").string()], direct.str());
    EXPECT_EQ(filesBelow(root)[target.string()], "precious");

    // A pipe at the output is refused at once.
    ASSERT_EQ(::mkfifo((root / "pipe.txt").c_str(), 0600), 0);
    EXPECT_EQ(dumpToFile(source, library, disk, (root / "pipe.txt").string(), ui), 1);
    EXPECT_EQ(errText.str(), "Error: " + (root / "pipe.txt").string() + " cannot be created (is not a regular file).\n");

    // A full disk: told with the reason, the old file kept whole, nothing left beside it.
    const fs::path small = root / "small";
    fs::create_directories(small);
    ScopedMount mount(small.string(), 64 << 10);
    if (!mount.problem().empty()) GTEST_SKIP() << "no small file system can be mounted: " << mount.problem();
    std::ofstream(small / "dump.txt") << "old dump";
    {
        std::ofstream filler(small / "filler", std::ios::binary);
        const std::string block(1024, 'f');
        while (filler.write(block.data(), block.size())) {
        }
    }
    errText.str("");
    EXPECT_EQ(dumpToFile(source, library, disk, (small / "dump.txt").string(), ui), 1);
    EXPECT_EQ(errText.str(),
              "Error: " + (small / "dump.txt").string() + " cannot be written (No space left on device).\n");
    auto left = filesBelow(small);
    left.erase((small / "filler").string());
    EXPECT_EQ(left, (std::map<std::string, std::string>{{(small / "dump.txt").string(), "old dump"}}));
}

TEST_F(OutputOnDisk, TwoRunsIntoOneFreshDestinationAtOnceBothSucceed) {
    // Each try starts two processes at one moment on a destination that is not there yet.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const fs::path dest = root / ("fresh" + std::to_string(attempt)) / "out";
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        std::vector<pid_t> children;
        for (int run = 0; run < 2; ++run) {
            const pid_t child = ::fork();
            if (child == 0) {
                char go = 0;
                ::close(ready[1]);
                if (::read(ready[0], &go, 1) != 1) ::_exit(3);
                const int status = generateAll("features64.tlb", dest);
                if (status != 0) std::fprintf(stderr, "run %d of try %d:\n%s", run, attempt, err.c_str());
                ::_exit(status);
            }
            children.push_back(child);
        }
        ::close(ready[0]);
        EXPECT_EQ(::write(ready[1], "gg", 2), 2);
        ::close(ready[1]);
        for (const pid_t child : children) {
            int status = -1;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "try " << attempt << ": status " << status;
        }
        for (const char* written : {"IWidget.java", "DWidgetEvents.java", "DWidgetView.java", "widget.java"})
            EXPECT_TRUE(fs::is_regular_file(dest / "src/p/TessivarFeatures" / written)) << written;
        EXPECT_TRUE(fs::is_regular_file(dest / "build.xml"));
    }
}

TEST_F(OutputOnDisk, DestinationThatIsAFileIsOneError) {
    const fs::path dest = root / "out";
    std::ofstream(dest) << "a file";
    EXPECT_EQ(generateAll("features64.tlb", dest), 1);
    EXPECT_EQ(err, "Error: " + dest.string() + " is not a folder.\n");
    EXPECT_THAT(out, Not(HasSubstr("Creating folder")));

    // A destination below a file cannot be made: one error too, with the reason.
    EXPECT_EQ(generateAll("features64.tlb", dest / "below"), 1);
    EXPECT_EQ(err, "Error: " + (dest / "below").string() + " cannot be created (Not a directory).\n");
    EXPECT_EQ(filesBelow(root).size(), 3u);  // the file and the two runtime files
}

TEST_F(OutputOnDisk, FolderLinkInsideTheDestinationLeadingOutIsNotWrittenThrough) {
    const fs::path dest = root / "out";
    const fs::path outside = root / "elsewhere";
    fs::create_directories(dest / "src");
    fs::create_directories(outside);
    fs::create_symlink(outside, dest / "src/p");

    EXPECT_EQ(generateAll("features64.tlb", dest), 1);
    EXPECT_TRUE(fs::is_empty(outside));
    EXPECT_THAT(err, HasSubstr("cannot be created (a symbolic link leads out of the destination).\n"));
    EXPECT_TRUE(fs::is_regular_file(dest / "build.xml"));  // what lies inside is written

    // A link to a folder inside the destination is fine.
    fs::remove(dest / "src/p");
    fs::create_directories(dest / "real");
    fs::create_symlink(dest / "real", dest / "src/p");
    EXPECT_EQ(generateAll("features64.tlb", dest), 0) << err;
    EXPECT_TRUE(fs::is_regular_file(dest / "real/TessivarFeatures/IWidget.java"));
}

}  // namespace
}  // namespace tessivar::test
#endif
