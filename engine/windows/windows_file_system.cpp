// The files-and-folders seam over FindFirstFileA, CreateDirectoryA, CreateFileA, MoveFileExA and the current
// directory.
#include "engine/windows/windows_file_system.h"

#include <windows.h>

#include <mutex>
#include <string>
#include <utility>

#include "typelib/windows/ansi_text.h"

namespace tessivar {
namespace {

// Why this thread's last makeFolder or openForWriting failed.
thread_local std::string lastFailureText;

// The system's text for an error code, without its closing period and line break.
std::string systemMessage(DWORD error) {
    char buffer[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                             MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, sizeof buffer, nullptr);
    while (n > 0 && (buffer[n - 1] == '\r' || buffer[n - 1] == '\n' || buffer[n - 1] == ' ' || buffer[n - 1] == '.')) --n;
    if (n == 0) return "error " + std::to_string(error);
    return fromAnsiCodePage(std::string_view(buffer, n));
}

bool processRunning(unsigned long processId) {
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

// Removes the replacement files killed runs left in `folder` (ANSI, with its trailing separator).
void removeStaleReplacementFiles(const std::string& folder) {
    WIN32_FIND_DATAA data;
    const HANDLE find = FindFirstFileA((folder + ".tessivar-*.tmp").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    FILETIME nowFile;
    GetSystemTimeAsFileTime(&nowFile);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    do {
        if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        const unsigned long long now = ticks(nowFile), written = ticks(data.ftLastWriteTime);
        const long long age = now > written ? static_cast<long long>((now - written) / 10000000ull) : 0;
        if (isStaleReplacementFile(data.cFileName, age, GetCurrentProcessId(), processRunning))
            DeleteFileA((folder + data.cFileName).c_str());
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

// A folder or a read-only file at the path (in the ANSI code page): neither is replaced.
bool isNotReplaceable(const std::string& ansiPath) {
    const DWORD attributes = GetFileAttributesA(ansiPath.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0;
}

// Buffers the converted bytes: one WriteFile per generated line would cost a system call each. The
// bytes go to a file beside the target, which MoveFileEx puts in the target's place at close; on any
// failure, and when destroyed without close, that file is deleted and the target keeps its bytes.
class WindowsOutputFile : public OutputFile {
public:
    WindowsOutputFile(HANDLE file, std::string temporary, std::string target)
        : file_(file), temporary_(std::move(temporary)), target_(std::move(target)) {}
    ~WindowsOutputFile() override {
        if (file_ == INVALID_HANDLE_VALUE) return;
        CloseHandle(file_);
        DeleteFileA(temporary_.c_str());
    }
    WindowsOutputFile(const WindowsOutputFile&) = delete;
    WindowsOutputFile& operator=(const WindowsOutputFile&) = delete;

    // Each call carries whole characters, so each converts on its own.
    bool write(std::string_view bytes) override {
        if (file_ == INVALID_HANDLE_VALUE || !ok_) return false;
        buffer_ += toAnsiCodePage(bytes);
        return buffer_.size() < kFlushAt || flush();
    }

    bool close() override {
        if (file_ == INVALID_HANDLE_VALUE) return ok_;
        flush();
        if (!CloseHandle(file_)) failed(GetLastError());
        file_ = INVALID_HANDLE_VALUE;
        // Windows refuses to move over a read-only file; Wine does not, so it is asked first.
        if (ok_ && isNotReplaceable(target_)) failed(ERROR_ACCESS_DENIED);
        if (ok_ && !MoveFileExA(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING)) failed(GetLastError());
        if (!ok_) DeleteFileA(temporary_.c_str());
        return ok_;
    }

    std::string failure() const override { return failure_; }

private:
    static constexpr std::size_t kFlushAt = 1 << 16;

    bool flush() {
        std::string_view rest = buffer_;
        while (ok_ && !rest.empty()) {
            const DWORD chunk = rest.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(rest.size());
            DWORD written = 0;
            if (!WriteFile(file_, rest.data(), chunk, &written, nullptr)) failed(GetLastError());
            else if (written == 0) failed(ERROR_DISK_FULL);
            rest.remove_prefix(written);
        }
        buffer_.clear();
        return ok_;
    }

    void failed(DWORD error) {
        if (ok_) failure_ = systemMessage(error);
        ok_ = false;
    }

    HANDLE file_;
    std::string temporary_, target_;  // in the ANSI code page
    bool ok_ = true;
    std::string failure_;
    std::string buffer_;
};

bool find(const std::string& path, WIN32_FIND_DATAA& data) {
    const HANDLE h = FindFirstFileA(toAnsiCodePage(path).c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return false;
    FindClose(h);
    return true;
}

}  // namespace

bool WindowsFileSystem::isFolder(const std::string& path) {
    WIN32_FIND_DATAA data;
    return find(path, data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WindowsFileSystem::exists(const std::string& path) {
    WIN32_FIND_DATAA data;
    return find(path, data);
}

bool WindowsFileSystem::makeFolder(const std::string& path) {
    if (CreateDirectoryA(toAnsiCodePage(path).c_str(), nullptr)) return true;
    const DWORD error = GetLastError();
    // Made a moment ago by another run: what counts is that the folder is there.
    if (error == ERROR_ALREADY_EXISTS && isFolder(path)) return true;
    lastFailureText = systemMessage(error);
    return false;
}

std::string WindowsFileSystem::lastFailure() { return lastFailureText; }

std::unique_ptr<OutputFile> WindowsFileSystem::openForWriting(const std::string& path) {
    const std::string target = toAnsiCodePage(path);
    // A folder, or a read-only file, at the path is not replaced (CREATE_ALWAYS refused both too).
    if (isNotReplaceable(target)) {
        lastFailureText = systemMessage(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    // Split before the conversion: a double-byte character of the code page may end in a '\\' byte.
    const std::size_t separator = path.find_last_of("\\/:");
    const std::string folder = separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
    const std::string ansiFolder = toAnsiCodePage(folder);
    {
        std::lock_guard<std::mutex> guard(cleanedLock_);
        if (cleaned_.insert(ansiFolder).second) removeStaleReplacementFiles(ansiFolder);
    }
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 16 && error == ERROR_FILE_EXISTS; ++attempt) {
        std::string temporary = toAnsiCodePage(folder + replacementFileName(GetCurrentProcessId()));
        const HANDLE h = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) return std::make_unique<WindowsOutputFile>(h, std::move(temporary), target);
        error = GetLastError();
    }
    lastFailureText = systemMessage(error);
    return nullptr;
}

std::string WindowsFileSystem::currentDirectory() {
    char buffer[MAX_PATH];
    const DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
    return n == 0 || n >= sizeof buffer ? std::string() : fromAnsiCodePage(std::string_view(buffer, n));
}

bool WindowsFileSystem::setCurrentDirectory(const std::string& path) {
    return SetCurrentDirectoryA(toAnsiCodePage(path).c_str()) != 0;
}

}  // namespace tessivar
