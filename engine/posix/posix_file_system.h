// The files-and-folders seam over POSIX calls.
#pragma once

#include <mutex>
#include <string>
#include <unordered_set>

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
    std::string lastFailure() override;
    bool staysWithin(const std::string& folder, const std::string& root) override;

    // Paths this file system has met, asked from any thread: the dialog's worker and tests may write
    // from several.
    class Paths {
    public:
        bool contains(const std::string& path);
        // False when the path was there already.
        bool add(const std::string& path);

    private:
        std::mutex lock_;
        std::unordered_set<std::string> paths_;
    };

private:
    // Removes stale replacement files from a folder the first time this file system writes there.
    void cleanFolderOnce(const std::string& folder);

    bool namelessFiles_;
    Paths cleaned_;  // folders cleaned of stale replacement files
    Paths made_;     // files given a name that nothing stood at before
};

}  // namespace tessivar
