// The files-and-folders seam over the Win32 ANSI calls.
#pragma once

#include <mutex>
#include <set>
#include <string>

#include "engine/file_system.h"

namespace tessivar {

// Paths and file contents are UTF-8 on this side and the ANSI code page on the platform's side, as the
// ANSI calls and the files the program writes use it.
class WindowsFileSystem : public FileSystem {
public:
    bool isFolder(const std::string& path) override;
    bool exists(const std::string& path) override;
    bool makeFolder(const std::string& path) override;
    std::unique_ptr<OutputFile> openForWriting(const std::string& path) override;
    std::string currentDirectory() override;
    bool setCurrentDirectory(const std::string& path) override;
    std::string lastFailure() override;

private:
    std::mutex cleanedLock_;
    std::set<std::string> cleaned_;  // folders whose stale replacement files are gone (ANSI)
};

}  // namespace tessivar
