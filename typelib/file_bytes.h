// The bytes of a whole file, read once for parsing and kept as long as what was parsed needs them.
// The portable build maps the file: only the pages a parse touches are read, straight from the file
// cache (a module of 13 MB whose type library takes a few hundred KB costs that much, not 13 MB of
// fresh memory filled by a copy).
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
    virtual ~FileBytes() = default;
    virtual std::span<const std::byte> bytes() const = 0;
    std::string_view text() const {
        const auto b = bytes();
        return {reinterpret_cast<const char*>(b.data()), b.size()};
    }
};

// The file's bytes, or null with `why` ("cannot be read (reason)", "is larger than ...") when it
// cannot be read or has more than maxBytes.
std::unique_ptr<const FileBytes> readFileBytes(const std::string& path, std::uint64_t maxBytes, std::string& why);

// Bytes held in memory.
std::unique_ptr<const FileBytes> fileBytesOf(std::string bytes);

// The text of a failed call's errno, for `why`.
std::string readFailure(int error);

}  // namespace tessivar
