// The files of one generation request: a file system that leaves a file alone when the request writes
// it again with the bytes it last wrote there.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "engine/file_system.h"

namespace tessivar {

// Generate-all makes one class run per class, and every run rewrites each type it reaches: most of a
// request's writes repeat a file it has already written. This file system forwards everything to the
// target, except that a rewrite of a file written successfully before in this request is gathered and
// reaches the target only when its bytes differ from that write (the target is then opened at the
// close, so a failure shows there); otherwise the close succeeds without touching the disk, leaving
// exactly the bytes the rewrite would have left. Only the size and a 128-bit hash of each write are
// kept, not its bytes: a request's output can run to megabytes. The request owns its output tree
// meanwhile: a file changed by someone else between two writes of the request is not written back.
//
// The first write of a path opens the target at once, so a file that cannot be created is reported by
// the open as before. Paths are matched with both separators alike and ASCII case folded (so two
// spellings of one file on a case-blind file system never keep each other's bytes), and a write under
// a path that cannot be matched that way (non-ASCII, or a '~' that may be a short name) forgets every
// file, as it may be any of them.
//
// For the same reason a folder found or made once in the request is taken to stay: every file written
// there asks whether its folder is there, and only the first asking reaches the disk.
class UnchangedFileSkipper : public ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;
    std::unique_ptr<OutputFile> openForWriting(const std::string& path) override;
    bool isFolder(const std::string& path) override;
    bool makeFolder(const std::string& path) override;

    // Files opened on the target, and rewrites left alone because their bytes were unchanged.
    int filesWritten() const { return filesWritten_; }
    int filesLeftAlone() const { return filesLeftAlone_; }

private:
    class PassThroughFile;
    class GatheredFile;

    struct Digest {
        std::uint64_t low = 0, high = 0;
        std::size_t size = 0;
        static Digest of(std::string_view bytes);
        bool operator==(const Digest&) const = default;
    };
    struct Written {
        std::string spelling;  // the path exactly as it was written
        Digest digest;
        std::uint64_t serial = 0;  // which write of the request this was
    };

    // The key of a path, or "" when the path cannot be matched safely.
    static std::string keyOf(const std::string& path);
    // Opens the target, forgetting what is known of the path (its bytes change from here on).
    std::unique_ptr<OutputFile> openTarget(const std::string& path, const std::string& key);
    void remember(const std::string& key, const std::string& path, const Digest& digest);

    std::unordered_map<std::string, Written> written_;
    // Room for the bytes of a rewrite, kept from one rewrite to the next: most repeat a size met before,
    // and memory used again costs a run far less than fresh memory.
    std::string gathering_;
    std::unordered_set<std::string> folders_;  // as spelt when found or made
    std::uint64_t serial_ = 0;
    int filesWritten_ = 0;
    int filesLeftAlone_ = 0;
};

}  // namespace tessivar
