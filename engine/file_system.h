// The files-and-folders seam: everything the generation run does to the disk goes through here.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace tessivar {

// The native separator of the build: the Windows build writes the backslash paths its users know.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

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
};

// The name of the file written beside a target before it replaces it: a dot file ending in ".tmp", so
// never the name of a generated file (those end in ".java" or are "build.xml"). The process id, a
// random number drawn once per process and a counter keep concurrent runs and successive files apart.
std::string replacementFileName(unsigned long processId);

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // FindFirstFile on the path succeeds and finds a folder.
    virtual bool isFolder(const std::string& path) = 0;
    // FindFirstFile on the path finds anything (file or folder).
    virtual bool exists(const std::string& path) = 0;
    // CreateDirectory of one folder whose parent exists.
    virtual bool makeFolder(const std::string& path) = 0;
    // Starts a file that replaces the path's file at close (see OutputFile); null when it cannot be
    // started: the folder is missing or refuses a new file, the path is a folder, or an existing file
    // there is read-only.
    virtual std::unique_ptr<OutputFile> openForWriting(const std::string& path) = 0;
    virtual std::string currentDirectory() = 0;
    virtual bool setCurrentDirectory(const std::string& path) = 0;
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

protected:
    FileSystem& target_;
};

}  // namespace tessivar
