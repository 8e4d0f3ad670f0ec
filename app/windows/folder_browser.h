// The shell folder browser that the dialog's choosers and the run's runtime-folder prompt share, the
// process-wide PathBuffer it fills, and the lock that keeps the two threads from using either at once.
#pragma once

#include <windows.h>

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>

namespace tessivar {

inline constexpr std::size_t kPathBufferSize = MAX_PATH;

// The narrow (ANSI code page) text of the folder the browser last reported.
extern char PathBuffer[kPathBufferSize];

// Guards PathBuffer and the process's current directory, which relative destinations resolve against.
// The worker holds it for a whole request; the dialog's thread holds it for each chooser and for the Open
// File dialog (which moves the current directory). The dialog's thread only ever tries it, so it never
// waits for the worker and the worker's messages to the dialog are always served.
class FolderStateLock {
public:
    enum Mode { Wait, Try };
    explicit FolderStateLock(Mode mode);
    bool held() const { return lock_.owns_lock(); }

private:
    std::unique_lock<std::mutex> lock_;
};

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM param, LPARAM data);

// Shows the browser (flags 7, BrowseCallback) opened at the current directory. The chosen folder in
// UTF-8, or nothing on Cancel. The caller holds a FolderStateLock.
std::optional<std::string> browseForFolder(HWND owner, const std::string& title);

}  // namespace tessivar
