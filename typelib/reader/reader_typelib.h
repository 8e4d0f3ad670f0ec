// The reader's type library and the context it loads referenced libraries through.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "typelib/reader/file_loader.h"
#include "typelib/reader/msft_image.h"

namespace tessivar::reader {

class ReaderTypeLib;

// Shared by a loader and its libraries: the cache and the rules for finding referenced libraries.
class LoadContext : public std::enable_shared_from_this<LoadContext> {
public:
    explicit LoadContext(ReaderOptions options) : options_(std::move(options)) {}
    HResult load(const std::string& path, std::shared_ptr<const ReaderTypeLib>& out, ReadStatus& status);
    HResult loadImport(const ImportRecord& import, const ReaderTypeLib& from, std::shared_ptr<const ReaderTypeLib>& out);

private:
    std::optional<std::string> registeredPath(const ImportRecord& import, SysKind syskind) const;
    const BuiltInLibrary* builtInNamed(const std::string& path) const;
    std::shared_ptr<const ReaderTypeLib> builtInFor(const ImportRecord& import);

    ReaderOptions options_;
    std::recursive_mutex mutex_;
    std::map<std::string, std::shared_ptr<const ReaderTypeLib>> byPath_;
};

struct TypeRef;

class ReaderTypeLib : public TypeLib, public std::enable_shared_from_this<ReaderTypeLib> {
public:
    ReaderTypeLib(MsftImage image, std::string path, std::weak_ptr<LoadContext> context)
        : image_(std::move(image)), path_(std::move(path)), context_(std::move(context)) {}

    const MsftImage& image() const { return image_; }
    const std::string& path() const { return path_; }

    unsigned typeInfoCount() const override { return static_cast<unsigned>(image_.types.size()); }
    HResult typeInfo(unsigned index, std::shared_ptr<const TypeInfo>& out) const override;
    HResult typeInfoType(unsigned index, TypeKind& out) const override {
        if (index >= image_.types.size()) return kElementNotFound;
        out = image_.types[index].kind;
        return kOk;
    }
    HResult libAttr(LibAttr& out) const override {
        out = image_.attr;
        return kOk;
    }
    HResult documentation(std::int32_t index, Documentation& out) const override;
    std::vector<LibraryRef> missingLibraries() const override;
    std::optional<std::string> builtInName() const override {
        if (!builtIn_) return std::nullopt;
        return path_;
    }
    // Marks a library made from the program's own bytes; `path()` is then its name.
    void markBuiltIn() { builtIn_ = true; }

    // Finds the type an hreftype of this library names (bit 1, the interface-view request, is ignored).
    HResult resolve(HRefType href, TypeRef& out) const;

private:
    HResult importedLibrary(std::uint32_t offset, const ImportRecord& import, std::shared_ptr<const ReaderTypeLib>& out) const;

    MsftImage image_;
    std::string path_;
    std::weak_ptr<LoadContext> context_;
    bool builtIn_ = false;
    mutable std::mutex importMutex_;
    mutable std::map<std::uint32_t, std::pair<HResult, std::weak_ptr<const ReaderTypeLib>>> importMemo_;
};

// Adds the library `import` names to `libraries` unless it is there already.
void addLibraryOnce(std::vector<LibraryRef>& libraries, const ImportRecord& import);

}  // namespace tessivar::reader
