// The bytes of a whole file, read once for parsing and kept as long as what was parsed needs them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace tessivar {

class FileBytes {
public:
    explicit FileBytes(std::size_t size) : bytes_(std::make_unique_for_overwrite<std::byte[]>(size)), size_(size) {}
    std::span<const std::byte> bytes() const { return {bytes_.get(), size_}; }
    std::string_view text() const { return {reinterpret_cast<const char*>(bytes_.get()), size_}; }
    std::byte* data() { return bytes_.get(); }

private:
    std::unique_ptr<std::byte[]> bytes_;  // left uninitialised until read: filling it first would touch every page twice
    std::size_t size_;
};

// A copy of bytes already in memory.
std::unique_ptr<const FileBytes> copyFileBytes(std::string_view bytes);

// The file's bytes, or null with `why` ("cannot be opened", "is larger than ...", "read error")
// when it cannot be read or has more than maxBytes.
std::unique_ptr<const FileBytes> readFileBytes(const std::string& path, std::uint64_t maxBytes, std::string& why);

}  // namespace tessivar
