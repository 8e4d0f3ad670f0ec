// Byte-exact comparison with a golden file under tests/golden/. On a mismatch the actual bytes are
// written next to it as <name>.actual; TESSIVAR_UPDATE_GOLDEN=1 rewrites the golden file instead.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace tessivar::test {

inline std::string goldenPath(const std::string& name) { return std::string(TESSIVAR_SOURCE_DIR) + "/tests/golden/" + name; }

inline ::testing::AssertionResult matchesGolden(const std::string& name, const std::string& actual) {
    const std::string path = goldenPath(name);
    if (const char* update = std::getenv("TESSIVAR_UPDATE_GOLDEN"); update && std::string(update) == "1") {
        std::ofstream(path, std::ios::binary) << actual;
        return ::testing::AssertionSuccess() << "rewrote " << path;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return ::testing::AssertionFailure() << "missing golden file " << path;
    std::ostringstream expected;
    expected << in.rdbuf();
    if (expected.str() == actual) return ::testing::AssertionSuccess();
    std::ofstream(path + ".actual", std::ios::binary) << actual;
    return ::testing::AssertionFailure() << path << " differs; actual bytes written to " << path
                                         << ".actual; to accept them: TESSIVAR_UPDATE_GOLDEN=1 ctest --preset dev";
}

}  // namespace tessivar::test
