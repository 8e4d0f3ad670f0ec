// SHBrowseForFolderA with BrowseCallback and PathBuffer.
#include "app/windows/folder_browser.h"

#include <shlobj.h>

#include <cstring>

#include "typelib/windows/ansi_text.h"

namespace tessivar {
namespace {

std::mutex& folderStateMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

char PathBuffer[kPathBufferSize];

FolderStateLock::FolderStateLock(Mode mode)
    : lock_(mode == Wait ? std::unique_lock<std::mutex>(folderStateMutex())
                         : std::unique_lock<std::mutex>(folderStateMutex(), std::try_to_lock)) {}

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM param, LPARAM) {
    switch (message) {
        case BFFM_INITIALIZED: {
            const DWORD n = GetCurrentDirectoryA(kPathBufferSize, PathBuffer);
            if (n > 0 && n < kPathBufferSize) SendMessageA(window, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(PathBuffer));
            break;
        }
        case BFFM_SELCHANGED:
            if (SHGetPathFromIDListA(reinterpret_cast<PCIDLIST_ABSOLUTE>(param), PathBuffer))
                SendMessageA(window, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(PathBuffer));
            break;
        default:
            break;
    }
    return 0;
}

std::optional<std::string> browseForFolder(HWND owner, const std::string& title) {
    const std::string ansiTitle = toAnsiCodePage(title);
    BROWSEINFOA info;
    std::memset(&info, 0, sizeof info);
    info.hwndOwner = owner;
    info.lpszTitle = ansiTitle.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_STATUSTEXT;
    info.lpfn = BrowseCallback;
    std::memset(PathBuffer, 0, 4);
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&info);
    if (!chosen) return std::nullopt;
    CoTaskMemFree(chosen);
    // A failed conversion of the last selection can leave the buffer unterminated.
    PathBuffer[kPathBufferSize - 1] = '\0';
    // OK without any folder reported (the current directory unreadable, nothing selected) chooses nothing.
    if (PathBuffer[0] == '\0') return std::nullopt;
    return fromAnsiCodePage(PathBuffer);
}

}  // namespace tessivar
