// The Windows build's LoadTypeLib: the type library seam over the platform's ITypeLib and ITypeInfo.
#include "typelib/platform_loader.h"

#include <windows.h>
#include <oleauto.h>

#include <cstring>
#include <map>
#include <mutex>
#include <tuple>

#include "typelib/file_bytes.h"
#include "typelib/reader/file_loader.h"

namespace tessivar {
namespace {

// The platform crashed inside a call (Wine 8.0 does for some inherited functions with broken defaults).
constexpr HResult kPlatformCrashed = static_cast<HResult>(0x8000FFFF);

template <typename T>
std::shared_ptr<T> adopt(T* p) {
    return std::shared_ptr<T>(p, [](T* q) {
        if (q) q->Release();
    });
}

std::string utf8(const OLECHAR* text, int length) {
    if (!text || length <= 0) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
    return out;
}

// Takes ownership of the BSTR; a NULL BSTR is an empty optional.
std::optional<std::string> take(BSTR text) {
    if (!text) return std::nullopt;
    std::string out = utf8(text, static_cast<int>(SysStringLen(text)));
    SysFreeString(text);
    return out;
}

Guid guidOf(const GUID& g) {
    Guid out;
    out.data1 = g.Data1;
    out.data2 = g.Data2;
    out.data3 = g.Data3;
    std::memcpy(out.data4.data(), g.Data4, 8);
    return out;
}

// The files the loader opened, by the library's GUID, version and locale, so that a failure of one of
// their types can name what the library refers to: the library objects the platform hands out (also from
// GetContainingTypeLib) do not say which file they came from. The front end and its generation worker
// may both load.
class LoadedFiles {
public:
    using Key = std::tuple<Guid, std::uint16_t, std::uint16_t, std::uint32_t>;
    static std::optional<Key> keyOf(ITypeLib& lib) {
        TLIBATTR* a = nullptr;
        if (lib.GetLibAttr(&a) != S_OK || !a) return std::nullopt;
        const Key key{guidOf(a->guid), a->wMajorVerNum, a->wMinorVerNum, a->lcid};
        lib.ReleaseTLibAttr(a);
        return key;
    }
    void add(ITypeLib& lib, const std::string& path) {
        if (const auto key = keyOf(lib)) {
            std::lock_guard lock(mutex_);
            paths_[*key] = path;
        }
    }
    std::optional<std::string> pathOf(ITypeLib& lib) const {
        const auto key = keyOf(lib);
        std::lock_guard lock(mutex_);
        const auto it = key ? paths_.find(*key) : paths_.end();
        if (it == paths_.end()) return std::nullopt;
        return it->second;
    }

private:
    mutable std::mutex mutex_;
    std::map<Key, std::string> paths_;
};

LoadedFiles& loadedFiles() {
    static LoadedFiles files;
    return files;
}

TypeDesc typeDescOf(const TYPEDESC& td, int depth = 0) {
    TypeDesc out;
    out.vt = td.vt;
    if (depth > 64) return out;
    switch (td.vt & 0x0FFF) {
        case VT_PTR:
        case VT_SAFEARRAY:
            if (td.lptdesc) out.pointee = std::make_shared<const TypeDesc>(typeDescOf(*td.lptdesc, depth + 1));
            break;
        case VT_CARRAY:
            if (td.lpadesc) {
                auto ad = std::make_shared<ArrayDesc>();
                ad->element = typeDescOf(td.lpadesc->tdescElem, depth + 1);
                for (USHORT i = 0; i < td.lpadesc->cDims; ++i)
                    ad->bounds.push_back({td.lpadesc->rgbounds[i].cElements, td.lpadesc->rgbounds[i].lLbound});
                out.array = ad;
            }
            break;
        case VT_USERDEFINED: out.hreftype = td.hreftype; break;
        default: break;
    }
    return out;
}

Variant variantOf(const VARIANT& v) {
    Variant out;
    out.vt = V_VT(&v);
    if (out.vt == VT_BSTR) {
        if (V_BSTR(&v)) out.text = utf8(V_BSTR(&v), static_cast<int>(SysStringLen(V_BSTR(&v))));
        return out;
    }
    std::memcpy(&out.bits, &V_UI8(&v), sizeof out.bits);
    return out;
}

ElemDesc elemDescOf(const ELEMDESC& e) {
    ElemDesc out;
    out.tdesc = typeDescOf(e.tdesc);
    out.paramDesc.flags = e.paramdesc.wParamFlags;
    if ((e.paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT) && e.paramdesc.pparamdescex)
        out.paramDesc.defaultValue = variantOf(e.paramdesc.pparamdescex->varDefaultValue);
    return out;
}

Documentation documentationOf(BSTR name, BSTR doc, DWORD context, BSTR file) {
    Documentation out;
    out.name = take(name);
    out.docString = take(doc);
    out.helpContext = context;
    out.helpFile = take(file);
    return out;
}

// An access violation inside a guarded platform call returns to the guard instead of ending the process.
thread_local void* guardJump[5];
thread_local bool guardArmed = false;

LONG CALLBACK guardHandler(EXCEPTION_POINTERS* e) {
    if (guardArmed && e->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION) {
        guardArmed = false;
        __builtin_longjmp(guardJump, 1);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

__attribute__((noinline)) HRESULT guardedFuncDesc(ITypeInfo* info, UINT index, FUNCDESC** out) {
    static const PVOID installed = AddVectoredExceptionHandler(1, guardHandler);
    (void)installed;
    if (__builtin_setjmp(guardJump)) return kPlatformCrashed;
    guardArmed = true;
    const HRESULT hr = info->GetFuncDesc(index, out);
    guardArmed = false;
    return hr;
}

class ComTypeLib;

class ComTypeInfo : public TypeInfo {
public:
    explicit ComTypeInfo(std::shared_ptr<ITypeInfo> info) : info_(std::move(info)) {}

    HResult typeAttr(TypeAttr& out) const override {
        TYPEATTR* a = nullptr;
        const HRESULT hr = info_->GetTypeAttr(&a);
        if (hr != S_OK || !a) return hr == S_OK ? kFail : hr;
        out = TypeAttr{};
        out.guid = guidOf(a->guid);
        out.lcid = a->lcid;
        out.memidConstructor = a->memidConstructor;
        out.memidDestructor = a->memidDestructor;
        out.cbSizeInstance = a->cbSizeInstance;
        out.typekind = static_cast<TypeKind>(a->typekind);
        out.cFuncs = a->cFuncs;
        out.cVars = a->cVars;
        out.cImplTypes = a->cImplTypes;
        out.cbSizeVft = a->cbSizeVft;
        out.cbAlignment = a->cbAlignment;
        out.wTypeFlags = a->wTypeFlags;
        out.wMajorVerNum = a->wMajorVerNum;
        out.wMinorVerNum = a->wMinorVerNum;
        if (a->typekind == ::TKIND_ALIAS) out.tdescAlias = typeDescOf(a->tdescAlias);
        out.idlFlags = a->idldescType.wIDLFlags;
        info_->ReleaseTypeAttr(a);
        return kOk;
    }

    HResult funcDesc(unsigned index, FuncDesc& out) const override {
        out = FuncDesc{};
        FUNCDESC* f = nullptr;
        const HRESULT hr = guardedFuncDesc(info_.get(), index, &f);
        if (hr != S_OK || !f) return hr == S_OK ? kFail : hr;
        out.memid = f->memid;
        for (SHORT i = 0; i < f->cScodes && f->lprgscode; ++i) out.scodes.push_back(f->lprgscode[i]);
        for (SHORT i = 0; i < f->cParams; ++i) out.params.push_back(elemDescOf(f->lprgelemdescParam[i]));
        out.funckind = static_cast<FuncKind>(f->funckind);
        out.invkind = static_cast<InvokeKind>(f->invkind);
        out.callconv = f->callconv;
        out.cParamsOpt = f->cParamsOpt;
        out.oVft = f->oVft;
        out.elemdescFunc = elemDescOf(f->elemdescFunc);
        out.wFuncFlags = f->wFuncFlags;
        info_->ReleaseFuncDesc(f);
        return kOk;
    }

    HResult varDesc(unsigned index, VarDesc& out) const override {
        out = VarDesc{};
        VARDESC* v = nullptr;
        const HRESULT hr = info_->GetVarDesc(index, &v);
        if (hr != S_OK || !v) return hr == S_OK ? kFail : hr;
        out.memid = v->memid;
        out.varkind = static_cast<VarKind>(v->varkind);
        out.wVarFlags = v->wVarFlags;
        out.elemdescVar = elemDescOf(v->elemdescVar);
        if (v->varkind == ::VAR_CONST) {
            if (v->lpvarValue) out.value = variantOf(*v->lpvarValue);
        } else {
            out.oInst = v->oInst;
        }
        info_->ReleaseVarDesc(v);
        return kOk;
    }

    HResult names(MemberId memid, unsigned maxNames, std::vector<std::string>& out) const override {
        out.clear();
        std::vector<BSTR> names(maxNames, nullptr);
        UINT count = 0;
        const HRESULT hr = info_->GetNames(memid, names.data(), maxNames, &count);
        for (UINT i = 0; i < count && i < maxNames; ++i) out.push_back(take(names[i]).value_or(""));
        return hr;
    }

    HResult documentation(MemberId memid, Documentation& out) const override {
        BSTR name = nullptr, doc = nullptr, file = nullptr;
        DWORD context = 0;
        const HRESULT hr = info_->GetDocumentation(memid, &name, &doc, &context, &file);
        out = documentationOf(name, doc, context, file);
        return hr;
    }

    HResult refTypeOfImplType(std::int32_t index, HRefType& out) const override {
        HREFTYPE h = 0;
        const HRESULT hr = info_->GetRefTypeOfImplType(static_cast<UINT>(index), &h);
        out = h;
        return hr;
    }

    HResult implTypeFlags(unsigned index, std::int32_t& out) const override {
        INT flags = 0;
        const HRESULT hr = info_->GetImplTypeFlags(index, &flags);
        out = flags;
        return hr;
    }

    HResult refTypeInfo(HRefType handle, std::shared_ptr<const TypeInfo>& out) const override {
        out.reset();
        ITypeInfo* target = nullptr;
        const HRESULT hr = info_->GetRefTypeInfo(handle, &target);
        if (hr == S_OK && target) out = std::make_shared<const ComTypeInfo>(adopt(target));
        return hr;
    }

    HResult containingTypeLib(std::shared_ptr<const TypeLib>& out, unsigned& index) const override;

private:
    std::shared_ptr<ITypeInfo> info_;
};

class ComTypeLib : public TypeLib {
public:
    explicit ComTypeLib(std::shared_ptr<ITypeLib> lib) : lib_(std::move(lib)) {}

    unsigned typeInfoCount() const override { return lib_->GetTypeInfoCount(); }

    HResult typeInfo(unsigned index, std::shared_ptr<const TypeInfo>& out) const override {
        out.reset();
        ITypeInfo* info = nullptr;
        const HRESULT hr = lib_->GetTypeInfo(index, &info);
        if (hr == S_OK && info) out = std::make_shared<const ComTypeInfo>(adopt(info));
        return hr;
    }

    HResult typeInfoType(unsigned index, TypeKind& out) const override {
        TYPEKIND kind = ::TKIND_MAX;
        const HRESULT hr = lib_->GetTypeInfoType(index, &kind);
        out = static_cast<TypeKind>(kind);
        return hr;
    }

    HResult libAttr(LibAttr& out) const override {
        TLIBATTR* a = nullptr;
        const HRESULT hr = lib_->GetLibAttr(&a);
        if (hr != S_OK || !a) return hr == S_OK ? kFail : hr;
        out.guid = guidOf(a->guid);
        out.lcid = a->lcid;
        out.syskind = static_cast<SysKind>(a->syskind);
        out.wMajorVerNum = a->wMajorVerNum;
        out.wMinorVerNum = a->wMinorVerNum;
        out.wLibFlags = a->wLibFlags;
        lib_->ReleaseTLibAttr(a);
        return kOk;
    }

    HResult documentation(std::int32_t index, Documentation& out) const override {
        BSTR name = nullptr, doc = nullptr, file = nullptr;
        DWORD context = 0;
        const HRESULT hr = lib_->GetDocumentation(index, &name, &doc, &context, &file);
        out = documentationOf(name, doc, context, file);
        return hr;
    }

    // The platform does not say which library it failed to load: the libraries the file refers to that
    // the platform cannot load by their registration.
    std::vector<LibraryRef> missingLibraries() const override {
        std::vector<LibraryRef> missing;
        const std::optional<std::string> path = loadedFiles().pathOf(*lib_);
        if (!path) return missing;
        const reader::ResourcePath where = reader::splitResourcePath(*path);
        std::string why;
        const auto bytes = readFileBytes(where.file, std::uint64_t{1} << 30, why);  // the reader's bound on a module
        if (!bytes) return missing;
        for (LibraryRef& ref : reader::importedLibraries(bytes->bytes(), where.resourceId)) {
            GUID guid;
            guid.Data1 = ref.guid.data1;
            guid.Data2 = ref.guid.data2;
            guid.Data3 = ref.guid.data3;
            std::memcpy(guid.Data4, ref.guid.data4.data(), 8);
            ITypeLib* found = nullptr;
            if (LoadRegTypeLib(guid, ref.majorVersion, ref.minorVersion, ref.lcid, &found) == S_OK && found) {
                found->Release();
                continue;
            }
            missing.push_back(std::move(ref));
        }
        return missing;
    }

private:
    std::shared_ptr<ITypeLib> lib_;
};

HResult ComTypeInfo::containingTypeLib(std::shared_ptr<const TypeLib>& out, unsigned& index) const {
    out.reset();
    ITypeLib* lib = nullptr;
    UINT at = 0;
    const HRESULT hr = info_->GetContainingTypeLib(&lib, &at);
    if (hr == S_OK && lib) out = std::make_shared<const ComTypeLib>(adopt(lib));
    index = at;
    return hr;
}

class PlatformLoader : public TypeLibLoader {
public:
    HResult load(const std::string& path, std::shared_ptr<const TypeLib>& out) override {
        out.reset();
        const int n = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
        if (n <= 0) return kCantLoadLibrary;
        std::wstring wide(static_cast<std::size_t>(n), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), n);
        ITypeLib* lib = nullptr;
        const HRESULT hr = LoadTypeLib(wide.c_str(), &lib);
        if (hr == S_OK && lib) {
            loadedFiles().add(*lib, path);
            out = std::make_shared<const ComTypeLib>(adopt(lib));
        }
        return hr;
    }
};

}  // namespace

std::unique_ptr<TypeLibLoader> makePlatformTypeLibLoader(Registry*) { return std::make_unique<PlatformLoader>(); }

std::unique_ptr<TypeLibLoader> makePlatformTypeLibLoader(Registry*, std::vector<std::string>) {
    return std::make_unique<PlatformLoader>();
}

}  // namespace tessivar
