// The portable LoadTypeLib: reads type library files (bare MSFT or PE resources) without the platform.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "typelib/builtin/builtin_libraries.h"
#include "typelib/reader/read_status.h"
#include "typelib/registry.h"
#include "typelib/typelib_api.h"

namespace tessivar::reader {

struct ReaderOptions {
    // Finds the registered path of a referenced library (may be null).
    Registry* registry = nullptr;
    // Folders searched for a referenced library after the registry and the referencing file's folder.
    std::vector<std::string> searchFolders;
    // Libraries held in memory: a referenced library found nowhere else is taken from these when one has
    // its GUID and a version that serves (the same major, a minor at least as new); a path that is one's
    // name loads it.
    std::vector<BuiltInLibrary> builtIn;
    // Maps a path as the caller spells it to the file to open (identity when empty).
    std::function<std::string(const std::string&)> localFile;
};

// A loader whose libraries resolve references to other libraries through it: libraries it loaded
// stay cached (by path and resource number) until the loader goes away, and references that need
// another library fail once it has.
class FileTypeLibLoader : public TypeLibLoader {
public:
    explicit FileTypeLibLoader(ReaderOptions options);
    ~FileTypeLibLoader() override;
    HResult load(const std::string& path, std::shared_ptr<const TypeLib>& out) override;
    // Why the last failed load failed, with the offset of the offending bytes. A copy: the loader may be
    // shared by threads (a front end and its generation worker).
    ReadStatus lastStatus() const {
        std::lock_guard lock(statusMutex_);
        return lastStatus_;
    }

private:
    std::shared_ptr<class LoadContext> context_;
    mutable std::mutex statusMutex_;
    ReadStatus lastStatus_;
};

// Loads from bytes already in memory; references into other libraries cannot be resolved.
HResult loadTypeLibFromBytes(std::span<const std::byte> file, std::uint32_t resourceId,
                             std::shared_ptr<const TypeLib>& out, ReadStatus* status = nullptr);

// The libraries that the type library in `file` (resource `resourceId` of a module) refers to, each once,
// in the order of its import table; empty when it cannot be read.
std::vector<LibraryRef> importedLibraries(std::span<const std::byte> file, std::uint32_t resourceId);

// The platform's `file\N` rule: a trailing backslash and decimal number select resource N (default 1).
struct ResourcePath {
    std::string file;
    std::uint32_t resourceId = 1;
};
ResourcePath splitResourcePath(const std::string& path);

}  // namespace tessivar::reader
