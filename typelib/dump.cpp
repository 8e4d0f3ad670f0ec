// The canonical dump: one text both builds produce, so the reader can be compared with the platform.
#include "typelib/dump.h"

#include <cstdarg>
#include <cstdio>

namespace tessivar {
namespace {

constexpr unsigned kMaxNames = 64;
constexpr int kMaxTypeDepth = 64;

class Out {
public:
    void line(int indent, const char* format, ...) __attribute__((format(printf, 3, 4))) {
        text_.append(static_cast<std::size_t>(indent) * 2, ' ');
        char buffer[512];
        va_list args;
        va_start(args, format);
        std::vsnprintf(buffer, sizeof buffer, format, args);
        va_end(args);
        text_ += buffer;
        text_ += '\n';
    }
    void raw(int indent, const std::string& text) {
        text_.append(static_cast<std::size_t>(indent) * 2, ' ');
        text_ += text;
        text_ += '\n';
    }
    std::string take() { return std::move(text_); }

private:
    std::string text_;
};

std::string hex(std::uint64_t v, int width = 0) {
    char b[24];
    std::snprintf(b, sizeof b, "0x%0*llX", width, static_cast<unsigned long long>(v));
    return b;
}

std::string status(HResult hr) { return "error " + hex(static_cast<std::uint32_t>(hr), 8); }

void appendControl(std::string& out, unsigned char b) {
    char e[8];
    std::snprintf(e, sizeof e, "\\x%02X", b);
    out += e;
}

std::string quoted(const std::optional<std::string>& text) {
    if (!text) return "null";
    std::string out = "\"";
    for (const char c : *text) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (b < 0x20 || b == 0x7F) {
            appendControl(out, b);
        } else {
            out += c;
        }
    }
    return out + '"';
}

// A name written unquoted (in references): its control characters as "\xNN", so a library cannot put
// terminal escapes or line breaks into the dump; other names stay as they are.
std::string bare(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) appendControl(out, b);
        else out += c;
    }
    return out;
}

const char* kindName(int kind) {
    static const char* const names[] = {"ENUM", "RECORD", "MODULE", "INTERFACE", "DISPATCH", "COCLASS", "ALIAS", "UNION"};
    return kind >= 0 && kind < TKIND_MAX ? names[kind] : "?";
}

const char* vtName(unsigned vt) {
    switch (vt) {
        case VT_EMPTY: return "EMPTY"; case VT_NULL: return "NULL"; case VT_I2: return "I2"; case VT_I4: return "I4";
        case VT_R4: return "R4"; case VT_R8: return "R8"; case VT_CY: return "CY"; case VT_DATE: return "DATE";
        case VT_BSTR: return "BSTR"; case VT_DISPATCH: return "DISPATCH"; case VT_ERROR: return "ERROR";
        case VT_BOOL: return "BOOL"; case VT_VARIANT: return "VARIANT"; case VT_UNKNOWN: return "UNKNOWN";
        case VT_DECIMAL: return "DECIMAL"; case VT_I1: return "I1"; case VT_UI1: return "UI1"; case VT_UI2: return "UI2";
        case VT_UI4: return "UI4"; case VT_I8: return "I8"; case VT_UI8: return "UI8"; case VT_INT: return "INT";
        case VT_UINT: return "UINT"; case VT_VOID: return "VOID"; case VT_HRESULT: return "HRESULT"; case VT_PTR: return "PTR";
        case VT_SAFEARRAY: return "SAFEARRAY"; case VT_CARRAY: return "CARRAY"; case VT_USERDEFINED: return "USERDEFINED";
        case VT_LPSTR: return "LPSTR"; case VT_LPWSTR: return "LPWSTR"; case VT_RECORD: return "RECORD";
        case VT_INT_PTR: return "INT_PTR"; case VT_UINT_PTR: return "UINT_PTR"; case 64: return "FILETIME";
        default: return nullptr;
    }
}

std::string vtText(unsigned vt) {
    const char* name = vtName(vt);
    return name ? name : "vt" + std::to_string(vt);
}

// A referenced type as "Name:KIND@Library#index", the way GetRefTypeInfo finds it from `from`.
std::string refText(const TypeInfo& from, HRefType href) {
    std::shared_ptr<const TypeInfo> target;
    if (const HResult hr = from.refTypeInfo(href, target); hr != kOk || !target) return "<" + status(hr) + ">";
    std::string text = bare(typeName(*target));
    TypeAttr attr;
    text += ':';
    text += target->typeAttr(attr) == kOk ? kindName(attr.typekind) : "?";
    std::shared_ptr<const TypeLib> lib;
    unsigned index = 0;
    if (target->containingTypeLib(lib, index) == kOk && lib)
        text += '@' + bare(libraryName(*lib)) + '#' + std::to_string(index);
    return text;
}

std::string typeText(const TypeInfo& from, const TypeDesc& td, int depth = 0) {
    if (depth > kMaxTypeDepth) return "...";
    std::string text = vtText(td.vt & 0x0FFF);
    if (td.vt & 0xF000) text += "|" + hex(td.vt & 0xF000u);
    switch (td.vt & 0x0FFF) {
        case VT_PTR:
        case VT_SAFEARRAY: return text + "(" + (td.pointee ? typeText(from, *td.pointee, depth + 1) : "null") + ")";
        case VT_CARRAY: {
            if (!td.array) return text + "(null)";
            text += "(" + typeText(from, td.array->element, depth + 1) + ")[";
            for (std::size_t i = 0; i < td.array->bounds.size(); ++i) {
                if (i) text += ',';
                text += std::to_string(td.array->bounds[i].elements) + "@" + std::to_string(td.array->bounds[i].lowerBound);
            }
            return text + "]";
        }
        case VT_USERDEFINED: return text + "(" + refText(from, td.hreftype) + ")";
        default: return text;
    }
}

std::string valueText(const Variant& v) {
    std::string text = vtText(v.vt);
    const std::uint64_t b = v.bits;
    switch (v.vt) {
        case VT_I1: text += ":" + std::to_string(static_cast<std::int8_t>(b)); break;
        case VT_UI1: text += ":" + std::to_string(static_cast<std::uint8_t>(b)); break;
        case VT_I2: case VT_BOOL: text += ":" + std::to_string(static_cast<std::int16_t>(b)); break;
        case VT_UI2: text += ":" + std::to_string(static_cast<std::uint16_t>(b)); break;
        case VT_I4: case VT_INT: case VT_ERROR: case VT_HRESULT: text += ":" + std::to_string(static_cast<std::int32_t>(b)); break;
        case VT_UI4: case VT_UINT: text += ":" + std::to_string(static_cast<std::uint32_t>(b)); break;
        case VT_I8: case VT_CY: text += ":" + std::to_string(static_cast<std::int64_t>(b)); break;
        case VT_UI8: text += ":" + std::to_string(b); break;
        case VT_R4: text += ":bits=" + hex(static_cast<std::uint32_t>(b), 8); break;
        case VT_R8: case VT_DATE: case VT_DECIMAL: text += ":bits=" + hex(b, 16); break;
        case VT_BSTR: return text + ":" + quoted(v.text);
        default: break;
    }
    return text + " asI4=" + std::to_string(v.lVal());
}

void dumpMemberText(Out& out, int indent, const TypeInfo& info, MemberId memid) {
    std::vector<std::string> names;
    const HResult hr = info.names(memid, kMaxNames, names);
    std::string line = "names";
    if (hr != kOk) line += " " + status(hr);
    for (const std::string& n : names) line += " " + quoted(n);
    out.raw(indent, line);
    Documentation doc;
    if (const HResult dh = info.documentation(memid, doc); dh != kOk) {
        out.raw(indent, "doc " + status(dh));
    } else {
        out.raw(indent, "doc name=" + quoted(doc.name) + " string=" + quoted(doc.docString) +
                            " context=" + std::to_string(doc.helpContext) + " file=" + quoted(doc.helpFile));
    }
}

void dumpFunction(Out& out, const TypeInfo& info, unsigned index) {
    FuncDesc f;
    if (const HResult hr = info.funcDesc(index, f); hr != kOk) {
        out.raw(2, "func " + std::to_string(index) + " " + status(hr));
        return;
    }
    out.line(2, "func %u memid %s kind %d invoke %d callconv %d params %d opt %d ovft %d flags %s", index,
             hex(static_cast<std::uint32_t>(f.memid)).c_str(), f.funckind, f.invkind, f.callconv, f.cParams(),
             f.cParamsOpt, f.oVft, hex(f.wFuncFlags).c_str());
    out.raw(3, "returns " + typeText(info, f.elemdescFunc.tdesc) + " flags " + hex(f.elemdescFunc.paramDesc.flags));
    for (std::size_t j = 0; j < f.params.size(); ++j) {
        const ElemDesc& p = f.params[j];
        std::string line = "param " + std::to_string(j) + " " + typeText(info, p.tdesc) + " flags " + hex(p.paramDesc.flags);
        if (p.paramDesc.defaultValue) line += " default " + valueText(*p.paramDesc.defaultValue);
        out.raw(3, line);
    }
    dumpMemberText(out, 3, info, f.memid);
}

void dumpVariable(Out& out, const TypeInfo& info, unsigned index) {
    VarDesc v;
    if (const HResult hr = info.varDesc(index, v); hr != kOk) {
        out.raw(2, "var " + std::to_string(index) + " " + status(hr));
        return;
    }
    std::string line = "var " + std::to_string(index) + " memid " + hex(static_cast<std::uint32_t>(v.memid)) + " kind " +
                       std::to_string(v.varkind) + " flags " + hex(v.wVarFlags) + " type " + typeText(info, v.elemdescVar.tdesc);
    if (v.value) line += " value " + valueText(*v.value);
    if (v.oInst) line += " oinst " + std::to_string(*v.oInst);
    out.raw(2, line);
    dumpMemberText(out, 3, info, v.memid);
}

void dumpView(Out& out, const TypeInfo& info, const TypeAttr& a) {
    out.line(2, "attr guid %s lcid %s kind %s size %u align %u funcs %u vars %u impls %u vft %u flags %s version %u.%u",
             guidText(a.guid).c_str(), hex(a.lcid).c_str(), kindName(a.typekind), a.cbSizeInstance, a.cbAlignment,
             a.cFuncs, a.cVars, a.cImplTypes, a.cbSizeVft, hex(a.wTypeFlags).c_str(), a.wMajorVerNum, a.wMinorVerNum);
    if (a.typekind == TKIND_ALIAS) out.raw(2, "alias " + typeText(info, a.tdescAlias));
    for (unsigned i = 0; i < a.cImplTypes; ++i) {
        HRefType href = 0;
        std::int32_t flags = 0;
        const HResult hr = info.refTypeOfImplType(static_cast<std::int32_t>(i), href);
        const HResult fh = info.implTypeFlags(i, flags);
        out.raw(2, "impl " + std::to_string(i) + " flags " + (fh == kOk ? hex(static_cast<std::uint32_t>(flags)) : status(fh)) +
                       " " + (hr == kOk ? refText(info, href) : status(hr)));
    }
    for (unsigned i = 0; i < a.cFuncs; ++i) dumpFunction(out, info, i);
    for (unsigned i = 0; i < a.cVars; ++i) dumpVariable(out, info, i);
}

void dumpType(Out& out, const TypeLib& lib, unsigned index) {
    TypeKind kind = TKIND_MAX;
    const HResult kh = lib.typeInfoType(index, kind);
    std::shared_ptr<const TypeInfo> info;
    if (const HResult hr = lib.typeInfo(index, info); hr != kOk || !info) {
        out.raw(0, "type " + std::to_string(index) + " " + status(hr));
        return;
    }
    out.raw(0, "type " + std::to_string(index) + " " + quoted(typeName(*info)) + " " + (kh == kOk ? kindName(kind) : status(kh)));
    dumpMemberText(out, 1, *info, kMemberIdNil);
    std::shared_ptr<const TypeLib> home;
    unsigned homeIndex = 0;
    if (const HResult hr = info->containingTypeLib(home, homeIndex); hr != kOk || !home)
        out.raw(1, "containing " + status(hr));
    else
        out.raw(1, "containing " + quoted(libraryName(*home)) + "#" + std::to_string(homeIndex));
    TypeAttr attr;
    if (const HResult hr = info->typeAttr(attr); hr != kOk) {
        out.raw(1, "attr " + status(hr));
        return;
    }
    out.raw(1, std::string("view ") + kindName(attr.typekind));
    dumpView(out, *info, attr);

    HRefType other = 0;
    if (info->refTypeOfImplType(-1, other) != kOk) return;
    std::shared_ptr<const TypeInfo> half;
    if (const HResult hr = info->refTypeInfo(other, half); hr != kOk || !half) {
        out.raw(1, "other view " + status(hr));
        return;
    }
    TypeAttr halfAttr;
    if (const HResult hr = half->typeAttr(halfAttr); hr != kOk) {
        out.raw(1, "other view attr " + status(hr));
        return;
    }
    out.raw(1, std::string("other view ") + kindName(halfAttr.typekind) + " named " + quoted(typeName(*half)));
    dumpView(out, *half, halfAttr);
}

}  // namespace

std::string dumpTypeLib(const TypeLib& lib) {
    Out out;
    LibAttr a;
    if (const HResult hr = lib.libAttr(a); hr != kOk) {
        out.raw(0, "libattr " + status(hr));
    } else {
        out.line(0, "library guid %s lcid %s syskind %d version %u.%u flags %s", guidText(a.guid).c_str(),
                 hex(a.lcid).c_str(), a.syskind, a.wMajorVerNum, a.wMinorVerNum, hex(a.wLibFlags).c_str());
    }
    Documentation doc;
    if (const HResult hr = lib.documentation(-1, doc); hr != kOk) {
        out.raw(1, "doc " + status(hr));
    } else {
        out.raw(1, "doc name=" + quoted(doc.name) + " string=" + quoted(doc.docString) +
                       " context=" + std::to_string(doc.helpContext) + " file=" + quoted(doc.helpFile));
    }
    const unsigned count = lib.typeInfoCount();
    out.raw(1, "types " + std::to_string(count));
    for (unsigned i = 0; i < count; ++i) dumpType(out, lib, i);
    return out.take();
}

std::string dumpTypeLibFile(TypeLibLoader& loader, const std::string& path, HResult& result) {
    std::shared_ptr<const TypeLib> lib;
    result = loader.load(path, lib);
    if (result != kOk || !lib) return "load " + status(result) + "\n";
    return dumpTypeLib(*lib);
}

}  // namespace tessivar
