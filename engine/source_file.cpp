// SourceFile and the folder helpers.
#include "engine/source_file.h"

#include <exception>
#include <vector>

namespace tessivar {

SourceFile::SourceFile(FileSystem& files, OutputFailureSink* failures) : files_(files), failures_(failures) {}

SourceFile::~SourceFile() {
    // Left by an exception, the file is unfinished: it is dropped, and a file it would replace stays.
    if (file_ && std::uncaught_exceptions() > exceptionsAtOpen_) file_.reset();
    close();
}

bool SourceFile::open(const std::string& path) {
    close();
    path_ = path;
    failed_ = false;
    exceptionsAtOpen_ = std::uncaught_exceptions();
    file_ = files_.openForWriting(path);
    if (!file_) {
        if (failures_) failures_->outputFailed(path, withReason("cannot be created", files_.lastFailure()));
        return false;
    }
    return true;
}

void SourceFile::write(std::string_view text) {
    if (!file_ || failed_) return;
    if (!file_->write(text)) fail();
}

bool SourceFile::close() {
    if (!file_) return !failed_;
    if (!file_->close() && !failed_) fail();
    file_.reset();
    return !failed_;
}

// Told once per file, with the platform's reason: a full disk fails every file the same way.
void SourceFile::fail() {
    failed_ = true;
    if (failures_) failures_->outputFailed(path_, withReason("cannot be written", file_ ? file_->failure() : ""));
}

std::string withReason(const std::string& what, const std::string& reason) {
    return reason.empty() ? what : what + " (" + reason + ")";
}

bool isFolder(FileSystem& files, const std::string& path) { return files.isFolder(path); }

bool makeFolderPath(FileSystem& files, const std::string& path) {
    // Both separators count; the folders are made with the native one. A leading separator is kept,
    // so absolute paths are made where the files will be opened.
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '/' || c == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    if (parts.empty()) return false;

    std::string accumulated;
    if (path.front() == '/' || path.front() == '\\') accumulated += kPathSeparator;
    accumulated += parts.front();
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const bool isDrive = accumulated.size() == 2 && accumulated[1] == ':';
        if (!isDrive && !files.isFolder(accumulated) && !files.makeFolder(accumulated)) return false;
        if (i + 1 < parts.size()) accumulated += kPathSeparator + parts[i + 1];
    }
    return true;
}

void ensureFolder(FileSystem& files, const std::string& path) {
    if (!isFolder(files, path)) makeFolderPath(files, path);
}

}  // namespace tessivar
