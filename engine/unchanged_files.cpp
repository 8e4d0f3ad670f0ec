// UnchangedFileSkipper: rewrites of a request's own files that would not change a byte are left out.
#include "engine/unchanged_files.h"

#include <utility>

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace tessivar {

UnchangedFileSkipper::Digest UnchangedFileSkipper::Digest::of(std::string_view bytes) {
    const XXH128_hash_t h = XXH3_128bits(bytes.data(), bytes.size());
    return Digest{h.low64, h.high64, bytes.size()};
}

// The first write of a path in the request: straight to the target, its digest kept for later rewrites.
class UnchangedFileSkipper::PassThroughFile : public OutputFile {
public:
    PassThroughFile(UnchangedFileSkipper& owner, std::unique_ptr<OutputFile> file, std::string key, std::string path)
        : owner_(owner), file_(std::move(file)), key_(std::move(key)), path_(std::move(path)) {
        XXH3_128bits_reset(&hash_);
    }
    ~PassThroughFile() override { close(); }

    bool write(std::string_view bytes) override {
        if (!file_) return false;
        if (!file_->write(bytes)) failed_ = true;
        if (!failed_ && !key_.empty()) {
            XXH3_128bits_update(&hash_, bytes.data(), bytes.size());
            size_ += bytes.size();
        }
        return !failed_;
    }

    bool close() override {
        if (!file_) return !failed_;
        if (!file_->close()) failed_ = true;
        failure_ = file_->failure();
        file_.reset();
        if (!failed_ && !key_.empty()) {
            const XXH128_hash_t h = XXH3_128bits_digest(&hash_);
            owner_.remember(key_, path_, Digest{h.low64, h.high64, size_});
        }
        return !failed_;
    }

    std::string failure() const override { return file_ ? file_->failure() : failure_; }

private:
    UnchangedFileSkipper& owner_;
    std::unique_ptr<OutputFile> file_;
    std::string key_, path_;
    XXH3_state_t hash_;
    std::size_t size_ = 0;
    bool failed_ = false;
    std::string failure_;  // the closed file's
};

// A rewrite: gathered in memory and written at the close only when its bytes differ from the last write.
class UnchangedFileSkipper::GatheredFile : public OutputFile {
public:
    GatheredFile(UnchangedFileSkipper& owner, std::string key, std::string path, const Written& last)
        : owner_(owner), key_(std::move(key)), path_(std::move(path)), last_(last),
          bytes_(std::exchange(owner.gathering_, {})) {
        bytes_.clear();
        bytes_.reserve(last.digest.size);
    }
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
        const bool stillLast = known != owner_.written_.end() && known->second.spelling == path_ &&
                               known->second.serial == last_.serial;  // nothing wrote the file in between
        const Digest digest = Digest::of(bytes_);
        if (stillLast && digest == last_.digest) {
            ++owner_.filesLeftAlone_;
            ok_ = true;
        } else {
            std::unique_ptr<OutputFile> file = owner_.openTarget(path_, key_);
            ok_ = file && file->write(bytes_);
            if (file && !file->close()) ok_ = false;
            if (ok_) owner_.remember(key_, path_, digest);
            else failure_ = file ? file->failure() : owner_.target_.lastFailure();
        }
        if (bytes_.capacity() > owner_.gathering_.capacity()) owner_.gathering_ = std::move(bytes_);
        return ok_;
    }

    std::string failure() const override { return failure_; }

private:
    UnchangedFileSkipper& owner_;
    std::string key_, path_;
    Written last_;
    std::string bytes_;
    bool closed_ = false;
    bool ok_ = false;
    std::string failure_;
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
            return std::make_unique<GatheredFile>(*this, std::move(key), path, known->second);
    }
    std::unique_ptr<OutputFile> file = openTarget(path, key);
    if (!file) return nullptr;
    return std::make_unique<PassThroughFile>(*this, std::move(file), std::move(key), path);
}

bool UnchangedFileSkipper::isFolder(const std::string& path) {
    if (folders_.contains(path)) return true;
    if (!target_.isFolder(path)) return false;
    folders_.insert(path);
    return true;
}

bool UnchangedFileSkipper::makeFolder(const std::string& path) {
    if (!target_.makeFolder(path)) return false;
    folders_.insert(path);
    return true;
}

std::unique_ptr<OutputFile> UnchangedFileSkipper::openTarget(const std::string& path, const std::string& key) {
    if (key.empty()) written_.clear();
    else written_.erase(key);
    ++filesWritten_;
    return target_.openForWriting(path);
}

void UnchangedFileSkipper::remember(const std::string& key, const std::string& path, const Digest& digest) {
    written_[key] = Written{path, digest, ++serial_};
}

}  // namespace tessivar
