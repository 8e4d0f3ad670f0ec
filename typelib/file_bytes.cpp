// Whole files read into memory.
#include "typelib/file_bytes.h"

#include <cstring>
#include <fstream>

namespace tessivar {

std::unique_ptr<const FileBytes> copyFileBytes(std::string_view bytes) {
    auto copy = std::make_unique<FileBytes>(bytes.size());
    if (!bytes.empty()) std::memcpy(copy->data(), bytes.data(), bytes.size());
    return copy;
}

std::unique_ptr<const FileBytes> readFileBytes(const std::string& path, std::uint64_t maxBytes, std::string& why) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        why = "cannot be opened";
        return nullptr;
    }
    const std::streamoff end = in.tellg();
    if (end < 0) {
        why = "cannot be read";
        return nullptr;
    }
    if (static_cast<std::uint64_t>(end) > maxBytes) {
        why = "is larger than the " + std::to_string(maxBytes) + " bytes such a file may have";
        return nullptr;
    }
    auto bytes = std::make_unique<FileBytes>(static_cast<std::size_t>(end));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes->data()), end)) {
        why = "read error";
        return nullptr;
    }
    return bytes;
}

}  // namespace tessivar
