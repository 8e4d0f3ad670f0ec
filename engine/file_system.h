// The files-and-folders seam: everything the generation run does to the disk goes through here.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/path_separator.h"

namespace tessivar {

// An open output file. Writes may be buffered; the bytes on disk after a successful close are exactly
// the bytes written. A failed write or close is reported, never taken for success.
//
// The bytes go to a file beside the target, which takes the target's place only when close() succeeds:
// until then, and for good when a write or the close fails or the object is destroyed without close(),
// the target keeps its old bytes (or stays missing) and the file beside it is gone again.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual bool write(std::string_view bytes) = 0;
    virtual bool close() = 0;
    // Why the first failed write or close failed, as the platform words it ("No space left on
    // device"); empty while nothing failed or when the platform gave no reason.
    virtual std::string failure() const { return {}; }
};

// The name of the file written beside a target before it replaces it: a dot file ending in ".tmp", so
// never the name of a generated file (those end in ".java" or are "build.xml"). The process id, a
// random number drawn once per process and a counter keep concurrent runs and successive files apart.
std::string replacementFileName(unsigned long processId);

// The process id in a name of replacementFileName's pattern (".tessivar-PID-HEX-N.tmp", nothing else),
// or nothing for every other name.
std::optional<unsigned long> replacementFileProcess(std::string_view name);

// Whether a file named `name`, last changed `ageSeconds` ago, is a replacement file a killed run left
// behind: of the pattern, not of this process, and either of a process that no longer runs here
// (`running`) and older than a few seconds, or older than an hour whoever made it (a run on another
// machine sharing the folder, whose process ids mean nothing here, is done with a file long before).
bool isStaleReplacementFile(std::string_view name, long long ageSeconds, unsigned long ownProcessId,
                            bool (*running)(unsigned long processId));

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // FindFirstFile on the path succeeds and finds a folder.
    virtual bool isFolder(const std::string& path) = 0;
    // FindFirstFile on the path finds anything (file or folder).
    virtual bool exists(const std::string& path) = 0;
    // CreateDirectory of one folder whose parent exists. A folder that is already there counts as
    // made: another run writing to the same place may have made it a moment ago.
    virtual bool makeFolder(const std::string& path) = 0;
    // Starts a file that replaces the path's file at close (see OutputFile); null when it cannot be
    // started: the folder is missing or refuses a new file, the path is a folder, a pipe or a device
    // that cannot be written without waiting, or an existing file there is read-only. Replacement
    // files a killed run left in the folder (isStaleReplacementFile) are removed the first time a
    // folder is written to.
    virtual std::unique_ptr<OutputFile> openForWriting(const std::string& path) = 0;
    virtual std::string currentDirectory() = 0;
    virtual bool setCurrentDirectory(const std::string& path) = 0;
    // Why the last makeFolder or openForWriting of this thread failed, as the platform words it; empty
    // when it gave no reason.
    virtual std::string lastFailure() { return {}; }
    // Whether `folder`, every symbolic link and junction followed, is `root` or lies below it; a
    // folder that does not exist yet is judged by the part of it that does. Without links, true.
    virtual bool staysWithin(const std::string& folder, const std::string& root) {
        (void)folder;
        (void)root;
        return true;
    }
};

// A file system over another that passes every call on; variants override what they do differently.
class ForwardingFileSystem : public FileSystem {
public:
    explicit ForwardingFileSystem(FileSystem& target) : target_(target) {}
    bool isFolder(const std::string& path) override { return target_.isFolder(path); }
    bool exists(const std::string& path) override { return target_.exists(path); }
    bool makeFolder(const std::string& path) override { return target_.makeFolder(path); }
    std::unique_ptr<OutputFile> openForWriting(const std::string& path) override {
        return target_.openForWriting(path);
    }
    std::string currentDirectory() override { return target_.currentDirectory(); }
    bool setCurrentDirectory(const std::string& path) override { return target_.setCurrentDirectory(path); }
    std::string lastFailure() override { return target_.lastFailure(); }
    bool staysWithin(const std::string& folder, const std::string& root) override {
        return target_.staysWithin(folder, root);
    }

protected:
    FileSystem& target_;
};

}  // namespace tessivar
