// UnchangedFileSkipper: rewrites of a request's own files that would not change a byte are left out.
#include "engine/unchanged_files.h"

#include <utility>

namespace tessivar {

// The first write of a path in the request: straight to the target, its bytes kept for later rewrites.
class UnchangedFileSkipper::PassThroughFile : public OutputFile {
public:
    PassThroughFile(UnchangedFileSkipper& owner, std::unique_ptr<OutputFile> file, std::string key, std::string path)
        : owner_(owner), file_(std::move(file)), key_(std::move(key)), path_(std::move(path)) {}
    ~PassThroughFile() override { close(); }

    bool write(std::string_view bytes) override {
        if (!file_) return false;
        if (!file_->write(bytes)) failed_ = true;
        if (!failed_ && !key_.empty()) bytes_.append(bytes);
        return !failed_;
    }

    bool close() override {
        if (!file_) return !failed_;
        if (!file_->close()) failed_ = true;
        file_.reset();
        if (!failed_ && !key_.empty()) owner_.remember(key_, path_, std::move(bytes_));
        return !failed_;
    }

private:
    UnchangedFileSkipper& owner_;
    std::unique_ptr<OutputFile> file_;
    std::string key_, path_, bytes_;
    bool failed_ = false;
};

// A rewrite: gathered in memory, written at the close only when the bytes differ from the last write.
class UnchangedFileSkipper::GatheredFile : public OutputFile {
public:
    GatheredFile(UnchangedFileSkipper& owner, std::string key, std::string path)
        : owner_(owner), key_(std::move(key)), path_(std::move(path)) {}
    ~GatheredFile() override { close(); }

    bool write(std::string_view bytes) override {
        if (closed_) return false;
        bytes_.append(bytes);
        return true;
    }

    bool close() override {
        if (closed_) return ok_;
        closed_ = true;
        const auto known = owner_.written_.find(key_);
        if (known != owner_.written_.end() && known->second.spelling == path_ && known->second.bytes == bytes_) {
            ++owner_.filesLeftAlone_;
            return ok_ = true;
        }
        std::unique_ptr<OutputFile> file = owner_.openTarget(path_, key_);
        ok_ = file && file->write(bytes_);
        if (file && !file->close()) ok_ = false;
        if (ok_) owner_.remember(key_, path_, std::move(bytes_));
        return ok_;
    }

private:
    UnchangedFileSkipper& owner_;
    std::string key_, path_, bytes_;
    bool closed_ = false;
    bool ok_ = false;
};

std::string UnchangedFileSkipper::keyOf(const std::string& path) {
    std::string key;
    key.reserve(path.size());
    for (char c : path) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80 || c == '~') return {};
        if (c == '\\') c = '/';
        else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        key += c;
    }
    return key;
}

std::unique_ptr<OutputFile> UnchangedFileSkipper::openForWriting(const std::string& path) {
    std::string key = keyOf(path);
    if (!key.empty()) {
        const auto known = written_.find(key);
        if (known != written_.end() && known->second.spelling == path)
            return std::make_unique<GatheredFile>(*this, std::move(key), path);
    }
    std::unique_ptr<OutputFile> file = openTarget(path, key);
    if (!file) return nullptr;
    return std::make_unique<PassThroughFile>(*this, std::move(file), std::move(key), path);
}

std::unique_ptr<OutputFile> UnchangedFileSkipper::openTarget(const std::string& path, const std::string& key) {
    if (key.empty()) written_.clear();
    else written_.erase(key);
    ++filesWritten_;
    return target_.openForWriting(path);
}

void UnchangedFileSkipper::remember(const std::string& key, const std::string& path, std::string bytes) {
    bytes.shrink_to_fit();  // kept for the rest of the request, so without the room that appending left
    written_[key] = Written{path, std::move(bytes)};
}

}  // namespace tessivar
