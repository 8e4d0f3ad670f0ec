// In-memory stand-ins for the platform seams.
#include "support/fakes.h"

namespace tessivar::test {
namespace {

std::string parentOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

class MemoryOutputFile : public OutputFile {
public:
    MemoryOutputFile(std::string& target, bool failing) : target_(target), failing_(failing) {}
    bool write(std::string_view bytes) override {
        if (failing_) return false;
        target_.append(bytes);
        return true;
    }
    bool close() override { return !failing_; }

private:
    std::string& target_;
    bool failing_;
};

}  // namespace

MemoryFileSystem::MemoryFileSystem() { folders = {"/", "/work", "."}; }

std::string MemoryFileSystem::normal(const std::string& path) {
    std::string out;
    for (char c : path) {
        const char d = c == '\\' ? '/' : c;
        if (d == '/' && !out.empty() && out.back() == '/') continue;
        out += d;
    }
    if (out.size() > 1 && out.back() == '/') out.pop_back();
    return out;
}

bool MemoryFileSystem::isFolder(const std::string& path) { return folders.count(normal(path)) != 0; }

bool MemoryFileSystem::exists(const std::string& path) {
    return isFolder(path) || files.count(normal(path)) != 0;
}

bool MemoryFileSystem::makeFolder(const std::string& path) {
    const std::string p = normal(path);
    if (isFolder(p)) return true;  // made meanwhile by another run
    if (exists(p)) return false;
    const std::string parent = parentOf(p);
    if (!parent.empty() && !isFolder(parent) && parent != ".") return false;
    folders.insert(p);
    madeFolders.push_back(p);
    return true;
}

std::unique_ptr<OutputFile> MemoryFileSystem::openForWriting(const std::string& path) {
    const std::string p = normal(path);
    if (isFolder(p)) return nullptr;
    const std::string parent = parentOf(p);
    if (!parent.empty() && !isFolder(parent)) return nullptr;
    files[p].clear();
    return std::make_unique<MemoryOutputFile>(files[p], failWrites.count(p) != 0);
}

bool MemoryFileSystem::setCurrentDirectory(const std::string& path) {
    if (!isFolder(path)) return false;
    cwd = normal(path);
    return true;
}

void MemoryFileSystem::addFile(const std::string& path, const std::string& bytes) { files[normal(path)] = bytes; }

std::optional<std::string> MemoryFileSystem::file(const std::string& path) const {
    const auto it = files.find(normal(path));
    if (it == files.end()) return std::nullopt;
    return it->second;
}

std::optional<std::string> MemorySettingsStore::read(const std::string& name, std::size_t maxBytes) {
    if (!present) return std::nullopt;
    const auto it = values.find(name);
    if (it == values.end() || it->second.size() + 1 > maxBytes) return std::nullopt;
    return it->second;
}

bool MemorySettingsStore::write(const std::string& name, const std::string& value) {
    if (!present) return false;
    values[name] = value;
    writes.push_back(name + "=" + value);
    return true;
}

}  // namespace tessivar::test
