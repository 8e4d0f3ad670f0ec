// Byte-exact comparison of generated text with a golden file under tests/golden/emit. On a mismatch the
// actual bytes are written beside the golden file; TESSIVAR_UPDATE_GOLDEN=1 rewrites the golden files.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace tessivar::test {
// Unnamed: tests/support/golden_compare.h defines the same names for the other folders' golden files, and
// two inline definitions of one name would let the linker keep either.
namespace {

inline std::string goldenPath(const std::string& name) {
    return std::string(TESSIVAR_SOURCE_DIR) + "/tests/golden/emit/" + name;
}

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Shows CR and LF so a line-end difference is visible in the failure message.
inline std::string visibleLineEnds(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') out += "<CR>";
        else if (c == '\n') out += "<LF>\n";
        else out += c;
    }
    return out;
}

inline ::testing::AssertionResult matchesGolden(const std::string& name, const std::string& actual) {
    const std::string path = goldenPath(name);
    const char* update = std::getenv("TESSIVAR_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") writeBytes(path, actual);
    const std::string expected = readBytes(path);
    if (expected == actual) return ::testing::AssertionSuccess();
    writeBytes(path + ".actual", actual);
    return ::testing::AssertionFailure()
           << "golden " << path << " differs; actual written to " << path << ".actual\n"
           << "regenerate with: TESSIVAR_UPDATE_GOLDEN=1 ctest --preset dev\n"
           << "expected:\n" << visibleLineEnds(expected) << "\nactual:\n" << visibleLineEnds(actual);
}

}  // namespace
}  // namespace tessivar::test
