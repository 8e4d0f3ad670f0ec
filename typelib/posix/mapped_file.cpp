// Whole regular files mapped read-only; read into memory where a file cannot be mapped.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "typelib/file_bytes.h"
#include "typelib/posix/descriptor.h"

namespace tessivar {
namespace {

class MappedBytes : public FileBytes {
public:
    MappedBytes(void* at, std::size_t size) : at_(at), size_(size) {}
    ~MappedBytes() override { ::munmap(at_, size_); }
    MappedBytes(const MappedBytes&) = delete;
    MappedBytes& operator=(const MappedBytes&) = delete;
    std::span<const std::byte> bytes() const override { return {static_cast<const std::byte*>(at_), size_}; }

private:
    void* at_;
    std::size_t size_;
};

std::string tooLarge(std::uint64_t maxBytes) {
    return "is larger than the " + std::to_string(maxBytes) + " bytes such a file may have";
}

std::unique_ptr<const FileBytes> readAll(int fd, std::uint64_t maxBytes, std::string& why) {
    std::string bytes;
    char chunk[1 << 16];
    while (true) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n == 0) return fileBytesOf(std::move(bytes));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            why = readFailure(errno);
            return nullptr;
        }
        if (bytes.size() + static_cast<std::size_t>(n) > maxBytes) {
            why = tooLarge(maxBytes);
            return nullptr;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
}

}  // namespace

std::unique_ptr<const FileBytes> readFileBytes(const std::string& path, std::uint64_t maxBytes, std::string& why) {
    // Opened without waiting: a pipe would wait for a writer for good, a device for a carrier. Only
    // what fstat then calls a regular file is read, so neither a pipe nor /dev/zero is ever read from.
    const Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
        why = readFailure(errno);
        return nullptr;
    }
    if (S_ISDIR(st.st_mode)) {
        why = readFailure(EISDIR);
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        why = "is not a regular file";
        return nullptr;
    }
    // A regular file never waits, but the flag would still let a lease or a mandatory lock refuse reads.
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags >= 0) (void)::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    // Files that say they are empty may still hold bytes (those of /proc): read, up to the limit.
    if (st.st_size == 0) return readAll(fd.get(), maxBytes, why);
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        why = tooLarge(maxBytes);
        return nullptr;
    }
    const auto size = static_cast<std::size_t>(st.st_size);
    void* at = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd.get(), 0);
    if (at == MAP_FAILED) return readAll(fd.get(), maxBytes, why);
    return std::make_unique<MappedBytes>(at, size);
}

}  // namespace tessivar
