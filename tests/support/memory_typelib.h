// A type library built in code, for tests that need what an IDL compiler cannot write: failing calls,
// missing containing libraries, odd type codes, dispatch interfaces listing IUnknown/IDispatch methods.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/type_entry.h"
#include "typelib/typelib_api.h"

namespace tessivar::test {

class MemoryTypeLib;

struct MemoryFunc {
    FuncDesc desc;
    std::vector<std::string> names;  // member name first, then parameter names
    std::string doc;
    bool documentationFails = false;
    HResult descStatus = kOk;   // what funcDesc returns
    HResult namesStatus = kOk;  // what names returns
};

struct MemoryVar {
    VarDesc desc;
    std::string name;
    std::string doc;
    HResult descStatus = kOk;  // what varDesc returns
};

struct MemoryImpl {
    HRefType ref = 0;
    std::int32_t flags = 0;
};

struct MemoryType {
    std::string name;
    std::string doc;
    TypeAttr attr;
    HResult attrStatus = kOk;  // what typeAttr returns
    std::vector<MemoryFunc> funcs;
    std::vector<MemoryVar> vars;
    std::vector<MemoryImpl> impls;
    bool noContainingLib = false;
};

class MemoryTypeLib : public TypeLib, public std::enable_shared_from_this<MemoryTypeLib> {
public:
    static std::shared_ptr<MemoryTypeLib> create(std::string name, Guid guid = {});

    // Adds a type; returns its index.
    unsigned add(MemoryType type);
    MemoryType& type(unsigned index) { return types_.at(index); }
    std::shared_ptr<const TypeInfo> info(unsigned index) const;
    // Makes type `index` of `target` reachable from type `from` of this library; returns the handle.
    HRefType addRef(unsigned from, const std::shared_ptr<MemoryTypeLib>& target, unsigned index);

    // Shorthands for common kinds.
    unsigned addEnum(const std::string& name, const Guid& guid,
                     const std::vector<std::pair<std::string, std::int32_t>>& constants);
    unsigned addInterface(const std::string& name, const Guid& guid, TypeKind kind, std::uint16_t typeFlags);
    unsigned addCoClass(const std::string& name, const Guid& clsid, std::uint16_t typeFlags = TYPEFLAG_FCANCREATE);
    // Lists type `iface` of this library as implemented by coclass `coclass` with the given flags.
    void implement(unsigned coclass, unsigned iface, std::int32_t flags);

    const MemoryType* typeAt(unsigned index) const;
    HResult resolve(unsigned from, HRefType handle, std::shared_ptr<const TypeInfo>& out) const;

    unsigned typeInfoCount() const override { return static_cast<unsigned>(types_.size()); }
    HResult typeInfo(unsigned index, std::shared_ptr<const TypeInfo>& out) const override;
    HResult typeInfoType(unsigned index, TypeKind& out) const override;
    HResult libAttr(LibAttr& out) const override;
    HResult documentation(std::int32_t index, Documentation& out) const override;
    std::vector<LibraryRef> missingLibraries() const override { return missing; }

    std::string name;
    Guid guid;
    std::vector<LibraryRef> missing;  // what missingLibraries reports

private:
    struct Ref {
        std::weak_ptr<MemoryTypeLib> lib;
        unsigned index;
    };
    std::vector<MemoryType> types_;
    std::map<std::pair<unsigned, HRefType>, Ref> refs_;
    HRefType nextRef_ = 0x100;
};

// A function description with the given result and parameter types.
FuncDesc makeFunc(MemberId memid, InvokeKind invkind, FuncKind funckind, TypeDesc result,
                  std::vector<TypeDesc> params = {}, std::int16_t cParamsOpt = 0);
TypeDesc vt(std::uint16_t code);
TypeDesc ptr(TypeDesc pointee);
TypeDesc userDefined(HRefType handle);
Guid guidOf(std::uint32_t n);
// Type `index` of `lib` as a coclass lists it under the implementation flags `kind` (no library name,
// as the dialog's interface list has it).
TypeEntry implementedEntry(const std::shared_ptr<MemoryTypeLib>& lib, unsigned index, std::int32_t kind,
                           std::string typeLibPath);

// A loader over named in-memory libraries.
class MemoryLoader : public TypeLibLoader {
public:
    void add(const std::string& path, std::shared_ptr<const TypeLib> lib) { libs_[path] = std::move(lib); }
    HResult load(const std::string& path, std::shared_ptr<const TypeLib>& out) override;

private:
    std::map<std::string, std::shared_ptr<const TypeLib>> libs_;
};

}  // namespace tessivar::test
