// Output files and folders: SourceFile and the folder helpers.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "emit/output_text.h"
#include "engine/file_system.h"

namespace tessivar {

// Told when an output file cannot be created or written, so a run never reports such a file as written.
class OutputFailureSink {
public:
    virtual ~OutputFailureSink() = default;
    virtual void outputFailed(const std::string& path, const std::string& what) = 0;
};

// One output file. Without an open file it accepts writes and ignores them. Its bytes take the place of
// the file at its path when it is closed; destroyed by an exception before that, it is dropped.
class SourceFile : public OutputText {
public:
    explicit SourceFile(FileSystem& files, OutputFailureSink* failures = nullptr);
    ~SourceFile() override;
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    // Starts the file, which replaces an existing one at close.
    bool open(const std::string& path);
    void write(std::string_view text) override;
    bool close() override;
    bool isOpen() const override { return file_ != nullptr; }

private:
    void fail();

    FileSystem& files_;
    OutputFailureSink* failures_;
    std::unique_ptr<OutputFile> file_;
    std::string path_;
    bool failed_ = false;
    int exceptionsAtOpen_ = 0;
};

// "cannot be written (No space left on device)": what failed, with the platform's reason when it gave one.
std::string withReason(const std::string& what, const std::string& reason);

bool isFolder(FileSystem& files, const std::string& path);
// Makes every missing folder along the path; false at the first folder that cannot be made.
bool makeFolderPath(FileSystem& files, const std::string& path);
void ensureFolder(FileSystem& files, const std::string& path);

}  // namespace tessivar
