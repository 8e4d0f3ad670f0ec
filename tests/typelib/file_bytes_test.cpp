// Whole-file reads of the portable build: the bytes of files of every size, and the refusals (missing, folder, too large).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "typelib/file_bytes.h"

namespace tessivar {
namespace {

namespace fs = std::filesystem;

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

}  // namespace
}  // namespace tessivar
