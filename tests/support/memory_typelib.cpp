// The in-memory type library for tests.
#include "support/memory_typelib.h"

#include "base/guid_text.h"

namespace tessivar::test {
namespace {

class MemoryTypeInfo : public TypeInfo {
public:
    MemoryTypeInfo(std::shared_ptr<const MemoryTypeLib> lib, unsigned index) : lib_(std::move(lib)), index_(index) {}

    const MemoryType& type() const { return *lib_->typeAt(index_); }

    HResult typeAttr(TypeAttr& out) const override {
        const MemoryType& t = type();
        if (t.attrStatus != kOk) return t.attrStatus;
        out = t.attr;
        out.cFuncs = static_cast<std::uint16_t>(t.funcs.size());
        out.cVars = static_cast<std::uint16_t>(t.vars.size());
        out.cImplTypes = static_cast<std::uint16_t>(t.impls.size());
        return kOk;
    }
    HResult funcDesc(unsigned index, FuncDesc& out) const override {
        if (index >= type().funcs.size()) return kElementNotFound;
        if (type().funcs[index].descStatus != kOk) return type().funcs[index].descStatus;
        out = type().funcs[index].desc;
        return kOk;
    }
    HResult varDesc(unsigned index, VarDesc& out) const override {
        if (index >= type().vars.size()) return kElementNotFound;
        if (type().vars[index].descStatus != kOk) return type().vars[index].descStatus;
        out = type().vars[index].desc;
        return kOk;
    }
    HResult names(MemberId memid, unsigned maxNames, std::vector<std::string>& out) const override {
        out.clear();
        for (const MemoryFunc& f : type().funcs) {
            if (f.desc.memid != memid) continue;
            if (f.namesStatus != kOk) return f.namesStatus;
            for (unsigned i = 0; i < f.names.size() && i < maxNames; ++i) out.push_back(f.names[i]);
            return kOk;
        }
        for (const MemoryVar& v : type().vars) {
            if (v.desc.memid != memid) continue;
            if (maxNames > 0) out.push_back(v.name);
            return kOk;
        }
        return kElementNotFound;
    }
    HResult documentation(MemberId memid, Documentation& out) const override {
        out = {};
        if (memid == kMemberIdNil) {
            out.name = type().name;
            out.docString = type().doc;
            return kOk;
        }
        for (const MemoryFunc& f : type().funcs) {
            if (f.desc.memid != memid) continue;
            if (f.documentationFails) return kElementNotFound;
            out.name = f.names.empty() ? std::string() : f.names.front();
            out.docString = f.doc;
            return kOk;
        }
        for (const MemoryVar& v : type().vars) {
            if (v.desc.memid != memid) continue;
            out.name = v.name;
            out.docString = v.doc;
            return kOk;
        }
        return kElementNotFound;
    }
    HResult refTypeOfImplType(std::int32_t index, HRefType& out) const override {
        if (index < 0 || static_cast<std::size_t>(index) >= type().impls.size()) return kElementNotFound;
        out = type().impls[static_cast<std::size_t>(index)].ref;
        return kOk;
    }
    HResult implTypeFlags(unsigned index, std::int32_t& out) const override {
        if (index >= type().impls.size()) return kElementNotFound;
        out = type().impls[index].flags;
        return kOk;
    }
    HResult refTypeInfo(HRefType handle, std::shared_ptr<const TypeInfo>& out) const override {
        return lib_->resolve(index_, handle, out);
    }
    HResult containingTypeLib(std::shared_ptr<const TypeLib>& out, unsigned& index) const override {
        if (type().noContainingLib) {
            out.reset();
            return kFail;
        }
        out = lib_;
        index = index_;
        return kOk;
    }

private:
    std::shared_ptr<const MemoryTypeLib> lib_;
    unsigned index_;
};

}  // namespace

std::shared_ptr<MemoryTypeLib> MemoryTypeLib::create(std::string name, Guid guid) {
    auto lib = std::make_shared<MemoryTypeLib>();
    lib->name = std::move(name);
    lib->guid = guid;
    return lib;
}

unsigned MemoryTypeLib::add(MemoryType type) {
    types_.push_back(std::move(type));
    return static_cast<unsigned>(types_.size() - 1);
}

const MemoryType* MemoryTypeLib::typeAt(unsigned index) const { return index < types_.size() ? &types_[index] : nullptr; }

std::shared_ptr<const TypeInfo> MemoryTypeLib::info(unsigned index) const {
    std::shared_ptr<const TypeInfo> out;
    typeInfo(index, out);
    return out;
}

HRefType MemoryTypeLib::addRef(unsigned from, const std::shared_ptr<MemoryTypeLib>& target, unsigned index) {
    const HRefType handle = nextRef_;
    nextRef_ += 4;
    refs_[{from, handle}] = Ref{target, index};
    return handle;
}

HResult MemoryTypeLib::resolve(unsigned from, HRefType handle, std::shared_ptr<const TypeInfo>& out) const {
    out.reset();
    const auto it = refs_.find({from, handle});
    if (it == refs_.end()) return kElementNotFound;
    const auto lib = it->second.lib.lock();
    if (!lib) return kCantLoadLibrary;
    return lib->typeInfo(it->second.index, out);
}

unsigned MemoryTypeLib::addEnum(const std::string& typeName, const Guid& g,
                                const std::vector<std::pair<std::string, std::int32_t>>& constants) {
    MemoryType t;
    t.name = typeName;
    t.attr.guid = g;
    t.attr.typekind = TKIND_ENUM;
    MemberId memid = 0x40000000;
    for (const auto& [constName, value] : constants) {
        MemoryVar v;
        v.name = constName;
        v.desc.memid = memid++;
        v.desc.varkind = VAR_CONST;
        v.desc.elemdescVar.tdesc = vt(VT_I4);
        v.desc.value = Variant{VT_I4, static_cast<std::uint32_t>(value), {}};
        t.vars.push_back(v);
    }
    return add(std::move(t));
}

unsigned MemoryTypeLib::addInterface(const std::string& typeName, const Guid& g, TypeKind kind,
                                     std::uint16_t typeFlags) {
    MemoryType t;
    t.name = typeName;
    t.attr.guid = g;
    t.attr.typekind = kind;
    t.attr.wTypeFlags = typeFlags;
    return add(std::move(t));
}

unsigned MemoryTypeLib::addCoClass(const std::string& typeName, const Guid& clsid, std::uint16_t typeFlags) {
    return addInterface(typeName, clsid, TKIND_COCLASS, typeFlags);
}

void MemoryTypeLib::implement(unsigned coclass, unsigned iface, std::int32_t flags) {
    const HRefType handle = addRef(coclass, shared_from_this(), iface);
    types_.at(coclass).impls.push_back(MemoryImpl{handle, flags});
}

HResult MemoryTypeLib::typeInfo(unsigned index, std::shared_ptr<const TypeInfo>& out) const {
    if (index >= types_.size()) {
        out.reset();
        return kElementNotFound;
    }
    out = std::make_shared<MemoryTypeInfo>(shared_from_this(), index);
    return kOk;
}

HResult MemoryTypeLib::typeInfoType(unsigned index, TypeKind& out) const {
    if (index >= types_.size()) return kElementNotFound;
    out = types_[index].attr.typekind;
    return kOk;
}

HResult MemoryTypeLib::libAttr(LibAttr& out) const {
    out = {};
    out.guid = guid;
    return kOk;
}

HResult MemoryTypeLib::documentation(std::int32_t index, Documentation& out) const {
    out = {};
    if (index == -1) {
        out.name = name;
        return kOk;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= types_.size()) return kElementNotFound;
    out.name = types_[static_cast<std::size_t>(index)].name;
    return kOk;
}

FuncDesc makeFunc(MemberId memid, InvokeKind invkind, FuncKind funckind, TypeDesc result,
                  std::vector<TypeDesc> params, std::int16_t cParamsOpt) {
    FuncDesc f;
    f.memid = memid;
    f.invkind = invkind;
    f.funckind = funckind;
    f.elemdescFunc.tdesc = std::move(result);
    for (TypeDesc& p : params) {
        ElemDesc e;
        e.tdesc = std::move(p);
        e.paramDesc.flags = PARAMFLAG_FIN;
        f.params.push_back(std::move(e));
    }
    f.cParamsOpt = cParamsOpt;
    return f;
}

TypeDesc vt(std::uint16_t code) {
    TypeDesc t;
    t.vt = code;
    return t;
}

TypeDesc ptr(TypeDesc pointee) {
    TypeDesc t;
    t.vt = VT_PTR;
    t.pointee = std::make_shared<const TypeDesc>(std::move(pointee));
    return t;
}

TypeDesc userDefined(HRefType handle) {
    TypeDesc t;
    t.vt = VT_USERDEFINED;
    t.hreftype = handle;
    return t;
}

Guid guidOf(std::uint32_t n) {
    Guid g;
    g.data1 = n;
    g.data4 = {0x80, 0, 0, 0xAA, 0, 0xBB, 0, 0xCC};
    return g;
}

TypeEntry implementedEntry(const std::shared_ptr<MemoryTypeLib>& lib, unsigned index, std::int32_t kind,
                           std::string typeLibPath) {
    TypeEntry e;
    e.typeInfo = lib->info(index);
    e.name = lib->type(index).name;
    e.guidText = guidText(lib->type(index).attr.guid);
    e.typeLibPath = std::move(typeLibPath);
    e.kind = kind;
    return e;
}

HResult MemoryLoader::load(const std::string& path, std::shared_ptr<const TypeLib>& out) {
    const auto it = libs_.find(path);
    if (it == libs_.end()) {
        out.reset();
        return kCantLoadLibrary;
    }
    out = it->second;
    return kOk;
}

}  // namespace tessivar::test
