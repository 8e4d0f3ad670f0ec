// The files-and-folders seam over the Win32 ANSI calls.
#pragma once

#include "engine/file_system.h"

namespace tessivar {

class WindowsFileSystem : public FileSystem {
public:
    bool isFolder(const std::string& path) override;
    bool exists(const std::string& path) override;
    bool makeFolder(const std::string& path) override;
    std::unique_ptr<OutputFile> openForWriting(const std::string& path) override;
    std::string currentDirectory() override;
    bool setCurrentDirectory(const std::string& path) override;
};

}  // namespace tessivar
