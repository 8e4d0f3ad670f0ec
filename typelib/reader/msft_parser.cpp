// Decodes an MSFT image into plain records, checking every offset, count and length on the way.
#include <algorithm>
#include <array>
#include <memory>
#include <unordered_map>

#include "base/text.h"
#include "typelib/reader/msft_image.h"

namespace tessivar::reader {
namespace {

enum Segment { kTypeInfos, kImportInfo, kImportFiles, kRefTable, kGuidHash, kGuids, kNameHash, kNames, kStrings,
               kTypeDescs, kArrayDescs, kCustData, kCustDataGuids, kSegmentCount = 15 };

constexpr std::uint32_t kHeaderSize = 0x54;
constexpr std::uint32_t kTypeInfoSize = 100;

// Failures unwind to parseMsft through this one private type so each read site stays one line.
struct Failure {
    ReadStatus status;
};

[[noreturn]] void fail(const char* what, std::uint64_t offset) {
    throw Failure{ReadStatus::fail(kInvalidDataRead, what, offset)};
}

bool isCompound(std::uint16_t vt) {
    return vt == VT_PTR || vt == VT_SAFEARRAY || vt == VT_CARRAY || vt == VT_USERDEFINED;
}

// VariantCopy accepts the plain automation types and VT_RECORD, without VECTOR or reserved bits.
bool copyableVariantType(std::uint16_t vt) {
    if (vt & 0xF000) return false;
    return (vt < VT_VOID && vt != 15) || vt == VT_RECORD;
}

struct SegmentRange {
    bool present = false;
    std::uint64_t offset = 0, length = 0;
};

class Parser {
public:
    explicit Parser(Bytes image) : in_(image) {}

    void parse(MsftImage& out) {
        texts_ = &out.texts;
        defaultValues_ = &out.defaultValues;
        std::uint32_t varflags = need32(0x14, "header");
        const std::int32_t typeCount = needI32(0x20, "header");
        if (typeCount < 0 || static_cast<std::uint64_t>(typeCount) > in_.size() / kTypeInfoSize)
            fail("type count larger than the file", 0x20);
        const std::uint64_t directory = kHeaderSize + 4ull * static_cast<std::uint32_t>(typeCount) + ((varflags & 0x100) ? 4 : 0);
        readSegments(directory);

        out.attr.syskind = static_cast<SysKind>(varflags & 0xF);
        out.pointerSize = out.attr.syskind == SYS_WIN64 ? 8 : 4;
        out.attr.guid = guid(needI32(0x08, "header"));
        out.attr.lcid = need32(0x10, "header");
        const std::uint32_t version = need32(0x18, "header");
        out.attr.wMajorVerNum = static_cast<std::uint16_t>(version);
        out.attr.wMinorVerNum = static_cast<std::uint16_t>(version >> 16);
        out.attr.wLibFlags = static_cast<std::uint16_t>(need32(0x1C, "header") | 0x8);  // LIBFLAG_FHASDISKIMAGE
        out.docString = text(needI32(0x24, "header"));
        out.helpContext = need32(0x28, "header");
        out.name = name(needI32(0x38, "header"));
        out.helpFile = text(needI32(0x3C, "header"));
        out.dispatchHref = needI32(0x4C, "header");

        typeDescMemo_.assign(segments_[kTypeDescs].length / 8, nullptr);
        typeDescBusy_.assign(typeDescMemo_.size(), false);

        const SegmentRange& infos = segments_[kTypeInfos];
        if (static_cast<std::uint64_t>(typeCount) * kTypeInfoSize > infos.length)
            fail("type count larger than the type info segment", 0x20);
        checkMemberBlocks(infos.offset, static_cast<std::uint32_t>(typeCount));
        out.types.resize(static_cast<std::size_t>(typeCount));
        for (std::size_t i = 0; i < out.types.size(); ++i) {
            readType(infos.offset + kTypeInfoSize * i, out.types[i]);
            out.localHrefs.emplace(out.types[i].nameHref, static_cast<std::uint32_t>(i));
        }
        readImports(out.imports);
        out.typeDescs = std::move(typeDescMemo_);
    }

private:
    std::uint32_t need32(std::uint64_t off, const char* what) const {
        std::uint32_t v = 0;
        if (!in_.u32(off, v)) fail(what, off);
        return v;
    }
    std::int32_t needI32(std::uint64_t off, const char* what) const { return static_cast<std::int32_t>(need32(off, what)); }
    std::uint16_t need16(std::uint64_t off, const char* what) const {
        std::uint16_t v = 0;
        if (!in_.u16(off, v)) fail(what, off);
        return v;
    }
    std::uint8_t need8(std::uint64_t off, const char* what) const {
        std::uint8_t v = 0;
        if (!in_.u8(off, v)) fail(what, off);
        return v;
    }
    // The absolute offset of `len` bytes at `rel` inside a segment.
    std::uint64_t inSegment(Segment s, std::int64_t rel, std::uint64_t len, const char* what) const {
        const SegmentRange& seg = segments_[s];
        if (!seg.present || rel < 0 || static_cast<std::uint64_t>(rel) > seg.length ||
            len > seg.length - static_cast<std::uint64_t>(rel))
            fail(what, seg.offset + static_cast<std::uint64_t>(rel < 0 ? 0 : rel));
        return seg.offset + static_cast<std::uint64_t>(rel);
    }

    void readSegments(std::uint64_t directory) {
        for (int i = 0; i < kSegmentCount; ++i) {
            const std::uint64_t at = directory + 16ull * i;
            const std::int32_t offset = needI32(at, "segment directory");
            const std::int32_t length = needI32(at + 4, "segment directory");
            if (i <= kImportInfo && need32(at + 12, "segment directory") != 0x0F)
                fail("segment directory entry without its marker", at + 12);
            if (offset == -1) continue;
            if (offset < 0 || length < 0 || !in_.contains(static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(length)))
                fail("segment outside the image", at);
            segments_[i] = {true, static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(length)};
        }
    }

    // The platform hands texts out as C strings: a stored NUL ends them.
    static std::string_view untilNul(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

    std::optional<std::string> name(std::int32_t off) const {
        if (off < 0) return std::nullopt;
        const std::uint64_t at = inSegment(kNames, off, 12, "name table entry");
        const std::uint8_t length = need8(at + 8, "name table entry");
        std::string bytes;
        if (!in_.text(inSegment(kNames, off + 12ll, length, "name text"), length, bytes)) fail("name text", at);
        return ansiToUtf8(untilNul(bytes));
    }
    // Shared decoded texts: names are keyed by offset, strings by offset with bit 32 set.
    Text internedName(std::int32_t off) {
        if (off < 0) return kNoText;
        return interned(off, [&] { return *name(off); });
    }
    Text internedText(std::int32_t off) {
        if (off < 0) return kNoText;
        return interned(static_cast<std::int64_t>(off) | (std::int64_t{1} << 32), [&] { return *text(off); });
    }
    template <typename Decode>
    Text interned(std::int64_t key, const Decode& decode) {
        const auto [known, added] = textNumbers_.try_emplace(key, kNoText);
        if (added) {
            texts_->push_back(decode());
            known->second = static_cast<Text>(texts_->size());
        }
        return known->second;
    }
    std::int32_t nameHref(std::int32_t off) const {
        if (off < 0) return -1;
        return needI32(inSegment(kNames, off, 12, "name table entry"), "name table entry");
    }
    std::optional<std::string> text(std::int32_t off) const {
        if (off < 0) return std::nullopt;
        const std::uint64_t at = inSegment(kStrings, off, 2, "string table entry");
        const std::uint16_t length = need16(at, "string table entry");
        std::string bytes;
        if (!in_.text(inSegment(kStrings, off + 2ll, length, "string text"), length, bytes)) fail("string text", at);
        return ansiToUtf8(untilNul(bytes));
    }
    Guid guid(std::int32_t off) const {
        Guid g;
        if (off < 0) return g;
        const std::uint64_t at = inSegment(kGuids, off, 16, "GUID table entry");
        g.data1 = need32(at, "GUID");
        g.data2 = need16(at + 4, "GUID");
        g.data3 = need16(at + 6, "GUID");
        for (int i = 0; i < 8; ++i) g.data4[i] = need8(at + 8 + i, "GUID");
        return g;
    }

    TypeDesc typeDesc(std::uint32_t encoded, int depth) {
        if (encoded & 0x80000000u) {
            const auto vt = static_cast<std::uint16_t>(encoded & 0x0FFF);
            if (isCompound(vt)) fail("inline type code that needs a description", 0);
            TypeDesc td;
            td.vt = vt;
            return td;
        }
        return *typeDescEntry(encoded / 8, depth);
    }

    // A type a record stores, described once to check it (MsftImage::typeDesc describes it again).
    EncodedType checkedType(std::uint32_t encoded) {
        (void)typeDesc(encoded, 0);
        return encoded;
    }

    std::shared_ptr<const TypeDesc> typeDescEntry(std::uint32_t index, int depth) {
        if (depth > kMaxTypeDepth) fail("type descriptions nested too deeply", 0);
        if (index >= typeDescMemo_.size()) fail("type description outside its table", segments_[kTypeDescs].offset);
        if (typeDescMemo_[index]) return typeDescMemo_[index];
        const std::uint64_t at = segments_[kTypeDescs].offset + 8ull * index;
        if (typeDescBusy_[index]) fail("type description refers to itself", at);
        typeDescBusy_[index] = true;
        const std::uint16_t w0 = need16(at, "type description"), w2 = need16(at + 4, "type description"),
                            w3 = need16(at + 6, "type description");
        const std::uint32_t target = w2 | static_cast<std::uint32_t>(w3) << 16;
        auto td = std::make_shared<TypeDesc>();
        td->vt = static_cast<std::uint16_t>(w0 & 0x0FFF);
        switch (td->vt) {
            case VT_PTR:
            case VT_SAFEARRAY:
                td->pointee = (target & 0x80000000u) ? std::make_shared<const TypeDesc>(typeDesc(0x80000000u | (w2 & 0x0FFF), depth + 1))
                                                      : typeDescEntry(w2 / 8u, depth + 1);
                break;
            case VT_CARRAY: td->array = arrayDesc(w2, depth + 1); break;
            case VT_USERDEFINED: td->hreftype = target; break;
            default: break;
        }
        typeDescBusy_[index] = false;
        typeDescMemo_[index] = td;
        return td;
    }

    std::shared_ptr<const ArrayDesc> arrayDesc(std::uint32_t off, int depth) {
        const std::uint64_t at = inSegment(kArrayDescs, off, 8, "array description");
        auto ad = std::make_shared<ArrayDesc>();
        const std::uint16_t dims = need16(at + 4, "array description");
        const std::uint64_t boundsAt = inSegment(kArrayDescs, off + 8ll, 8ull * dims, "array bounds");
        ad->element = typeDesc(need32(at, "array description"), depth + 1);
        ad->bounds.resize(dims);
        for (std::uint16_t d = 0; d < dims; ++d) {
            ad->bounds[d].elements = need32(boundsAt + 8ull * d, "array bounds");
            ad->bounds[d].lowerBound = needI32(boundsAt + 8ull * d + 4, "array bounds");
        }
        return ad;
    }

    // A stored value: inline when negative, else `WORD vt` and payload in the custom data segment.
    Variant value(std::uint32_t encoded, bool& copyable) const {
        Variant v;
        if (encoded & 0x80000000u) {
            v.vt = static_cast<std::uint16_t>((encoded >> 26) & 0x1F);
            v.bits = encoded & 0x03FFFFFFu;
            copyable = copyableVariantType(v.vt);
            return v;
        }
        const auto off = static_cast<std::int64_t>(encoded);
        v.vt = need16(inSegment(kCustData, off, 2, "stored value"), "stored value");
        copyable = copyableVariantType(v.vt);
        switch (v.vt) {
            case VT_I2: case VT_I4: case VT_R4: case VT_ERROR: case VT_BOOL: case VT_I1: case VT_UI1: case VT_UI2:
            case VT_UI4: case VT_INT: case VT_UINT: case VT_HRESULT: case VT_EMPTY: case VT_NULL: case VT_VOID:
                v.bits = need32(inSegment(kCustData, off + 2, 4, "stored value"), "stored value");
                break;
            case VT_R8: case VT_CY: case VT_DATE: case VT_I8: case VT_UI8: case VT_DECIMAL: case 64 /* VT_FILETIME */: {
                std::uint64_t bits = 0;
                if (!in_.u64(inSegment(kCustData, off + 2, 8, "stored value"), bits)) fail("stored value", 0);
                v.bits = bits;
                break;
            }
            case VT_BSTR: {
                const std::int32_t length = needI32(inSegment(kCustData, off + 2, 4, "stored string"), "stored string");
                if (length == -1) break;
                if (length < 0) fail("stored string with a negative length", segments_[kCustData].offset + off);
                const std::uint64_t at = inSegment(kCustData, off + 6, static_cast<std::uint32_t>(length), "stored string");
                std::string bytes;
                if (!in_.text(at, static_cast<std::uint32_t>(length), bytes)) fail("stored string", at);
                v.text = ansiToUtf8(bytes);
                break;
            }
            default: break;
        }
        return v;
    }

    void readType(std::uint64_t at, TypeRecord& t) {
        const std::uint32_t typekind = need32(at, "type info");
        if ((typekind & 0xF) >= TKIND_MAX) fail("unknown type kind", at);
        t.kind = static_cast<TypeKind>(typekind & 0xF);
        t.cbAlignment = static_cast<std::uint16_t>((typekind >> 11) & 0x1F);
        const std::int32_t memOffset = needI32(at + 0x04, "type info");
        const std::uint32_t counts = need32(at + 0x18, "type info");
        t.guid = guid(needI32(at + 0x2C, "type info"));
        t.flags = static_cast<std::uint16_t>(need32(at + 0x30, "type info"));
        const std::int32_t nameOffset = needI32(at + 0x34, "type info");
        t.name = name(nameOffset);
        t.nameHref = nameHref(nameOffset);
        const std::uint32_t version = need32(at + 0x38, "type info");
        t.majorVersion = static_cast<std::uint16_t>(version);
        t.minorVersion = static_cast<std::uint16_t>(version >> 16);
        t.docString = text(needI32(at + 0x3C, "type info"));
        t.helpContext = need32(at + 0x44, "type info");
        const std::int16_t implCount = static_cast<std::int16_t>(need16(at + 0x4C, "type info"));
        if (implCount < 0) fail("negative implemented type count", at + 0x4C);
        t.cImplTypes = static_cast<std::uint16_t>(implCount);
        t.cbSizeVft = need16(at + 0x4E, "type info");
        t.cbSizeInstance = need32(at + 0x50, "type info");
        t.datatype1 = needI32(at + 0x54, "type info");
        t.datatype2 = needI32(at + 0x58, "type info");

        if (t.kind == TKIND_ALIAS) t.aliasOf = typeDesc(static_cast<std::uint32_t>(t.datatype1), 0);
        if (t.kind == TKIND_COCLASS) readImpls(t);
        readMembers(memOffset, counts & 0xFFFF, counts >> 16, t);
        indexMembers(t);
    }

    static void indexMembers(TypeRecord& t) {
        t.firstByMemid.reserve(t.funcs.size() + t.vars.size());
        for (std::size_t i = 0; i < t.funcs.size(); ++i) t.firstByMemid.emplace_back(t.funcs[i].memid, static_cast<std::uint32_t>(i));
        for (std::size_t j = 0; j < t.vars.size(); ++j)
            t.firstByMemid.emplace_back(t.vars[j].memid, static_cast<std::uint32_t>(t.funcs.size() + j));
        std::stable_sort(t.firstByMemid.begin(), t.firstByMemid.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        const auto last = std::unique(t.firstByMemid.begin(), t.firstByMemid.end(),
                                      [](const auto& a, const auto& b) { return a.first == b.first; });
        t.firstByMemid.erase(last, t.firstByMemid.end());
    }

    void readImpls(TypeRecord& t) {
        std::int32_t off = t.datatype1;
        for (std::uint16_t i = 0; i < t.cImplTypes && off >= 0; ++i) {
            const std::uint64_t at = inSegment(kRefTable, off, 16, "implemented type entry");
            t.impls.push_back({need32(at, "implemented type entry"), needI32(at + 4, "implemented type entry")});
            off = needI32(at + 12, "implemented type entry");
        }
    }

    // Where a type's member records and the arrays after them lie; both inside the image.
    struct MemberBlock {
        std::uint64_t records = 0, arrays = 0;
        std::uint32_t recordBytes = 0;
    };
    MemberBlock memberBlock(std::int32_t memOffset, std::uint32_t memberCount) const {
        if (memOffset < 0) fail("member block offset", 0);
        const std::int32_t recordBytes = needI32(static_cast<std::uint32_t>(memOffset), "member block");
        const std::uint64_t records = static_cast<std::uint64_t>(memOffset) + 4;
        if (recordBytes < 0 || !in_.contains(records, static_cast<std::uint32_t>(recordBytes)))
            fail("member records beyond the image", records);
        const std::uint64_t arrays = records + static_cast<std::uint32_t>(recordBytes);
        if (!in_.contains(arrays, 12ull * memberCount)) fail("member arrays beyond the image", arrays);
        return {records, arrays, static_cast<std::uint32_t>(recordBytes)};
    }

    // Every type's member block lies inside the image, checked before any is read: a truncated image
    // fails here at once instead of after reading all the types before the cut.
    void checkMemberBlocks(std::uint64_t infos, std::uint32_t typeCount) const {
        for (std::uint32_t i = 0; i < typeCount; ++i) {
            const std::uint64_t at = infos + kTypeInfoSize * i;
            const std::uint32_t counts = need32(at + 0x18, "type info");
            const std::uint32_t n = (counts & 0xFFFF) + (counts >> 16);
            if (n != 0) memberBlock(needI32(at + 0x04, "type info"), n);
        }
    }

    void readMembers(std::int32_t memOffset, std::uint32_t funcCount, std::uint32_t varCount, TypeRecord& t) {
        const std::uint32_t n = funcCount + varCount;
        if (n == 0) return;
        const MemberBlock block = memberBlock(memOffset, n);
        const std::uint64_t records = block.records, arrays = block.arrays;
        const std::uint32_t recordBytes = block.recordBytes;
        const auto recordAt = [&](std::uint32_t i, std::uint64_t minimum, std::uint32_t& size, std::uint32_t sizeMask) {
            const std::int32_t rel = needI32(arrays + 4ull * (2 * n + i), "member record offset");
            if (rel < 0 || !inBounds(recordBytes, static_cast<std::uint32_t>(rel), minimum))
                fail("member record outside its block", arrays);
            const std::uint64_t rec = records + static_cast<std::uint32_t>(rel);
            size = need32(rec, "member record") & sizeMask;
            if (size < minimum || !inBounds(recordBytes, static_cast<std::uint32_t>(rel), size))
                fail("member record size", rec);
            return rec;
        };

        t.funcs.resize(funcCount);
        std::vector<std::size_t> paramEnds(funcCount);
        for (std::uint32_t i = 0; i < funcCount; ++i) {
            std::uint32_t size = 0;
            const std::uint64_t rec = recordAt(i, 24, size, 0xFFFF);
            FuncRecord& f = t.funcs[i];
            f.memid = needI32(arrays + 4ull * i, "member id");
            readFunction(rec, size, f, t.params);
            paramEnds[i] = t.params.size();
            const std::int32_t nameOffset = needI32(arrays + 4ull * (n + i), "member name");
            f.name = internedName(nameOffset);
            constexpr int kAccessors = INVOKE_PROPERTYGET | INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF;
            if (nameOffset == -1 && i > 0 && (f.invkind & kAccessors) && (t.funcs[i - 1].invkind & kAccessors))
                f.name = t.funcs[i - 1].name;
        }
        t.params.shrink_to_fit();  // kept as long as the library
        const std::span<const ParamRecord> params(t.params);
        for (std::uint32_t i = 0; i < funcCount; ++i) {
            const std::size_t first = i == 0 ? 0 : paramEnds[i - 1];
            t.funcs[i].firstParam = params.data() + first;
            t.funcs[i].paramCount = static_cast<std::uint16_t>(paramEnds[i] - first);
        }
        t.vars.resize(varCount);
        for (std::uint32_t j = 0; j < varCount; ++j) {
            std::uint32_t size = 0;
            const std::uint64_t rec = recordAt(funcCount + j, 20, size, 0xFF);
            VarRecord& v = t.vars[j];
            v.memid = needI32(arrays + 4ull * (funcCount + j), "member id");
            v.name = internedName(needI32(arrays + 4ull * (n + funcCount + j), "member name"));
            readVariable(rec, size, v);
        }
    }

    // Reads one function record; its parameters are added to `allParams`.
    void readFunction(std::uint64_t rec, std::uint32_t size, FuncRecord& f, std::vector<ParamRecord>& allParams) {
        const std::uint32_t resultType = need32(rec + 4, "function record");
        f.flags = static_cast<std::uint16_t>(need32(rec + 8, "function record"));
        f.vtableOffset = static_cast<std::uint16_t>(need16(rec + 12, "function record") & ~1u);
        const std::uint32_t fkccic = need32(rec + 16, "function record");
        const auto argCount = static_cast<std::int16_t>(need16(rec + 20, "function record"));
        f.cParamsOpt = static_cast<std::int16_t>(need16(rec + 22, "function record"));
        if (argCount < 0) fail("negative parameter count", rec + 20);
        const bool hasDefaults = (fkccic & 0x1000) != 0;
        const std::uint32_t paramBytes = 12u * static_cast<std::uint32_t>(argCount);
        const std::uint32_t defaultBytes = hasDefaults ? 4u * static_cast<std::uint32_t>(argCount) : 0;
        if (paramBytes + defaultBytes > size - 24) fail("parameters larger than their function record", rec);
        const std::uint32_t optionalEnd = size - paramBytes - defaultBytes;

        f.funckind = static_cast<std::uint8_t>(fkccic & 0x7);
        f.invkind = static_cast<std::uint8_t>((fkccic >> 3) & 0xF);
        f.callconv = static_cast<std::uint8_t>((fkccic >> 8) & 0xF);
        if (optionalEnd > 24) f.helpContext = need32(rec + 24, "function record");
        if (optionalEnd > 28) f.docString = internedText(needI32(rec + 28, "function record"));
        f.result = checkedType(resultType);

        const std::uint64_t params = rec + size - paramBytes;
        const std::uint64_t defaults = params - defaultBytes;
        for (std::int16_t j = 0; j < argCount; ++j) {
            ParamRecord& p = allParams.emplace_back();
            const std::uint64_t at = params + 12ull * j;
            p.type = checkedType(need32(at, "parameter record"));
            p.name = internedName(needI32(at + 4, "parameter record"));
            p.flags = static_cast<std::uint16_t>(need32(at + 8, "parameter record"));
            if (hasDefaults && (p.flags & PARAMFLAG_FHASDEFAULT)) {
                bool copyable = true;
                p.defaultValue = static_cast<std::int32_t>(defaultValues_->size());
                defaultValues_->push_back(value(need32(defaults + 4ull * j, "default value"), copyable));
                if (!copyable) f.badDefault = true;
            }
        }
    }

    void readVariable(std::uint64_t rec, std::uint32_t size, VarRecord& v) {
        v.type = checkedType(need32(rec + 4, "variable record"));
        v.flags = static_cast<std::uint16_t>(need32(rec + 8, "variable record"));
        v.varkind = static_cast<VarKind>(static_cast<std::int16_t>(need16(rec + 12, "variable record")));
        const std::uint32_t valueField = need32(rec + 16, "variable record");
        if (size > 20) v.helpContext = need32(rec + 20, "variable record");
        if (size > 24) v.docString = internedText(needI32(rec + 24, "variable record"));
        if (v.varkind == VAR_CONST) {
            bool copyable = true;
            v.value = value(valueField, copyable);
            v.badValue = !copyable;
        } else {
            v.oInst = valueField;
        }
    }

    // Import entries are read leniently: a broken one fails only the references that use it.
    void readImports(std::map<std::uint32_t, ImportRecord>& imports) const {
        const SegmentRange& seg = segments_[kImportInfo];
        if (!seg.present) return;
        for (std::uint64_t rel = 0; rel + 12 <= seg.length; rel += 12) {
            ImportRecord& r = imports[static_cast<std::uint32_t>(rel)];
            try {
                const std::uint32_t flags = need32(seg.offset + rel, "import info");
                const std::int32_t fileOffset = needI32(seg.offset + rel + 4, "import info");
                const std::uint32_t target = need32(seg.offset + rel + 8, "import info");
                const std::uint64_t file = inSegment(kImportFiles, fileOffset, 14, "import file entry");
                r.libGuid = guid(needI32(file, "import file entry"));
                r.lcid = need32(file + 4, "import file entry");
                r.majorVersion = need16(file + 8, "import file entry");
                r.minorVersion = need16(file + 10, "import file entry");
                const std::uint16_t length = need16(file + 12, "import file entry") >> 2;
                if (!in_.text(inSegment(kImportFiles, fileOffset + 14ll, length, "import file name"), length, r.fileName))
                    fail("import file name", file);
                r.fileName = ansiToUtf8(r.fileName);
                r.byGuid = (flags & 0x10000) != 0;
                if (r.byGuid) r.typeGuid = guid(static_cast<std::int32_t>(target));
                else r.typeIndex = target;
                r.valid = true;
            } catch (const Failure&) {
                r = ImportRecord{};
            }
        }
    }

    ByteReader in_;
    std::vector<std::string>* texts_ = nullptr;
    std::unordered_map<std::int64_t, Text> textNumbers_;  // of the texts decoded so far, keyed as interned() is
    std::vector<Variant>* defaultValues_ = nullptr;
    std::array<SegmentRange, kSegmentCount> segments_{};
    std::vector<std::shared_ptr<const TypeDesc>> typeDescMemo_;
    std::vector<bool> typeDescBusy_;
};

}  // namespace

ImageFormat imageFormat(Bytes image) {
    if (image.size() < 4) return ImageFormat::Unknown;
    const auto is = [&](const char* magic) {
        for (int i = 0; i < 4; ++i)
            if (image[i] != static_cast<std::byte>(magic[i])) return false;
        return true;
    };
    if (is("MSFT")) return ImageFormat::Msft;
    if (is("SLTG")) return ImageFormat::Sltg;
    return ImageFormat::Unknown;
}

ReadStatus parseMsft(Bytes image, MsftImage& out) {
    if (imageFormat(image) != ImageFormat::Msft) return ReadStatus::fail(kCantLoadLibrary, "not an MSFT image");
    if (image.size() > kMaxImageSize) return ReadStatus::fail(kInvalidDataRead, "image larger than any type library");
    try {
        MsftImage parsed;
        Parser(image).parse(parsed);
        out = std::move(parsed);
        return ReadStatus::success();
    } catch (const Failure& f) {
        return f.status;
    }
}

}  // namespace tessivar::reader
