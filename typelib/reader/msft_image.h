// The decoded contents of one MSFT type library image: plain records, validated when read.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "typelib/reader/byte_reader.h"
#include "typelib/reader/read_status.h"
#include "typelib/typelib_api.h"

namespace tessivar::reader {

// A stored value the platform's VariantCopy would refuse; the call that returns it fails.
constexpr HResult kBadVarType = static_cast<HResult>(0x80020008);  // DISP_E_BADVARTYPE
constexpr HResult kUnexpected = static_cast<HResult>(0x8000FFFF);  // E_UNEXPECTED

// Member and parameter texts are decoded once per image and shared: a number that MsftImage::text turns
// into the text, or kNoText. A number, not a pointer, as a large library holds tens of thousands.
using Text = std::uint32_t;
constexpr Text kNoText = 0;

// A type as a member record stores it: an inline type code (high bit set) or the offset of an entry of
// the type description table. Checked when the record is read; MsftImage::typeDesc describes it.
using EncodedType = std::uint32_t;

// The member records are small, their fields ordered so as to leave no gaps: a large library holds tens
// of thousands of them.
struct ParamRecord {
    Text name = kNoText;
    EncodedType type = 0;
    std::int32_t defaultValue = -1;  // index into MsftImage::defaultValues, or -1
    std::uint16_t flags = 0;
};

struct FuncRecord {
    MemberId memid = 0;
    std::uint32_t helpContext = 0;
    Text name = kNoText;
    Text docString = kNoText;
    const ParamRecord* firstParam = nullptr;  // in its type's `params`
    EncodedType result = 0;
    std::uint16_t paramCount = 0;  // the file's count is a non-negative 16-bit number
    std::uint16_t flags = 0;
    std::uint16_t vtableOffset = 0;  // bytes, in the library's pointer size, writer bit cleared
    std::int16_t cParamsOpt = 0;
    // The kinds and the calling convention take three and four bits of the file's record.
    std::uint8_t funckind = FUNC_PUREVIRTUAL;
    std::uint8_t invkind = INVOKE_FUNC;
    std::uint8_t callconv = 0;
    bool badDefault = false;  // a default value of a vt VariantCopy refuses

    std::span<const ParamRecord> params() const { return {firstParam, paramCount}; }
};

struct VarRecord {
    MemberId memid = 0;
    std::uint32_t helpContext = 0;
    Text name = kNoText;
    Text docString = kNoText;
    VarKind varkind = VAR_PERINSTANCE;
    std::uint32_t oInst = 0;
    std::uint16_t flags = 0;
    bool badValue = false;
    EncodedType type = 0;
    std::optional<Variant> value;  // VAR_CONST
};

struct ImplRecord {
    HRefType href = 0;
    std::int32_t flags = 0;
};

struct TypeRecord {
    TypeRecord() = default;
    TypeRecord(TypeRecord&&) = default;
    TypeRecord& operator=(TypeRecord&&) = default;
    TypeRecord(const TypeRecord&) = delete;  // its functions' params point into `params`

    TypeKind kind = TKIND_ENUM;
    Guid guid;
    std::optional<std::string> name;
    std::optional<std::string> docString;
    std::uint32_t helpContext = 0;
    std::int32_t nameHref = -1;  // the hreftype stored with the type's name (local references match it)
    std::uint16_t flags = 0;
    std::uint16_t majorVersion = 0, minorVersion = 0;
    std::uint16_t cImplTypes = 0;
    std::uint16_t cbSizeVft = 0;
    std::uint16_t cbAlignment = 0;
    std::uint32_t cbSizeInstance = 0;
    std::int32_t datatype1 = -1;
    std::int32_t datatype2 = 0;
    TypeDesc aliasOf;
    std::vector<FuncRecord> funcs;
    std::vector<ParamRecord> params;  // of all its functions, in their order
    std::vector<VarRecord> vars;
    std::vector<ImplRecord> impls;  // coclasses
    // The first member with each memid (functions before variables): position i < funcs.size() is
    // function i, otherwise variable i - funcs.size(). Sorted by memid.
    std::vector<std::pair<MemberId, std::uint32_t>> firstByMemid;

    bool isDual() const { return (flags & TYPEFLAG_FDUAL) != 0; }
    // The base reference of an interface or dispatch record (datatype1), if any.
    std::optional<HRefType> base() const {
        if ((kind != TKIND_INTERFACE && kind != TKIND_DISPATCH) || datatype1 == -1) return std::nullopt;
        return static_cast<HRefType>(datatype1);
    }
};

// One type referenced in another library.
struct ImportRecord {
    bool valid = false;  // false when its library entry could not be read
    Guid libGuid;
    std::uint32_t lcid = 0;
    std::uint16_t majorVersion = 0, minorVersion = 0;
    std::string fileName;
    bool byGuid = false;
    Guid typeGuid;
    std::uint32_t typeIndex = 0;
};

struct MsftImage {
    MsftImage() = default;
    MsftImage(MsftImage&&) = default;
    MsftImage& operator=(MsftImage&&) = default;
    MsftImage(const MsftImage&) = delete;  // function records point into their types' `params`

    // The decoded names and strings that records share, each once; Text n is texts[n - 1].
    std::vector<std::string> texts;
    // The text a record refers to; null for kNoText.
    const std::string* text(Text t) const { return t == kNoText ? nullptr : &texts[t - 1]; }
    LibAttr attr;
    std::optional<std::string> name;
    std::optional<std::string> docString;
    std::optional<std::string> helpFile;
    std::uint32_t helpContext = 0;
    std::int32_t dispatchHref = -1;
    std::uint16_t pointerSize = 8;
    std::vector<TypeRecord> types;
    std::vector<Variant> defaultValues;  // of the parameters that have one
    // The entries of the type description table that records refer to, by entry (offset / 8).
    std::vector<std::shared_ptr<const TypeDesc>> typeDescs;
    std::map<std::uint32_t, ImportRecord> imports;  // by import-info offset
    std::map<std::int32_t, std::uint32_t> localHrefs;  // name-entry hreftype -> first type index with it

    // The description of a type a record stores.
    TypeDesc typeDesc(EncodedType type) const {
        if (type & 0x80000000u) {
            TypeDesc td;
            td.vt = static_cast<std::uint16_t>(type & 0x0FFF);
            return td;
        }
        return *typeDescs[type / 8];
    }
};

// Limits that bound the work a hostile file can cause.
constexpr std::size_t kMaxImageSize = 256u << 20;
constexpr int kMaxTypeDepth = 64;

enum class ImageFormat { Msft, Sltg, Unknown };
ImageFormat imageFormat(Bytes image);

// Decodes and validates a whole MSFT image.
ReadStatus parseMsft(Bytes image, MsftImage& out);

}  // namespace tessivar::reader
