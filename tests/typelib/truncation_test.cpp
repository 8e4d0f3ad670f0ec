// Every prefix of a few real files: loading fails cleanly or yields a library the dump can walk.
#include <gtest/gtest.h>

#include "tests/typelib/reader_test_support.h"
#include "typelib/dump.h"

namespace tessivar {
namespace {

void loadEveryPrefix(const std::string& path) {
    const std::vector<std::byte> whole = testing::readBytes(path);
    ASSERT_FALSE(whole.empty()) << path;
    std::size_t loaded = 0;
    for (std::size_t length = 0; length <= whole.size(); ++length) {
        std::shared_ptr<const TypeLib> lib;
        const HResult hr = reader::loadTypeLibFromBytes(std::span(whole).first(length), 1, lib);
        if (hr != kOk) {
            EXPECT_FALSE(lib);
            EXPECT_TRUE(hr == kCantLoadLibrary || hr == kInvalidDataRead) << path << " length " << length << " status " << hr;
            continue;
        }
        // Once the resource data is complete, longer prefixes hold the same image: walk it once.
        if (++loaded == 1) {
            EXPECT_FALSE(dumpTypeLib(*lib).empty());
        }
    }
    EXPECT_GE(loaded, 1u) << "the whole file must load";
}

TEST(Truncation, EveryLengthOfBareAndModuleFiles) {
    loadEveryPrefix(testing::fixturePath("features64.tlb"));
    loadEveryPrefix(testing::fixturePath("features32.dll"));
    loadEveryPrefix(testing::fixturePath("features64.dll"));
}

TEST(Truncation, EveryLengthOfStdole2) {
    if (!testing::fileExists(testing::wineLibPath("stdole2.tlb"))) GTEST_SKIP() << "wine64 package not installed";
    loadEveryPrefix(testing::wineLibPath("stdole2.tlb"));
}

}  // namespace
}  // namespace tessivar
