// The files-and-folders seam over FindFirstFileA, CreateDirectoryA, CreateFileA and the current directory.
#include "engine/windows/windows_file_system.h"

#include <windows.h>

#include <string>

#include "typelib/windows/ansi_text.h"

namespace tessivar {
namespace {

// Buffers the converted bytes: one WriteFile per generated line would cost a system call each.
class WindowsOutputFile : public OutputFile {
public:
    explicit WindowsOutputFile(HANDLE file) : file_(file) {}
    ~WindowsOutputFile() override { close(); }
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
        if (!flush()) ok_ = false;
        if (!CloseHandle(file_)) ok_ = false;
        file_ = INVALID_HANDLE_VALUE;
        return ok_;
    }

private:
    static constexpr std::size_t kFlushAt = 1 << 16;

    bool flush() {
        std::string_view rest = buffer_;
        while (ok_ && !rest.empty()) {
            const DWORD chunk = rest.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(rest.size());
            DWORD written = 0;
            if (!WriteFile(file_, rest.data(), chunk, &written, nullptr) || written == 0) ok_ = false;
            rest.remove_prefix(written);
        }
        buffer_.clear();
        return ok_;
    }

    HANDLE file_;
    bool ok_ = true;
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
    return CreateDirectoryA(toAnsiCodePage(path).c_str(), nullptr) != 0;
}

std::unique_ptr<OutputFile> WindowsFileSystem::openForWriting(const std::string& path) {
    const HANDLE h = CreateFileA(toAnsiCodePage(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<WindowsOutputFile>(h);
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
