// The files-and-folders seam over FindFirstFileA, CreateDirectoryA and CreateFileA.
#include "engine/windows/windows_file_system.h"

#include <windows.h>

#include <string>

namespace tessivar {
namespace {

class WindowsOutputFile : public OutputFile {
public:
    explicit WindowsOutputFile(HANDLE file) : file_(file) {}
    ~WindowsOutputFile() override { close(); }

    bool write(std::string_view bytes) override {
        if (file_ == INVALID_HANDLE_VALUE) return false;
        while (!bytes.empty()) {
            const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
            DWORD written = 0;
            if (!WriteFile(file_, bytes.data(), chunk, &written, nullptr) || written == 0) return ok_ = false;
            bytes.remove_prefix(written);
        }
        return true;
    }

    bool close() override {
        if (file_ == INVALID_HANDLE_VALUE) return ok_;
        if (!CloseHandle(file_)) ok_ = false;
        file_ = INVALID_HANDLE_VALUE;
        return ok_;
    }

private:
    HANDLE file_;
    bool ok_ = true;
};

bool find(const std::string& path, WIN32_FIND_DATAA& data) {
    const HANDLE h = FindFirstFileA(path.c_str(), &data);
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

bool WindowsFileSystem::makeFolder(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

std::unique_ptr<OutputFile> WindowsFileSystem::openForWriting(const std::string& path) {
    const HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<WindowsOutputFile>(h);
}

std::string WindowsFileSystem::currentDirectory() {
    char buf[MAX_PATH];
    const DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
    return n == 0 || n >= sizeof buf ? std::string() : std::string(buf, n);
}

bool WindowsFileSystem::setCurrentDirectory(const std::string& path) { return SetCurrentDirectoryA(path.c_str()) != 0; }

}  // namespace tessivar
