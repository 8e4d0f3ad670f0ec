// The files-and-folders seam over POSIX calls.
#pragma once

#include "engine/file_system.h"

namespace tessivar {

// Paths may use '\' as well as '/': both separate folders here, as they do on Windows.
class PosixFileSystem : public FileSystem {
public:
    // `namelessFiles` false names every new output file from the start, as on file systems that have
    // no nameless files.
    explicit PosixFileSystem(bool namelessFiles = true) : namelessFiles_(namelessFiles) {}
    bool isFolder(const std::string& path) override;
    bool exists(const std::string& path) override;
    bool makeFolder(const std::string& path) override;
    std::unique_ptr<OutputFile> openForWriting(const std::string& path) override;
    std::string currentDirectory() override;
    bool setCurrentDirectory(const std::string& path) override;

private:
    bool namelessFiles_;
};

// The path with every '\' turned into '/'.
std::string nativePath(const std::string& path);

}  // namespace tessivar
