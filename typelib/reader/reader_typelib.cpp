// The platform's view over decoded MSFT records: dual views, inherited dispatch functions, references.
#include "typelib/reader/reader_typelib.h"

#include <algorithm>
#include <optional>

namespace tessivar::reader {

namespace {

constexpr unsigned kProcessPointerSize = sizeof(void*);
constexpr int kMaxBaseDepth = 31;  // also the largest level a dispatch view can encode in an hreftype
constexpr unsigned kLevelShift = 26;
constexpr HRefType kLevelMask = 0x1Fu << kLevelShift;
constexpr HRefType kOtherHalf = 0xFFFFFFFEu;  // GetRefTypeOfImplType(-1) of a dual

// Re-tags the user-defined references of a function inherited `level` bases up, so that
// refTypeInfo on the derived view resolves them where they were declared.
TypeDesc withLevel(const TypeDesc& td, unsigned level) {
    if (level == 0) return td;
    TypeDesc out = td;
    if (td.vt == VT_USERDEFINED) out.hreftype = (td.hreftype & ~kLevelMask) | (level << kLevelShift);
    if (td.pointee) out.pointee = std::make_shared<const TypeDesc>(withLevel(*td.pointee, level));
    if (td.array) {
        auto ad = std::make_shared<ArrayDesc>(*td.array);
        ad->element = withLevel(ad->element, level);
        out.array = ad;
    }
    return out;
}

// Parameters a dispatch view hides: a trailing [retval], then a trailing [lcid].
std::size_t dispatchParamCount(const FuncRecord& f) {
    const std::span<const ParamRecord> params = f.params();
    std::size_t n = params.size();
    if (n > 0 && (params[n - 1].flags & PARAMFLAG_FRETVAL)) --n;
    if (n > 0 && (params[n - 1].flags & PARAMFLAG_FLCID)) --n;
    return n;
}

}  // namespace

void addLibraryOnce(std::vector<LibraryRef>& libraries, const ImportRecord& import) {
    LibraryRef ref{import.libGuid, import.majorVersion, import.minorVersion, import.lcid, import.fileName};
    if (std::find(libraries.begin(), libraries.end(), ref) == libraries.end()) libraries.push_back(std::move(ref));
}

class ReaderTypeInfo;

struct TypeRef {
    std::shared_ptr<const ReaderTypeLib> lib;
    std::uint32_t index = 0;
    const TypeRecord& record() const;
};

const TypeRecord& TypeRef::record() const { return lib->image().types[index]; }

// A type and the bases above it, as far as they resolve. A base met twice, or more levels than a
// dispatch view can encode, ends the list as if there were no further base.
struct BaseLevels {
    std::vector<TypeRef> levels;  // levels[0] is the type itself
    HResult end = kOk;            // the failure resolving the base of the last level, if any
};

BaseLevels baseLevelsOf(const TypeRef& ref) {
    BaseLevels out;
    out.levels.push_back(ref);
    for (;;) {
        const TypeRef& top = out.levels.back();
        const auto base = top.record().base();
        if (!base) break;
        TypeRef next;
        if (const HResult hr = top.lib->resolve(*base, next); hr != kOk) {
            out.end = hr;
            break;
        }
        if (out.levels.size() > kMaxBaseDepth) break;
        const bool seen = std::any_of(out.levels.begin(), out.levels.end(), [&](const TypeRef& level) {
            return level.lib == next.lib && level.index == next.index;
        });
        if (seen) break;
        out.levels.push_back(std::move(next));
    }
    return out;
}

class ReaderTypeInfo : public TypeInfo {
public:
    ReaderTypeInfo(TypeRef ref, bool interfaceView) : ref_(std::move(ref)), interfaceView_(interfaceView) {}

    HResult typeAttr(TypeAttr& out) const override;
    HResult funcDesc(unsigned index, FuncDesc& out) const override;
    HResult varDesc(unsigned index, VarDesc& out) const override;
    HResult names(MemberId memid, unsigned maxNames, std::vector<std::string>& out) const override;
    HResult documentation(MemberId memid, Documentation& out) const override;
    HResult refTypeOfImplType(std::int32_t index, HRefType& out) const override;
    HResult implTypeFlags(unsigned index, std::int32_t& out) const override;
    HResult refTypeInfo(HRefType handle, std::shared_ptr<const TypeInfo>& out) const override;
    HResult containingTypeLib(std::shared_ptr<const TypeLib>& out, unsigned& index) const override {
        out = ref_.lib;
        index = ref_.index;
        return kOk;
    }

private:
    const TypeRecord& record() const { return ref_.record(); }
    bool dispatchView() const { return record().kind == TKIND_DISPATCH && !interfaceView_; }
    std::uint16_t dispatchFuncCount() const;

    struct Located {
        const TypeRef* level = nullptr;
        std::uint32_t func = 0;
        unsigned depth = 0;
    };
    // Where function `index` of the dispatch view is declared.
    HResult locateDispatchFunc(unsigned index, Located& found) const;
    // The first member with `memid` in the type, then in its bases.
    struct Member {
        const TypeRef* level = nullptr;
        const FuncRecord* func = nullptr;
        const VarRecord* var = nullptr;
    };
    HResult findMember(MemberId memid, Member& found) const;
    // Every member lookup walks the bases, so they are resolved once per view.
    const BaseLevels& bases() const {
        if (!bases_) bases_ = baseLevelsOf(ref_);
        return *bases_;
    }

    TypeRef ref_;
    bool interfaceView_;
    mutable std::optional<BaseLevels> bases_;
};

std::shared_ptr<const TypeInfo> makeView(const TypeRef& ref, bool interfaceView) {
    return std::make_shared<const ReaderTypeInfo>(ref, interfaceView && ref.record().isDual());
}

HResult ReaderTypeLib::typeInfo(unsigned index, std::shared_ptr<const TypeInfo>& out) const {
    out.reset();
    if (index >= image_.types.size()) return kElementNotFound;
    out = makeView(TypeRef{shared_from_this(), index}, false);
    return kOk;
}

HResult ReaderTypeLib::documentation(std::int32_t index, Documentation& out) const {
    out = Documentation{};
    if (index == -1) {
        out.name = image_.name;
        out.docString = image_.docString;
        out.helpContext = image_.helpContext;
        out.helpFile = image_.helpFile;
        return kOk;
    }
    std::shared_ptr<const TypeInfo> info;
    if (index < 0) return kElementNotFound;
    if (const HResult hr = typeInfo(static_cast<unsigned>(index), info); hr != kOk) return hr;
    return info->documentation(kMemberIdNil, out);
}

HResult ReaderTypeLib::resolve(HRefType href, TypeRef& out) const {
    if (!(href & 1)) {
        const auto key = static_cast<std::int32_t>(href & ~3u);
        if (const auto it = image_.localHrefs.find(key); it != image_.localHrefs.end()) {
            out = {shared_from_this(), it->second};
            return kOk;
        }
        // The platform matches the hreftype kept with each type's name, not the record position, so a
        // reference to a type whose shared name entry carries another type's offset is not found.
        return kFail;
    }
    const std::uint32_t offset = href & ~3u;
    const auto it = image_.imports.find(offset);
    if (it == image_.imports.end() || !it->second.valid) return kFail;
    const ImportRecord& import = it->second;
    std::shared_ptr<const ReaderTypeLib> lib;
    if (const HResult hr = importedLibrary(offset, import, lib); hr != kOk) return hr;
    const auto& types = lib->image().types;
    if (import.byGuid) {
        for (std::size_t i = 0; i < types.size(); ++i) {
            if (types[i].guid == import.typeGuid) {
                out = {lib, static_cast<std::uint32_t>(i)};
                return kOk;
            }
        }
        return kElementNotFound;
    }
    if (import.typeIndex >= types.size()) return kElementNotFound;
    out = {lib, import.typeIndex};
    return kOk;
}

HResult ReaderTypeLib::importedLibrary(std::uint32_t offset, const ImportRecord& import,
                                       std::shared_ptr<const ReaderTypeLib>& out) const {
    const LibAttr& own = image_.attr;
    if (import.libGuid == own.guid && import.majorVersion == own.wMajorVerNum &&
        import.minorVersion == own.wMinorVerNum && import.lcid == own.lcid) {
        out = shared_from_this();
        return kOk;
    }
    std::lock_guard lock(importMutex_);
    if (const auto it = importMemo_.find(offset); it != importMemo_.end()) {
        if (it->second.first != kOk) return it->second.first;
        if ((out = it->second.second.lock())) return kOk;
    }
    const std::shared_ptr<LoadContext> context = context_.lock();
    const HResult hr = context ? context->loadImport(import, *this, out) : kCantLoadLibrary;
    importMemo_[offset] = {hr, out};
    return hr;
}

std::vector<LibraryRef> ReaderTypeLib::missingLibraries() const {
    std::vector<LibraryRef> missing;
    std::lock_guard lock(importMutex_);
    for (const auto& [offset, result] : importMemo_) {
        if (result.first != kOk) addLibraryOnce(missing, image_.imports.at(offset));
    }
    return missing;
}

// ---- TypeInfo ----

std::uint16_t ReaderTypeInfo::dispatchFuncCount() const {
    const TypeRecord& r = record();
    const auto own = static_cast<std::uint32_t>(r.funcs.size());
    // A plain dispinterface shows its own functions; otherwise the writer's inherited count leads.
    if (!r.isDual() && r.datatype1 == -1) return static_cast<std::uint16_t>(own);
    return static_cast<std::uint16_t>((static_cast<std::uint32_t>(r.datatype2) >> 16) + own);
}

HResult ReaderTypeInfo::typeAttr(TypeAttr& out) const {
    const TypeRecord& r = record();
    const MsftImage& img = ref_.lib->image();
    out = TypeAttr{};
    out.guid = r.guid;
    out.lcid = img.attr.lcid;
    out.cbSizeInstance = r.cbSizeInstance;
    out.typekind = interfaceView_ ? TKIND_INTERFACE : r.kind;
    out.cFuncs = static_cast<std::uint16_t>(r.funcs.size());
    out.cVars = static_cast<std::uint16_t>(r.vars.size());
    out.cImplTypes = r.cImplTypes;
    out.cbSizeVft = r.cbSizeVft;
    out.cbAlignment = r.cbAlignment;
    out.wTypeFlags = r.flags;
    out.wMajorVerNum = r.majorVersion;
    out.wMinorVerNum = r.minorVersion;
    if (r.kind == TKIND_ALIAS) out.tdescAlias = r.aliasOf;
    if (img.pointerSize != kProcessPointerSize) {
        // Pointer-sized types of a library written for the other word size are laid out again.
        switch (r.kind) {
            case TKIND_INTERFACE: case TKIND_DISPATCH: case TKIND_COCLASS:
                out.cbSizeInstance = out.cbAlignment = kProcessPointerSize;
                break;
            case TKIND_ALIAS:
                switch (r.aliasOf.vt) {
                    case VT_BSTR: case VT_DISPATCH: case VT_UNKNOWN: case VT_PTR: case VT_SAFEARRAY: case VT_LPSTR: case VT_LPWSTR:
                        out.cbSizeInstance = out.cbAlignment = kProcessPointerSize;
                        break;
                    case VT_VARIANT:
                        out.cbSizeInstance = 3 * kProcessPointerSize;
                        out.cbAlignment = kProcessPointerSize;
                        break;
                    default:
                        out.cbAlignment = static_cast<std::uint16_t>(std::min<std::uint32_t>(out.cbSizeInstance, 8));
                        break;
                }
                break;
            default: break;
        }
    }
    if (dispatchView()) {
        out.cFuncs = dispatchFuncCount();
        out.cbSizeVft = static_cast<std::uint16_t>(7 * kProcessPointerSize);
        out.wTypeFlags = static_cast<std::uint16_t>(out.wTypeFlags & ~TYPEFLAG_FOLEAUTOMATION);
    }
    return kOk;
}

HResult ReaderTypeInfo::locateDispatchFunc(unsigned index, Located& found) const {
    const BaseLevels& b = bases();
    // A base whose own base fails to resolve counts as having no functions; the type itself fails.
    std::size_t contributing = b.levels.size();
    if (b.end != kOk) {
        if (contributing == 1) return b.end;
        --contributing;
    }
    // The functions of the topmost base come first.
    unsigned first = 0;
    for (std::size_t level = contributing; level-- > 0;) {
        const auto own = static_cast<unsigned>(b.levels[level].record().funcs.size());
        if (index >= first && index - first < own) {
            found = {&b.levels[level], index - first, static_cast<unsigned>(level)};
            return kOk;
        }
        first += own;
    }
    return kElementNotFound;
}

HResult ReaderTypeInfo::funcDesc(unsigned index, FuncDesc& out) const {
    out = FuncDesc{};
    Located at{&ref_, index, 0};
    if (dispatchView()) {
        if (const HResult hr = locateDispatchFunc(index, at); hr != kOk) return hr;
    } else if (index >= record().funcs.size()) {
        return kElementNotFound;
    }
    const FuncRecord& f = at.level->record().funcs[at.func];
    if (f.badDefault) return kBadVarType;
    const unsigned libPointer = at.level->lib->image().pointerSize;

    out.memid = f.memid;
    out.funckind = static_cast<FuncKind>(f.funckind);
    out.invkind = static_cast<InvokeKind>(f.invkind);
    out.callconv = f.callconv;
    out.cParamsOpt = f.cParamsOpt;
    out.wFuncFlags = f.flags;
    out.oVft = f.funckind == FUNC_DISPATCH
                   ? 0
                   : static_cast<std::int16_t>((f.vtableOffset * kProcessPointerSize / libPointer) & 0xFFFC);
    const MsftImage& image = at.level->lib->image();
    const TypeDesc result = image.typeDesc(f.result);
    out.elemdescFunc.tdesc = withLevel(result, at.depth);
    const std::span<const ParamRecord> params = f.params();
    std::size_t paramCount = params.size();
    if (dispatchView() && f.funckind != FUNC_DISPATCH) {
        if (paramCount > 0 && (params[paramCount - 1].flags & PARAMFLAG_FRETVAL)) {
            const TypeDesc retval = image.typeDesc(params[paramCount - 1].type);
            if (retval.vt != VT_PTR || !retval.pointee) return kUnexpected;
            out.elemdescFunc.tdesc = withLevel(*retval.pointee, at.depth);
            --paramCount;
        } else if (result.vt == VT_HRESULT) {
            out.elemdescFunc.tdesc = TypeDesc{};
            out.elemdescFunc.tdesc.vt = VT_VOID;
        }
        if (paramCount > 0 && (params[paramCount - 1].flags & PARAMFLAG_FLCID)) --paramCount;
        out.funckind = FUNC_DISPATCH;
    }
    out.params.resize(paramCount);
    for (std::size_t j = 0; j < paramCount; ++j) {
        const ParamRecord& p = params[j];
        out.params[j].tdesc = withLevel(image.typeDesc(p.type), at.depth);
        out.params[j].paramDesc.flags = p.flags;
        if (p.defaultValue >= 0) out.params[j].paramDesc.defaultValue = image.defaultValues[static_cast<std::size_t>(p.defaultValue)];
    }
    return kOk;
}

HResult ReaderTypeInfo::varDesc(unsigned index, VarDesc& out) const {
    out = VarDesc{};
    const TypeRecord& r = record();
    if (index >= r.vars.size()) return kElementNotFound;
    const VarRecord& v = r.vars[index];
    if (v.badValue) return kBadVarType;
    out.memid = v.memid;
    out.varkind = v.varkind;
    out.wVarFlags = v.flags;
    out.elemdescVar.tdesc = ref_.lib->image().typeDesc(v.type);
    if (v.varkind == VAR_CONST) out.value = v.value;
    else out.oInst = v.oInst;
    return kOk;
}

HResult ReaderTypeInfo::findMember(MemberId memid, Member& found) const {
    for (const TypeRef& level : bases().levels) {
        const TypeRecord& r = level.record();
        const auto it = std::lower_bound(r.firstByMemid.begin(), r.firstByMemid.end(), memid,
                                         [](const auto& entry, MemberId id) { return entry.first < id; });
        if (it != r.firstByMemid.end() && it->first == memid) {
            const std::uint32_t at = it->second;
            found = at < r.funcs.size() ? Member{&level, &r.funcs[at], nullptr}
                                        : Member{&level, nullptr, &r.vars[at - r.funcs.size()]};
            return kOk;
        }
    }
    return kElementNotFound;
}

HResult ReaderTypeInfo::names(MemberId memid, unsigned maxNames, std::vector<std::string>& out) const {
    out.clear();
    Member m;
    if (const HResult hr = findMember(memid, m); hr != kOk) return hr;
    if (m.var) {
        const std::string* name = m.level->lib->image().text(m.var->name);
        if (name && maxNames > 0) out.push_back(*name);
        return kOk;
    }
    const FuncRecord& f = *m.func;
    const MsftImage& image = m.level->lib->image();
    const std::string* name = image.text(f.name);
    if (!name || maxNames == 0) return kOk;
    const std::span<const ParamRecord> params = f.params();
    const std::size_t count =
        dispatchView() && f.funckind != FUNC_DISPATCH ? dispatchParamCount(f) : params.size();
    out.reserve(std::min<std::size_t>(maxNames, count + 1));
    out.push_back(*name);
    for (std::size_t j = 0; j < count && out.size() < maxNames; ++j) {
        const std::string* paramName = image.text(params[j].name);
        if (!paramName) break;
        out.push_back(*paramName);
    }
    return kOk;
}

HResult ReaderTypeInfo::documentation(MemberId memid, Documentation& out) const {
    out = Documentation{};
    if (memid == kMemberIdNil) {
        const TypeRecord& r = record();
        out.name = r.name;
        out.docString = r.docString;
        out.helpContext = r.helpContext;
        out.helpFile = ref_.lib->image().helpFile;
        return kOk;
    }
    Member m;
    if (const HResult hr = findMember(memid, m); hr != kOk) return hr;
    const MsftImage& image = m.level->lib->image();
    const auto optional = [&](Text t) {
        const std::string* text = image.text(t);
        return text ? std::optional<std::string>(*text) : std::nullopt;
    };
    out.name = optional(m.func ? m.func->name : m.var->name);
    out.docString = optional(m.func ? m.func->docString : m.var->docString);
    out.helpContext = m.func ? m.func->helpContext : m.var->helpContext;
    out.helpFile = m.level->lib->image().helpFile;
    return kOk;
}

HResult ReaderTypeInfo::refTypeOfImplType(std::int32_t index, HRefType& out) const {
    const TypeRecord& r = record();
    if (index == -1) {
        if (!r.isDual()) return kElementNotFound;
        out = kOtherHalf;
        return kOk;
    }
    if (index < 0 || index >= r.cImplTypes) return kElementNotFound;
    if (dispatchView() && index == 0) {
        out = static_cast<HRefType>(ref_.lib->image().dispatchHref);
        return kOk;
    }
    if (r.kind == TKIND_COCLASS) {
        if (static_cast<std::size_t>(index) >= r.impls.size()) return kElementNotFound;
        out = r.impls[static_cast<std::size_t>(index)].href;
        return kOk;
    }
    if (!r.base() || index != 0) return kElementNotFound;
    out = *r.base() | 2u;
    return kOk;
}

HResult ReaderTypeInfo::implTypeFlags(unsigned index, std::int32_t& out) const {
    const TypeRecord& r = record();
    if (index >= r.cImplTypes) return kElementNotFound;
    if (r.kind == TKIND_COCLASS) {
        if (index >= r.impls.size()) return kElementNotFound;
        out = r.impls[index].flags;
        return kOk;
    }
    out = 0;
    return kOk;
}

HResult ReaderTypeInfo::refTypeInfo(HRefType handle, std::shared_ptr<const TypeInfo>& out) const {
    out.reset();
    if (handle & 0x80000000u) {
        if (!record().isDual()) return kElementNotFound;
        out = std::make_shared<const ReaderTypeInfo>(ref_, !interfaceView_);
        return kOk;
    }
    // Hreftypes of inherited functions carry how many bases up they were declared.
    const unsigned up = (handle & kLevelMask) >> kLevelShift;
    const BaseLevels& known = bases();
    const std::size_t cached = std::min<std::size_t>(up, known.levels.size() - 1);
    TypeRef context = known.levels[cached];
    for (unsigned level = up - static_cast<unsigned>(cached); level > 0; --level) {
        const auto base = context.record().base();
        if (!base) return kElementNotFound;
        if (const HResult hr = context.lib->resolve(*base, context); hr != kOk) return hr;
    }
    const HRefType href = handle & ~kLevelMask;
    TypeRef target;
    if (const HResult hr = context.lib->resolve(href, target); hr != kOk) return hr;
    out = makeView(target, (href & 2) != 0);
    return kOk;
}

}  // namespace tessivar::reader
