// PE resource lookup: MZ header, section table, three-level resource tree.
#include "typelib/reader/pe_resource.h"

#include <array>
#include <optional>

namespace tessivar::reader {
namespace {

constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;
constexpr std::uint32_t kMaxSections = 96;  // the PE loader's own limit

ReadStatus noResource(const char* what, std::uint64_t offset = 0) {
    return ReadStatus::fail(kCantLoadLibrary, what, offset);
}

struct Section {
    std::uint32_t virtualAddress = 0, virtualSize = 0, rawSize = 0, rawOffset = 0;
};

struct PeLayout {
    std::uint32_t resourceRva = 0;
    std::uint64_t resourceRvaAt = 0;  // where the file stores resourceRva
    std::uint32_t sectionCount = 0;
    std::array<Section, kMaxSections> sections{};

    bool rvaToOffset(std::uint32_t rva, std::uint64_t& out) const {
        for (std::uint32_t i = 0; i < sectionCount; ++i) {
            const Section& s = sections[i];
            const std::uint64_t span = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
            if (rva >= s.virtualAddress && rva - s.virtualAddress < span) {
                out = static_cast<std::uint64_t>(rva - s.virtualAddress) + s.rawOffset;
                return true;
            }
        }
        return false;
    }
};

ReadStatus readLayout(const ByteReader& in, PeLayout& pe) {
    std::uint32_t lfanew = 0, signature = 0;
    if (!in.u32(0x3C, lfanew) || !in.u32(lfanew, signature)) return noResource("no PE header", 0x3C);
    if (signature != 0x00004550u) return noResource("not a PE file (no PE signature)", lfanew);
    const std::uint64_t coff = static_cast<std::uint64_t>(lfanew) + 4;
    std::uint16_t sectionCount = 0, optionalSize = 0, magic = 0;
    if (!in.u16(coff + 2, sectionCount) || !in.u16(coff + 16, optionalSize))
        return noResource("truncated COFF header", coff);
    const std::uint64_t opt = coff + 20;
    if (!in.u16(opt, magic)) return noResource("truncated optional header", opt);
    std::uint64_t countField = 0, directories = 0;
    if (magic == 0x10B) {
        countField = 92, directories = 96;
    } else if (magic == 0x20B) {
        countField = 108, directories = 112;
    } else {
        return noResource("unknown optional header magic", opt);
    }
    std::uint32_t dirCount = 0;
    if (!in.u32(opt + countField, dirCount)) return noResource("truncated optional header", opt);
    if (dirCount < 3 || directories + 3 * 8 > optionalSize) return noResource("no resource directory", opt);
    std::uint32_t resourceSize = 0;
    if (!in.u32(opt + directories + 16, pe.resourceRva) || !in.u32(opt + directories + 20, resourceSize))
        return noResource("truncated data directory", opt + directories);
    pe.resourceRvaAt = opt + directories + 16;
    if (pe.resourceRva == 0) return noResource("the module has no resources", pe.resourceRvaAt);
    if (sectionCount > kMaxSections) return noResource("too many sections", coff + 2);
    pe.sectionCount = sectionCount;
    const std::uint64_t table = opt + optionalSize;
    for (std::uint32_t i = 0; i < sectionCount; ++i) {
        const std::uint64_t at = table + 40ull * i;
        Section& s = pe.sections[i];
        if (!in.u32(at + 8, s.virtualSize) || !in.u32(at + 12, s.virtualAddress) || !in.u32(at + 16, s.rawSize) ||
            !in.u32(at + 20, s.rawOffset))
            return noResource("truncated section table", at);
    }
    return ReadStatus::success();
}

bool nameIsTypeLib(const ByteReader& in, std::uint64_t nameOffset) {
    static constexpr char kName[] = "TYPELIB";
    std::uint16_t length = 0;
    if (!in.u16(nameOffset, length) || length != sizeof(kName) - 1) return false;
    for (std::uint16_t i = 0; i < length; ++i) {
        std::uint16_t ch = 0;
        if (!in.u16(nameOffset + 2 + 2ull * i, ch)) return false;
        if (ch >= 'a' && ch <= 'z') ch = static_cast<std::uint16_t>(ch - 'a' + 'A');
        if (ch != static_cast<unsigned char>(kName[i])) return false;
    }
    return true;
}

// A status of the resource tree, whose offsets count from its root, with the offset counted in the file.
ReadStatus atTreeOffset(ReadStatus st, std::uint64_t root) {
    st.offset += root;
    return st;
}

struct Entry {
    std::uint32_t key = 0, target = 0;
};

// Reads the entry list of the directory at `dir`; `visit` returns true to stop.
template <typename Visit>
ReadStatus forEachEntry(const ByteReader& in, std::uint64_t dir, Visit visit) {
    std::uint16_t named = 0, ids = 0;
    if (!in.u16(dir + 12, named) || !in.u16(dir + 14, ids)) return noResource("truncated resource directory", dir);
    const std::uint32_t total = static_cast<std::uint32_t>(named) + ids;
    if (!in.contains(dir + 16, 8ull * total)) return noResource("truncated resource directory", dir);
    for (std::uint32_t i = 0; i < total; ++i) {
        Entry e;
        if (!in.u32(dir + 16 + 8ull * i, e.key) || !in.u32(dir + 20 + 8ull * i, e.target))
            return noResource("truncated resource entry", dir);
        if (visit(e)) break;
    }
    return ReadStatus::success();
}

}  // namespace

bool looksLikeModule(Bytes file) {
    return file.size() >= 2 && file[0] == std::byte{'M'} && file[1] == std::byte{'Z'};
}

ReadStatus findTypeLibResource(Bytes file, std::uint32_t id, Bytes& image) {
    const ByteReader in(file);
    PeLayout pe;
    if (ReadStatus st = readLayout(in, pe); !st.ok()) return st;
    std::uint64_t root = 0;
    if (!pe.rvaToOffset(pe.resourceRva, root)) return noResource("resource directory outside every section", pe.resourceRvaAt);
    // Offsets inside the tree are relative to its root; every hop is bounds-checked by the reads.
    const ByteReader tree(in.data().subspan(root <= in.size() ? static_cast<std::size_t>(root) : in.size()));

    std::optional<std::uint32_t> typeDir;
    ReadStatus st = forEachEntry(tree, 0, [&](const Entry& e) {
        if ((e.key & kSubdirectoryBit) && (e.target & kSubdirectoryBit) && nameIsTypeLib(tree, e.key & ~kSubdirectoryBit)) {
            typeDir = e.target & ~kSubdirectoryBit;
            return true;
        }
        return false;
    });
    if (!st.ok()) return atTreeOffset(std::move(st), root);
    if (!typeDir) return noResource("the module has no TYPELIB resource", root);

    std::optional<std::uint32_t> nameDir;
    st = forEachEntry(tree, *typeDir, [&](const Entry& e) {
        if (!(e.key & kSubdirectoryBit) && (e.key & 0xFFFF) == id && (e.target & kSubdirectoryBit)) {
            nameDir = e.target & ~kSubdirectoryBit;
            return true;
        }
        return false;
    });
    if (!st.ok()) return atTreeOffset(std::move(st), root);
    if (!nameDir) return noResource("the module has no TYPELIB resource with that number", root + *typeDir);

    // Language: neutral first, then US English, then whatever comes first.
    std::optional<std::uint32_t> neutral, english, first;
    st = forEachEntry(tree, *nameDir, [&](const Entry& e) {
        if (e.target & kSubdirectoryBit) return false;
        if (!first) first = e.target;
        if (!(e.key & kSubdirectoryBit) && (e.key & 0xFFFF) == 0 && !neutral) neutral = e.target;
        if (!(e.key & kSubdirectoryBit) && (e.key & 0xFFFF) == 0x409 && !english) english = e.target;
        return false;
    });
    if (!st.ok()) return atTreeOffset(std::move(st), root);
    const std::optional<std::uint32_t> dataEntry = neutral ? neutral : english ? english : first;
    if (!dataEntry) return noResource("the TYPELIB resource has no data", root + *nameDir);

    std::uint32_t dataRva = 0, dataSize = 0;
    if (!tree.u32(*dataEntry, dataRva) || !tree.u32(*dataEntry + 4ull, dataSize))
        return noResource("truncated resource data entry", root + *dataEntry);
    std::uint64_t dataOffset = 0;
    if (!pe.rvaToOffset(dataRva, dataOffset)) return noResource("resource data outside every section", root + *dataEntry);
    if (!in.slice(dataOffset, dataSize, image)) return noResource("resource data beyond the end of the file", dataOffset);
    return ReadStatus::success();
}

}  // namespace tessivar::reader
