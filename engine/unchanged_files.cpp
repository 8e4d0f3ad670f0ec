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

// A rewrite: compared with the last write as it comes, gathered in memory from the first difference on,
// and written at the close only when the bytes differ.
class UnchangedFileSkipper::GatheredFile : public OutputFile {
public:
    GatheredFile(UnchangedFileSkipper& owner, std::string key, std::string path, std::shared_ptr<const std::string> last)
        : owner_(owner), key_(std::move(key)), path_(std::move(path)), last_(std::move(last)) {}
    ~GatheredFile() override { close(); }

    bool write(std::string_view bytes) override {
        if (closed_) return false;
        if (!differs_) {
            if (last_->size() - same_ >= bytes.size() && last_->compare(same_, bytes.size(), bytes) == 0) {
                same_ += bytes.size();
                return true;
            }
            differs_ = true;
            bytes_.assign(*last_, 0, same_);
        }
        bytes_.append(bytes);
        return true;
    }

    bool close() override {
        if (closed_) return ok_;
        closed_ = true;
        const auto known = owner_.written_.find(key_);
        const bool stillLast = known != owner_.written_.end() && known->second.spelling == path_ &&
                               known->second.bytes == last_;  // nothing wrote the file in between
        if (!differs_ && same_ == last_->size() && stillLast) {
            ++owner_.filesLeftAlone_;
            return ok_ = true;
        }
        if (!differs_) bytes_.assign(*last_, 0, same_);
        std::unique_ptr<OutputFile> file = owner_.openTarget(path_, key_);
        ok_ = file && file->write(bytes_);
        if (file && !file->close()) ok_ = false;
        if (ok_) owner_.remember(key_, path_, std::move(bytes_));
        return ok_;
    }

private:
    UnchangedFileSkipper& owner_;
    std::string key_, path_;
    std::shared_ptr<const std::string> last_;  // the bytes of the last write
    std::size_t same_ = 0;                     // bytes so far equal to the start of last_
    bool differs_ = false;                     // once set, bytes_ holds everything written
    std::string bytes_;
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
            return std::make_unique<GatheredFile>(*this, std::move(key), path, known->second.bytes);
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
    bytes.shrink_to_fit();  // kept to the end of the request: without the room it grew with
    written_[key] = Written{path, std::make_shared<const std::string>(std::move(bytes))};
}

}  // namespace tessivar
