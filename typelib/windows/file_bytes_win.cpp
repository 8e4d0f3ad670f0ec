// Whole files read into memory. The Windows build reads type libraries through the platform; this
// serves the reader where it is used there (its tests).
#include <cerrno>
#include <fstream>

#include "typelib/file_bytes.h"

namespace tessivar {

std::unique_ptr<const FileBytes> readFileBytes(const std::string& path, std::uint64_t maxBytes, std::string& why) {
    errno = 0;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::streamoff end = in ? static_cast<std::streamoff>(in.tellg()) : -1;
    if (end < 0) {
        why = readFailure(errno);
        return nullptr;
    }
    if (static_cast<std::uint64_t>(end) > maxBytes) {
        why = "is larger than the " + std::to_string(maxBytes) + " bytes such a file may have";
        return nullptr;
    }
    std::string bytes(static_cast<std::size_t>(end), '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), end)) {
        why = readFailure(errno);
        return nullptr;
    }
    return fileBytesOf(std::move(bytes));
}

}  // namespace tessivar
