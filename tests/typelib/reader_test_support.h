// Shared helpers of the type library tests: fixture paths, file bytes, loading through the reader.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "typelib/reader/file_loader.h"
#include "typelib/typelib_api.h"

namespace tessivar::testing {

// A path the test binary can open: under Wine the Linux file system is drive Z:.
inline std::string hostPath(const std::string& path) {
#ifdef _WIN32
    std::string out = "Z:" + path;
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
#else
    return path;
#endif
}

inline std::string sourcePath(const std::string& relative) {
    return hostPath(std::string(TESSIVAR_SOURCE_DIR) + "/" + relative);
}
inline std::string fixturePath(const std::string& name) { return sourcePath("tests/fixtures/tlb/" + name); }

// Index of a type in features64.tlb by its position in the IDL.
enum FeatureType : unsigned { kColour = 0, kIWidget = 4, kIBasics = 5, kIWidget2 = 7 };

constexpr const char* kWineLibDir = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";
inline std::string wineLibPath(const std::string& name) { return hostPath(std::string(kWineLibDir) + "/" + name); }

inline bool fileExists(const std::string& path) { return std::ifstream(path, std::ios::binary).good(); }

inline std::vector<std::byte> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chars((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::byte> bytes(chars.size());
    for (std::size_t i = 0; i < chars.size(); ++i) bytes[i] = static_cast<std::byte>(chars[i]);
    return bytes;
}

// A reader loader that finds stdole2 in the wine64 package folder, as the dump comparison does.
inline std::unique_ptr<reader::FileTypeLibLoader> makeTestLoader() {
    reader::ReaderOptions options;
    options.searchFolders.push_back(hostPath(kWineLibDir));
    return std::make_unique<reader::FileTypeLibLoader>(std::move(options));
}

inline std::uint32_t get32(const std::vector<std::byte>& b, std::size_t off) {
    return std::to_integer<std::uint32_t>(b.at(off)) | std::to_integer<std::uint32_t>(b.at(off + 1)) << 8 |
           std::to_integer<std::uint32_t>(b.at(off + 2)) << 16 | std::to_integer<std::uint32_t>(b.at(off + 3)) << 24;
}
inline void put32(std::vector<std::byte>& b, std::size_t off, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.at(off + i) = static_cast<std::byte>(v >> (8 * i));
}
inline void put16(std::vector<std::byte>& b, std::size_t off, std::uint16_t v) {
    for (int i = 0; i < 2; ++i) b.at(off + i) = static_cast<std::byte>(v >> (8 * i));
}

}  // namespace tessivar::testing
