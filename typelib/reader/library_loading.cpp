// Loading type libraries: the file or built-in bytes a path names, the cache of loaded libraries, and
// finding the library an import names (registry, the referencing file's folder, search folders, built-in
// copies).
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/guid_text.h"
#include "typelib/file_bytes.h"
#include "typelib/reader/pe_resource.h"
#include "typelib/reader/reader_typelib.h"

namespace tessivar::reader {
namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

ReadStatus imageOf(Bytes file, std::uint32_t resourceId, MsftImage& image) {
    Bytes bytes = file;
    if (looksLikeModule(bytes)) {
        if (ReadStatus st = findTypeLibResource(bytes, resourceId, bytes); !st.ok()) return st;
    }
    switch (imageFormat(bytes)) {
        case ImageFormat::Msft: return parseMsft(bytes, image);
        case ImageFormat::Sltg:
            return ReadStatus::fail(kUnsupportedFormat, "SLTG type libraries (the older format) are not supported");
        default: return ReadStatus::fail(kCantLoadLibrary, "neither a type library nor a module holding one");
    }
}

}  // namespace

ResourcePath splitResourcePath(const std::string& path) {
    const auto slash = path.rfind('\\');
    if (slash == std::string::npos || slash + 1 == path.size()) return {path, 1};
    const std::string tail = path.substr(slash + 1);
    if (tail.size() > 9 || tail.find_first_not_of("0123456789") != std::string::npos) return {path, 1};
    return {path.substr(0, slash), static_cast<std::uint32_t>(std::stoul(tail))};
}

HResult LoadContext::load(const std::string& path, std::shared_ptr<const ReaderTypeLib>& out, ReadStatus& status) {
    out.reset();
    const ResourcePath where = splitResourcePath(path);
    const BuiltInLibrary* builtIn = builtInNamed(where.file);
    const std::string file = builtIn            ? where.file
                             : options_.localFile ? options_.localFile(where.file)
                                                  : where.file;
    const std::string key = file + '\\' + std::to_string(where.resourceId);
    std::lock_guard lock(mutex_);
    if (const auto it = byPath_.find(key); it != byPath_.end()) {
        out = it->second;
        return kOk;
    }
    MsftImage image;
    if (builtIn) {
        status = imageOf(builtIn->bytes, where.resourceId, image);
    } else {
        std::string why;
        const std::unique_ptr<const FileBytes> bytes = readFileBytes(file, kMaxImageSize * 4, why);
        if (!bytes) {
            status = ReadStatus::fail(kCantLoadLibrary, "the file cannot be read");
            return status.code;
        }
        status = imageOf(bytes->bytes(), where.resourceId, image);
    }
    if (!status.ok()) return status.code;
    auto lib = std::make_shared<ReaderTypeLib>(std::move(image), file, weak_from_this());
    if (builtIn) lib->markBuiltIn();
    out = lib;
    byPath_.emplace(key, out);
    return kOk;
}

const BuiltInLibrary* LoadContext::builtInNamed(const std::string& path) const {
    for (const BuiltInLibrary& lib : options_.builtIn)
        if (lib.name == path) return &lib;
    return nullptr;
}

// The built-in library that serves `import`, loaded; null when none does.
std::shared_ptr<const ReaderTypeLib> LoadContext::builtInFor(const ImportRecord& import) {
    for (const BuiltInLibrary& builtIn : options_.builtIn) {
        std::shared_ptr<const ReaderTypeLib> lib;
        ReadStatus ignored;
        if (load(std::string(builtIn.name), lib, ignored) != kOk) continue;
        const LibAttr& a = lib->image().attr;
        if (a.guid == import.libGuid && a.wMajorVerNum == import.majorVersion && a.wMinorVerNum >= import.minorVersion)
            return lib;
    }
    return nullptr;
}

std::optional<std::string> LoadContext::registeredPath(const ImportRecord& import, SysKind syskind) const {
    if (!options_.registry) return std::nullopt;
    std::unique_ptr<RegKey> libKey, versionKey;
    if (options_.registry->openKey(RegRoot::ClassesRoot, "TypeLib\\" + guidText(import.libGuid), RegAccess::Read, libKey) !=
        kRegSuccess)
        return std::nullopt;
    // The exact version, else the highest minor version at least as new with the same major.
    char version[24];
    std::snprintf(version, sizeof version, "%x.%x", import.majorVersion, import.minorVersion);
    if (libKey->openSubKey(version, RegAccess::Read, versionKey) != kRegSuccess) {
        std::optional<unsigned long> bestMinor;
        std::string sub;
        for (std::uint32_t i = 0; i < 4096 && libKey->enumSubKey(i, sub) == kRegSuccess; ++i) {
            unsigned long major = 0, minor = 0;
            char* end = nullptr;
            major = std::strtoul(sub.c_str(), &end, 16);
            if (*end != '.') continue;
            minor = std::strtoul(end + 1, &end, 16);
            if (*end != '\0' || major != import.majorVersion || minor < import.minorVersion) continue;
            if (!bestMinor || minor > *bestMinor) bestMinor = minor;
        }
        if (!bestMinor) return std::nullopt;
        std::snprintf(version, sizeof version, "%x.%lx", import.majorVersion, *bestMinor);
        if (libKey->openSubKey(version, RegAccess::Read, versionKey) != kRegSuccess) return std::nullopt;
    }
    const char* platforms[2] = {"win32", "win64"};
    if (syskind == SYS_WIN64) std::swap(platforms[0], platforms[1]);
    std::vector<std::uint32_t> lcids{import.lcid};
    for (const std::uint32_t reduced : {import.lcid & 0x3FFu, 0u})
        if (std::find(lcids.begin(), lcids.end(), reduced) == lcids.end()) lcids.push_back(reduced);
    for (const std::uint32_t lcid : lcids) {
        for (const char* platform : platforms) {
            char sub[32];
            std::snprintf(sub, sizeof sub, "%x\\%s", lcid, platform);
            std::unique_ptr<RegKey> key;
            RegValue value;
            if (versionKey->openSubKey(sub, RegAccess::Read, key) != kRegSuccess ||
                key->queryValue("", 4096, value) != kRegSuccess)
                continue;
            const ResourcePath registered = splitResourcePath(value.text());
            std::string local = options_.registry->localPath(registered.file);
            if (local.empty()) continue;
            if (registered.resourceId != 1) local += '\\' + std::to_string(registered.resourceId);
            return local;
        }
    }
    return std::nullopt;
}

HResult LoadContext::loadImport(const ImportRecord& import, const ReaderTypeLib& from,
                                std::shared_ptr<const ReaderTypeLib>& out) {
    std::lock_guard lock(mutex_);
    const SysKind syskind = from.image().attr.syskind;
    for (const auto& [key, lib] : byPath_) {
        const LibAttr& a = lib->image().attr;
        if (a.guid == import.libGuid && a.wMajorVerNum == import.majorVersion && a.wMinorVerNum == import.minorVersion &&
            a.lcid == import.lcid && a.syskind == syskind) {
            out = lib;
            return kOk;
        }
    }
    ReadStatus ignored;
    if (const auto registered = registeredPath(import, syskind); registered && load(*registered, out, ignored) == kOk)
        return kOk;
    std::vector<std::string> candidates{folderOf(from.path()) + import.fileName};
    for (const std::string& folder : options_.searchFolders) {
        const bool separated = !folder.empty() && (folder.back() == '/' || folder.back() == '\\');
        candidates.push_back(folder + (separated ? "" : "/") + import.fileName);
    }
    for (const std::string& candidate : candidates)
        if (load(candidate, out, ignored) == kOk) return kOk;
    if ((out = builtInFor(import))) return kOk;
    return kCantLoadLibrary;
}

FileTypeLibLoader::FileTypeLibLoader(ReaderOptions options)
    : context_(std::make_shared<LoadContext>(std::move(options))) {}

FileTypeLibLoader::~FileTypeLibLoader() = default;

HResult FileTypeLibLoader::load(const std::string& path, std::shared_ptr<const TypeLib>& out) {
    ReadStatus status = ReadStatus::success();
    std::shared_ptr<const ReaderTypeLib> lib;
    const HResult hr = context_->load(path, lib, status);
    out = lib;
    std::lock_guard lock(statusMutex_);
    lastStatus_ = std::move(status);
    return hr;
}

HResult loadTypeLibFromBytes(std::span<const std::byte> file, std::uint32_t resourceId, std::shared_ptr<const TypeLib>& out,
                             ReadStatus* status) {
    out.reset();
    MsftImage image;
    ReadStatus st = imageOf(file, resourceId, image);
    if (status) *status = st;
    if (!st.ok()) return st.code;
    out = std::make_shared<const ReaderTypeLib>(std::move(image), std::string(), std::weak_ptr<LoadContext>());
    return kOk;
}

std::vector<LibraryRef> importedLibraries(std::span<const std::byte> file, std::uint32_t resourceId) {
    MsftImage image;
    std::vector<LibraryRef> libraries;
    if (!imageOf(file, resourceId, image).ok()) return libraries;
    for (const auto& [offset, import] : image.imports) {
        if (import.valid) addLibraryOnce(libraries, import);
    }
    return libraries;
}

std::string describe(const ReadStatus& status) {
    char code[48];
    std::snprintf(code, sizeof code, " (0x%08X)", static_cast<unsigned>(status.code));
    if (status.ok()) return "success";
    char where[40] = "";
    if (status.offset != 0) std::snprintf(where, sizeof where, " at offset 0x%llX", static_cast<unsigned long long>(status.offset));
    return status.what + where + code;
}

}  // namespace tessivar::reader
