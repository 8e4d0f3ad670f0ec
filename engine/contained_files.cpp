// ContainedFileSystem: no write through a link that leads out of the destination.
#include "engine/contained_files.h"

namespace tessivar {
namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

// The folder part of a path without its trailing separator; "" for a bare name.
std::string parentOf(const std::string& path) {
    std::size_t end = path.size();
    while (end > 0 && isSeparator(path[end - 1])) --end;  // "a/b/" is b's path
    while (end > 0 && !isSeparator(path[end - 1])) --end;
    while (end > 1 && isSeparator(path[end - 1])) --end;
    return path.substr(0, end);
}

// Whether `path` lies strictly below `root`, both separators alike.
bool isBelow(const std::string& path, const std::string& root) {
    std::size_t rootEnd = root.size();
    while (rootEnd > 0 && isSeparator(root[rootEnd - 1])) --rootEnd;
    if (rootEnd == 0 || path.size() <= rootEnd + 1 || !isSeparator(path[rootEnd])) return false;
    for (std::size_t i = 0; i < rootEnd; ++i)
        if (path[i] != root[i] && !(isSeparator(path[i]) && isSeparator(root[i]))) return false;
    return true;
}

}  // namespace

void ContainedFileSystem::setRoot(const std::string& root) {
    if (root == root_) return;
    root_ = root;
    allowed_.clear();
}

bool ContainedFileSystem::allowed(const std::string& folder) {
    if (!isBelow(folder, root_) || allowed_.contains(folder)) return true;
    if (!target_.staysWithin(folder, root_)) return false;
    allowed_.insert(folder);
    return true;
}

bool ContainedFileSystem::makeFolder(const std::string& path) {
    refused_ = !allowed(parentOf(path));
    return !refused_ && target_.makeFolder(path);
}

std::unique_ptr<OutputFile> ContainedFileSystem::openForWriting(const std::string& path) {
    refused_ = !allowed(parentOf(path));
    return refused_ ? nullptr : target_.openForWriting(path);
}

std::string ContainedFileSystem::lastFailure() {
    return refused_ ? "a symbolic link leads out of the destination" : target_.lastFailure();
}

}  // namespace tessivar
