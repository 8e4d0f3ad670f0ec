// The type library seam: what the core may ask of a loaded type library and its type descriptions.
// It mirrors the platform's LoadTypeLib / ITypeLib / ITypeInfo surface, with owning value types in
// place of the platform's structures and shared ownership in place of COM reference counts.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/guid_text.h"

namespace tessivar {

// Status codes keep the platform's HRESULT values so both builds report the same numbers.
using HResult = std::int32_t;
constexpr HResult kOk = 0;
constexpr HResult kFalse = 1;
constexpr HResult kFail = static_cast<HResult>(0x80004005);
constexpr HResult kPointerError = static_cast<HResult>(0x80004003);      // E_POINTER
constexpr HResult kOutOfMemory = static_cast<HResult>(0x8007000E);       // E_OUTOFMEMORY
constexpr HResult kInvalidArg = static_cast<HResult>(0x80070057);        // E_INVALIDARG
constexpr HResult kElementNotFound = static_cast<HResult>(0x8002802B);   // TYPE_E_ELEMENTNOTFOUND
constexpr HResult kCantLoadLibrary = static_cast<HResult>(0x80029C4A);   // TYPE_E_CANTLOADLIBRARY
constexpr HResult kUnsupportedFormat = static_cast<HResult>(0x80028019); // TYPE_E_UNSUPFORMAT
constexpr HResult kInvalidDataRead = static_cast<HResult>(0x80028018);   // TYPE_E_INVDATAREAD
constexpr HResult kLibNotRegistered = static_cast<HResult>(0x8002801D);  // TYPE_E_LIBNOTREGISTERED

inline bool succeeded(HResult hr) { return hr >= 0; }

using MemberId = std::int32_t;
constexpr MemberId kMemberIdNil = -1;
using HRefType = std::uint32_t;

enum TypeKind : std::int32_t {
    TKIND_ENUM = 0,
    TKIND_RECORD = 1,
    TKIND_MODULE = 2,
    TKIND_INTERFACE = 3,
    TKIND_DISPATCH = 4,
    TKIND_COCLASS = 5,
    TKIND_ALIAS = 6,
    TKIND_UNION = 7,
    TKIND_MAX = 8
};

// Automation type codes used by the core.
enum VarTypeCode : std::uint16_t {
    VT_EMPTY = 0, VT_NULL = 1, VT_I2 = 2, VT_I4 = 3, VT_R4 = 4, VT_R8 = 5, VT_CY = 6, VT_DATE = 7,
    VT_BSTR = 8, VT_DISPATCH = 9, VT_ERROR = 10, VT_BOOL = 11, VT_VARIANT = 12, VT_UNKNOWN = 13,
    VT_DECIMAL = 14, VT_I1 = 16, VT_UI1 = 17, VT_UI2 = 18, VT_UI4 = 19, VT_I8 = 20, VT_UI8 = 21,
    VT_INT = 22, VT_UINT = 23, VT_VOID = 24, VT_HRESULT = 25, VT_PTR = 26, VT_SAFEARRAY = 27,
    VT_CARRAY = 28, VT_USERDEFINED = 29, VT_LPSTR = 30, VT_LPWSTR = 31, VT_RECORD = 36,
    VT_INT_PTR = 37, VT_UINT_PTR = 38,
    VT_VECTOR = 0x1000, VT_ARRAY = 0x2000, VT_BYREF = 0x4000
};

enum TypeFlags : std::uint16_t {
    TYPEFLAG_FAPPOBJECT = 0x1, TYPEFLAG_FCANCREATE = 0x2, TYPEFLAG_FLICENSED = 0x4,
    TYPEFLAG_FPREDECLID = 0x8, TYPEFLAG_FHIDDEN = 0x10, TYPEFLAG_FCONTROL = 0x20,
    TYPEFLAG_FDUAL = 0x40, TYPEFLAG_FNONEXTENSIBLE = 0x80, TYPEFLAG_FOLEAUTOMATION = 0x100,
    TYPEFLAG_FRESTRICTED = 0x200, TYPEFLAG_FAGGREGATABLE = 0x400, TYPEFLAG_FREPLACEABLE = 0x800,
    TYPEFLAG_FDISPATCHABLE = 0x1000, TYPEFLAG_FREVERSEBIND = 0x2000, TYPEFLAG_FPROXY = 0x4000
};

enum ImplTypeFlags : std::int32_t {
    IMPLTYPEFLAG_FDEFAULT = 1, IMPLTYPEFLAG_FSOURCE = 2, IMPLTYPEFLAG_FRESTRICTED = 4,
    IMPLTYPEFLAG_FDEFAULTVTABLE = 8
};

enum FuncKind : std::int32_t {
    FUNC_VIRTUAL = 0, FUNC_PUREVIRTUAL = 1, FUNC_NONVIRTUAL = 2, FUNC_STATIC = 3, FUNC_DISPATCH = 4
};

enum InvokeKind : std::int32_t {
    INVOKE_FUNC = 1, INVOKE_PROPERTYGET = 2, INVOKE_PROPERTYPUT = 4, INVOKE_PROPERTYPUTREF = 8
};

enum VarKind : std::int32_t { VAR_PERINSTANCE = 0, VAR_STATIC = 1, VAR_CONST = 2, VAR_DISPATCH = 3 };

enum VarFlags : std::uint16_t {
    VARFLAG_FREADONLY = 0x1, VARFLAG_FSOURCE = 0x2, VARFLAG_FBINDABLE = 0x4,
    VARFLAG_FREQUESTEDIT = 0x8, VARFLAG_FDISPLAYBIND = 0x10, VARFLAG_FDEFAULTBIND = 0x20,
    VARFLAG_FHIDDEN = 0x40, VARFLAG_FRESTRICTED = 0x80
};

enum ParamFlags : std::uint16_t {
    PARAMFLAG_FIN = 0x1, PARAMFLAG_FOUT = 0x2, PARAMFLAG_FLCID = 0x4, PARAMFLAG_FRETVAL = 0x8,
    PARAMFLAG_FOPT = 0x10, PARAMFLAG_FHASDEFAULT = 0x20, PARAMFLAG_FHASCUSTDATA = 0x40
};

enum SysKind : std::int32_t { SYS_WIN16 = 0, SYS_WIN32 = 1, SYS_MAC = 2, SYS_WIN64 = 3 };

struct ArrayBound {
    std::uint32_t elements = 0;
    std::int32_t lowerBound = 0;
};

struct ArrayDesc;

// TYPEDESC: `pointee` is set for VT_PTR and VT_SAFEARRAY, `array` for VT_CARRAY,
// `hreftype` for VT_USERDEFINED.
struct TypeDesc {
    std::uint16_t vt = VT_EMPTY;
    HRefType hreftype = 0;
    std::shared_ptr<const TypeDesc> pointee;
    std::shared_ptr<const ArrayDesc> array;
};

struct ArrayDesc {
    TypeDesc element;
    std::vector<ArrayBound> bounds;
};

// A VARIANT as stored: `bits` holds the 8 bytes of the value union as the platform lays them
// out (so the 32-bit field lVal is the low half), `text` the string of a VT_BSTR.
struct Variant {
    std::uint16_t vt = VT_EMPTY;
    std::uint64_t bits = 0;
    std::string text;
    std::int32_t lVal() const { return static_cast<std::int32_t>(static_cast<std::uint32_t>(bits)); }
};

struct ParamDesc {
    std::uint16_t flags = 0;
    std::optional<Variant> defaultValue;  // present with PARAMFLAG_FHASDEFAULT
};

struct ElemDesc {
    TypeDesc tdesc;
    ParamDesc paramDesc;
};

struct TypeAttr {
    Guid guid;
    std::uint32_t lcid = 0;
    MemberId memidConstructor = kMemberIdNil;
    MemberId memidDestructor = kMemberIdNil;
    std::uint32_t cbSizeInstance = 0;
    TypeKind typekind = TKIND_ENUM;
    std::uint16_t cFuncs = 0;
    std::uint16_t cVars = 0;
    std::uint16_t cImplTypes = 0;
    std::uint16_t cbSizeVft = 0;
    std::uint16_t cbAlignment = 0;
    std::uint16_t wTypeFlags = 0;
    std::uint16_t wMajorVerNum = 0;
    std::uint16_t wMinorVerNum = 0;
    TypeDesc tdescAlias;  // TKIND_ALIAS only
    std::uint16_t idlFlags = 0;
};

struct FuncDesc {
    MemberId memid = 0;
    std::vector<std::int32_t> scodes;
    std::vector<ElemDesc> params;  // cParams entries
    FuncKind funckind = FUNC_DISPATCH;
    InvokeKind invkind = INVOKE_FUNC;
    std::int32_t callconv = 0;
    std::int16_t cParamsOpt = 0;  // -1 for a variable argument list
    std::int16_t oVft = 0;
    ElemDesc elemdescFunc;
    std::uint16_t wFuncFlags = 0;
    std::int16_t cParams() const { return static_cast<std::int16_t>(params.size()); }
};

struct VarDesc {
    MemberId memid = 0;
    std::optional<std::uint32_t> oInst;  // not VAR_CONST
    std::optional<Variant> value;        // VAR_CONST
    ElemDesc elemdescVar;
    std::uint16_t wVarFlags = 0;
    VarKind varkind = VAR_PERINSTANCE;
};

struct LibAttr {
    Guid guid;
    std::uint32_t lcid = 0;
    SysKind syskind = SYS_WIN32;
    std::uint16_t wMajorVerNum = 0;
    std::uint16_t wMinorVerNum = 0;
    std::uint16_t wLibFlags = 0;
};

// GetDocumentation's outputs. A text the platform returns as NULL is an empty optional.
struct Documentation {
    std::optional<std::string> name;
    std::optional<std::string> docString;
    std::uint32_t helpContext = 0;
    std::optional<std::string> helpFile;
};

class TypeLib;

// A library that another refers to, as the referring library names it.
struct LibraryRef {
    Guid guid;
    std::uint16_t majorVersion = 0;
    std::uint16_t minorVersion = 0;
    std::uint32_t lcid = 0;
    std::string fileName;
    friend bool operator==(const LibraryRef&, const LibraryRef&) = default;
};

// One type description (ITypeInfo). Texts are UTF-8.
class TypeInfo {
public:
    virtual ~TypeInfo() = default;
    // Only kOk counts as success (callers treat kFalse and all others as failure).
    virtual HResult typeAttr(TypeAttr& out) const = 0;
    virtual HResult funcDesc(unsigned index, FuncDesc& out) const = 0;
    virtual HResult varDesc(unsigned index, VarDesc& out) const = 0;
    // GetNames: at most maxNames names of the member; out receives them.
    virtual HResult names(MemberId memid, unsigned maxNames, std::vector<std::string>& out) const = 0;
    virtual HResult documentation(MemberId memid, Documentation& out) const = 0;
    // index -1 asks for the other view of a dual interface.
    virtual HResult refTypeOfImplType(std::int32_t index, HRefType& out) const = 0;
    virtual HResult implTypeFlags(unsigned index, std::int32_t& out) const = 0;
    virtual HResult refTypeInfo(HRefType handle, std::shared_ptr<const TypeInfo>& out) const = 0;
    virtual HResult containingTypeLib(std::shared_ptr<const TypeLib>& out, unsigned& index) const = 0;
};

// One loaded type library (ITypeLib).
class TypeLib {
public:
    virtual ~TypeLib() = default;
    virtual unsigned typeInfoCount() const = 0;
    virtual HResult typeInfo(unsigned index, std::shared_ptr<const TypeInfo>& out) const = 0;
    virtual HResult typeInfoType(unsigned index, TypeKind& out) const = 0;
    virtual HResult libAttr(LibAttr& out) const = 0;
    // index -1 documents the library itself, 0.. the type of that index.
    virtual HResult documentation(std::int32_t index, Documentation& out) const = 0;
    // The libraries this one refers to that could not be loaded when a call needed them, so that a
    // failure can name what is missing; empty where the build cannot tell.
    virtual std::vector<LibraryRef> missingLibraries() const { return {}; }
    // The name of the copy of a library the program carries itself, for one that was not read from a file.
    virtual std::optional<std::string> builtInName() const { return std::nullopt; }
};

// LoadTypeLib: one implementation per build.
class TypeLibLoader {
public:
    virtual ~TypeLibLoader() = default;
    virtual HResult load(const std::string& path, std::shared_ptr<const TypeLib>& out) = 0;
};

// Convenience wrappers for the common "name only" documentation call; empty on failure.
std::string typeName(const TypeInfo& info, MemberId memid = kMemberIdNil);
std::string libraryName(const TypeLib& lib);
// GetContainingTypeLib without the index; null on failure.
std::shared_ptr<const TypeLib> containingLibrary(const TypeInfo& info);
// A status as the platform's tools print it: "0x80029C4A".
std::string hexStatus(HResult hr);

}  // namespace tessivar

namespace tessivar {

// A COM error raised where the program has no way to go on (E_POINTER for a missing interface pointer,
// E_OUTOFMEMORY); it ends the request that raised it.
class ComError : public std::exception {
public:
    explicit ComError(HResult hr) : hr_(hr) {}
    HResult code() const { return hr_; }
    const char* what() const noexcept override;

private:
    HResult hr_;
};

}  // namespace tessivar
