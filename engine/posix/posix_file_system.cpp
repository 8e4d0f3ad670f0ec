// The files-and-folders seam over POSIX calls, with buffered output files.
#include "engine/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>

namespace tessivar {
namespace {

class PosixOutputFile : public OutputFile {
public:
    explicit PosixOutputFile(int fd) : fd_(fd) {}
    ~PosixOutputFile() override { close(); }

    bool write(std::string_view bytes) override {
        if (fd_ < 0) return false;
        buffer_.append(bytes);
        return buffer_.size() < kFlushAt || flush();
    }

    bool close() override {
        if (fd_ < 0) return ok_;
        ok_ = flush() && ok_;
        if (::close(fd_) != 0) ok_ = false;
        fd_ = -1;
        return ok_;
    }

private:
    static constexpr std::size_t kFlushAt = 1 << 16;

    bool flush() {
        std::size_t done = 0;
        while (done < buffer_.size()) {
            const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                ok_ = false;
                buffer_.clear();
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
        buffer_.clear();
        return true;
    }

    int fd_;
    bool ok_ = true;
    std::string buffer_;
};

}  // namespace

std::string nativePath(const std::string& path) {
    std::string out = path;
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

bool PosixFileSystem::isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(nativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PosixFileSystem::exists(const std::string& path) {
    struct stat st {};
    return ::stat(nativePath(path).c_str(), &st) == 0;
}

bool PosixFileSystem::makeFolder(const std::string& path) { return ::mkdir(nativePath(path).c_str(), 0777) == 0; }

std::unique_ptr<OutputFile> PosixFileSystem::openForWriting(const std::string& path) {
    const int fd = ::open(nativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixOutputFile>(fd);
}

std::string PosixFileSystem::currentDirectory() {
    char buf[PATH_MAX];
    if (!::getcwd(buf, sizeof buf)) return {};
    return buf;
}

bool PosixFileSystem::setCurrentDirectory(const std::string& path) { return ::chdir(nativePath(path).c_str()) == 0; }

}  // namespace tessivar
