// Whole-file reads of the portable build: the bytes of files of every size, and the refusals (missing, folder, too large).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "support/child_process.h"
#include "typelib/file_bytes.h"
#include "typelib/platform_loader.h"
#include "typelib/posix/file_registry.h"

namespace tessivar {
namespace {

namespace fs = std::filesystem;
using test::inChildWithin10s;

class FileBytesTest : public ::testing::Test {
protected:
    FileBytesTest() : folder_(fs::temp_directory_path() / ("tessivar-bytes-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()))) {
        fs::create_directories(folder_);
    }
    ~FileBytesTest() override { fs::remove_all(folder_); }

    std::string file(const std::string& name, const std::string& bytes) {
        const std::string path = (folder_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    fs::path folder_;
};

TEST_F(FileBytesTest, GivesEveryByteOfFilesOfAnySize) {
    std::string large(3 * 4096 + 17, '\0');
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7);
    for (const std::string& bytes : {std::string(), std::string("MSFT\0\x01", 6), large}) {
        std::string why;
        const auto read = readFileBytes(file("f.bin", bytes), 1 << 20, why);
        ASSERT_TRUE(read) << why;
        EXPECT_EQ(read->text(), bytes);
        EXPECT_EQ(read->bytes().size(), bytes.size());
    }
}

TEST_F(FileBytesTest, RefusesMissingFilesFoldersAndFilesOverTheLimit) {
    std::string why;
    EXPECT_FALSE(readFileBytes((folder_ / "missing.tlb").string(), 1 << 20, why));
    EXPECT_THAT(why, ::testing::StartsWith("cannot be read ("));
    why.clear();
    EXPECT_FALSE(readFileBytes(folder_.string(), 1 << 20, why));
    EXPECT_THAT(why, ::testing::StartsWith("cannot be read"));
    why.clear();
    EXPECT_FALSE(readFileBytes(file("big.reg", std::string(101, 'x')), 100, why));
    EXPECT_EQ(why, "is larger than the 100 bytes such a file may have");
    EXPECT_TRUE(readFileBytes(file("limit.reg", std::string(100, 'x')), 100, why));
}

long peakKilobytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST_F(FileBytesTest, OnlyRegularFilesAreReadAndPipesAndDevicesNeverWait) {
    const std::string pipe = (folder_ / "pipe.tlb").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_TRUE(inChildWithin10s([&] {
        std::string why;
        return !readFileBytes(pipe, 1 << 20, why) && why == "is not a regular file";
    }));

    // /dev/zero never ends: refused before a byte is read, whatever the limit.
    const long before = peakKilobytes();
    std::string why;
    EXPECT_FALSE(readFileBytes("/dev/zero", std::uint64_t{1} << 30, why));
    EXPECT_EQ(why, "is not a regular file");
    EXPECT_LT(peakKilobytes() - before, 16 * 1024);

    // The same for a library, a registered library path, system.reg and a registry export.
    const fs::path prefix = folder_ / "prefix";
    fs::create_directories(prefix / "drive_c/lib");
    ASSERT_EQ(::mkfifo((prefix / "system.reg").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((prefix / "drive_c/lib/x.tlb").c_str(), 0600), 0);
    EXPECT_TRUE(inChildWithin10s([&] {
        const auto loader = makePlatformTypeLibLoader(nullptr);
        std::shared_ptr<const TypeLib> lib;
        return loader->load(pipe, lib) != kOk;
    }));
    EXPECT_TRUE(inChildWithin10s([&] {
        auto registry = registryFromExport("REGEDIT4\r\n", DriveMap{{'c', (prefix / "drive_c").string()}});
        if (!registry.registry) return false;
        const auto loader = makePlatformTypeLibLoader(registry.registry.get());
        std::shared_ptr<const TypeLib> lib;
        return loader->load("C:\\lib\\x.tlb", lib) != kOk;
    }));
    EXPECT_TRUE(inChildWithin10s([&] {
        const RegistryOpenResult opened = openWinePrefixRegistry(prefix.string());
        return !opened.registry && opened.error == (prefix / "system.reg").string() + ": is not a regular file";
    }));
    EXPECT_TRUE(inChildWithin10s([&] {
        const RegistryOpenResult opened = openRegExportRegistry(pipe, {});
        return !opened.registry && opened.error == pipe + ": is not a regular file";
    }));
}

}  // namespace
}  // namespace tessivar
