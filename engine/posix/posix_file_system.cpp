// The files-and-folders seam over POSIX calls, with buffered output files.
#include "engine/posix/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <utility>

#include "base/text.h"

namespace tessivar {
namespace {

// Why this thread's last makeFolder or openForWriting failed.
thread_local std::string lastFailureText;

bool failWith(int error) {
    lastFailureText = std::strerror(error);
    return false;
}

// The folder part of a native path with its trailing '/', or "" for a name in the current folder.
std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A fresh replacement name in `folder`.
std::string replacementPath(const std::string& folder) {
    return folder + replacementFileName(static_cast<unsigned long>(::getpid()));
}

// Gives the nameless file of `fd` the name `name`, which must not exist yet (errno EEXIST when it does).
bool linkNameless(int fd, const std::string& name) {
    const std::string fdPath = "/proc/self/fd/" + std::to_string(fd);
    int result = ::linkat(AT_FDCWD, fdPath.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW);
    if (result != 0 && errno == ENOENT)  // no /proc: the direct way, which needs privileges
        result = ::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH);
    return result == 0;
}

// Gives the nameless file of `fd` a fresh name in `folder`: that name, or "" when it cannot be linked.
std::string linkNamelessBeside(int fd, const std::string& folder) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string name = replacementPath(folder);
        if (linkNameless(fd, name)) return name;
        if (errno != EEXIST) break;
    }
    return {};
}

// Writes a new file beside the target and puts it in the target's place at close. Where the file system
// can, the new file has no name until then (O_TMPFILE), so a killed process leaves nothing behind; else
// it is made under a replacement name and removed again on failure. A device or pipe at the target
// cannot be replaced and is written directly.
class PosixOutputFile : public OutputFile {
public:
    enum class Kind { Nameless, Named, Direct };

    PosixOutputFile(int fd, Kind kind, std::string target, std::string folder, std::string temporary,
                    PosixFileSystem::Paths* made = nullptr)
        : fd_(fd), kind_(kind), target_(std::move(target)), folder_(std::move(folder)),
          temporary_(std::move(temporary)), made_(made) {}
    ~PosixOutputFile() override {
        if (fd_ < 0) return;
        ::close(fd_);
        if (kind_ == Kind::Named) ::unlink(temporary_.c_str());
    }
    PosixOutputFile(const PosixOutputFile&) = delete;
    PosixOutputFile& operator=(const PosixOutputFile&) = delete;

    // Small pieces are gathered; a piece that would fill the buffer goes out at once with what is
    // gathered, without being copied.
    bool write(std::string_view bytes) override {
        if (fd_ < 0 || !ok_) return false;
        if (buffer_.size() + bytes.size() < kFlushAt) {
            buffer_.append(bytes);
            return true;
        }
        return flush() && writeAll(bytes);
    }

    bool close() override {
        if (fd_ < 0) return ok_;
        ok_ = flush() && ok_;
        // Where nothing stands at the target yet, the file takes its name at once, in one step; else it
        // is named beside it and renamed over it. A file this file system made itself is first removed
        // instead: it did not exist before, so nothing older is lost if the process dies in between, and
        // the file system need not write the new bytes out before the rename.
        if (ok_ && kind_ == Kind::Nameless) {
            if (made_ && made_->contains(target_)) (void)::unlink(target_.c_str());
            if (linkNameless(fd_, target_)) {
                if (made_) made_->add(target_);
            } else {
                temporary_ = linkNamelessBeside(fd_, folder_);
                if (temporary_.empty()) failed(errno);
            }
        }
        // A full disk may show only here (delayed allocation, network file systems).
        if (::close(fd_) != 0 && ok_) failed(errno);
        fd_ = -1;
        if (temporary_.empty()) return ok_;  // written directly, named in place, or never named
        if (ok_ && ::rename(temporary_.c_str(), target_.c_str()) != 0) failed(errno);
        if (!ok_) ::unlink(temporary_.c_str());
        return ok_;
    }

    std::string failure() const override { return failure_; }

private:
    static constexpr std::size_t kFlushAt = 1 << 16;

    bool flush() {
        const bool ok = writeAll(buffer_);
        buffer_.clear();
        return ok;
    }

    bool writeAll(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                failed(n < 0 ? errno : ENOSPC);  // a write that takes nothing has no room left
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }

    void failed(int error) {
        if (ok_) failure_ = std::strerror(error);
        ok_ = false;
    }

    int fd_;
    Kind kind_;
    std::string target_, folder_, temporary_;
    PosixFileSystem::Paths* made_;
    bool ok_ = true;
    std::string failure_;
    std::string buffer_;
};

bool processRunning(unsigned long processId) {
    if (processId == 0 || processId > static_cast<unsigned long>(INT_MAX)) return false;
    return ::kill(static_cast<pid_t>(processId), 0) == 0 || errno == EPERM;
}

// Removes the replacement files killed runs left in `folder` ("" for the current one). Only regular
// files of the pattern go; links and folders of that name are not ours and stay.
void removeStaleReplacementFiles(const std::string& folder) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return;
    const int dirFd = ::dirfd(dir);
    const auto now = static_cast<long long>(::time(nullptr));
    const auto self = static_cast<unsigned long>(::getpid());
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (!replacementFileProcess(name)) continue;
        struct stat st {};
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
        if (isStaleReplacementFile(name, now - static_cast<long long>(st.st_mtime), self, processRunning))
            (void)::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(dir);
}

// The resolved path of `path`, or of the nearest folder above it that exists; empty when none resolves.
std::string resolvedExistingPart(std::string path) {
    while (true) {
        if (char* real = ::realpath(path.empty() ? "." : path.c_str(), nullptr)) {
            std::string resolved = real;
            std::free(real);
            return resolved;
        }
        if (errno != ENOENT || path.empty() || path == "/") return {};
        while (path.size() > 1 && path.back() == '/') path.pop_back();
        const auto slash = path.rfind('/');
        path = slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
    }
}

}  // namespace

bool PosixFileSystem::isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(nativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PosixFileSystem::exists(const std::string& path) {
    struct stat st {};
    return ::stat(nativePath(path).c_str(), &st) == 0;
}

bool PosixFileSystem::makeFolder(const std::string& path) {
    const std::string folder = nativePath(path);
    if (::mkdir(folder.c_str(), 0777) == 0) return true;
    const int error = errno;
    // Made a moment ago by another run: what counts is that the folder is there.
    struct stat st {};
    if (error == EEXIST && ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    return failWith(error == EEXIST ? ENOTDIR : error);  // a file stands where the folder would go
}

std::string PosixFileSystem::lastFailure() { return lastFailureText; }

bool PosixFileSystem::staysWithin(const std::string& folder, const std::string& root) {
    const std::string realRoot = resolvedExistingPart(nativePath(root));
    const std::string realFolder = resolvedExistingPart(nativePath(folder));
    if (realRoot.empty() || realFolder.empty()) return true;  // nothing there to lead anywhere
    if (realFolder == realRoot) return true;
    const std::string inside = realRoot == "/" ? realRoot : realRoot + "/";
    return realFolder.starts_with(inside);
}

void PosixFileSystem::cleanFolderOnce(const std::string& folder) {
    if (cleaned_.add(folder)) removeStaleReplacementFiles(folder);
}

std::unique_ptr<OutputFile> PosixFileSystem::openForWriting(const std::string& path) {
    using Kind = PosixOutputFile::Kind;
    const std::string target = nativePath(path);
    struct stat existing {};
    const bool exists = ::lstat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        failWith(EISDIR);
        return nullptr;
    }
    if (exists && !S_ISREG(existing.st_mode) && !S_ISLNK(existing.st_mode)) {
        // A terminal or /dev/null is written directly. A pipe would wait for a reader for good, and a
        // socket or disk device is no place for a text: those are refused.
        if (!S_ISCHR(existing.st_mode)) {
            lastFailureText = "is not a regular file";
            return nullptr;
        }
        const int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            failWith(errno);
            return nullptr;
        }
        struct stat opened {};
        const int flags = ::fcntl(fd, F_GETFL);
        if (::fstat(fd, &opened) != 0 || !S_ISCHR(opened.st_mode) || flags < 0 ||
            ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {  // swapped for something else meanwhile
            ::close(fd);
            lastFailureText = "is not a regular file";
            return nullptr;
        }
        return std::make_unique<PosixOutputFile>(fd, Kind::Direct, target, std::string(), std::string());
    }
    // A file its owner made read-only stays as it is, as it did when files were emptied in place; a
    // replaced file keeps its permissions, a new one gets 0666 less the umask. A symbolic link is
    // replaced itself: what it points to, perhaps outside the destination, is left alone.
    const bool keepMode = exists && S_ISREG(existing.st_mode);
    if (keepMode && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        failWith(errno);
        return nullptr;
    }
    const std::string folder = folderOf(target);
    cleanFolderOnce(folder);

    int fd = -1;
    Kind kind = Kind::Nameless;
    std::string temporary;
    if (namelessFiles_) fd = ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    // Older kernels and some file systems have no nameless files: a named one it is.
    if (!namelessFiles_ || (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL))) {
        kind = Kind::Named;
        for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
            temporary = replacementPath(folder);
            fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0 && errno != EEXIST) break;
        }
    }
    if (fd < 0) {
        failWith(errno);
        return nullptr;
    }
    if (keepMode) (void)::fchmod(fd, existing.st_mode & 0777);
    return std::make_unique<PosixOutputFile>(fd, kind, target, folder, temporary, &made_);
}

bool PosixFileSystem::Paths::contains(const std::string& path) {
    std::lock_guard<std::mutex> guard(lock_);
    return paths_.contains(path);
}

bool PosixFileSystem::Paths::add(const std::string& path) {
    std::lock_guard<std::mutex> guard(lock_);
    return paths_.insert(path).second;
}

std::string PosixFileSystem::currentDirectory() {
    char buf[PATH_MAX];
    if (!::getcwd(buf, sizeof buf)) return {};
    return buf;
}

bool PosixFileSystem::setCurrentDirectory(const std::string& path) { return ::chdir(nativePath(path).c_str()) == 0; }

}  // namespace tessivar
