// A small in-memory type library for the lookup tests: named types with kinds, GUIDs and implemented
// interfaces, and a loader that knows a few paths.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/guid_text.h"
#include "typelib/typelib_api.h"

namespace tessivar::test {

struct FakeType : TypeInfo {
    FakeType(std::string n, const std::string& guidText, TypeKind k) : name(std::move(n)), guid(*parseGuidText(guidText)), kind(k) {}
    std::string name;
    Guid guid;
    TypeKind kind;
    std::vector<std::pair<std::shared_ptr<const FakeType>, std::int32_t>> implemented;  // interface, flags

    HResult typeAttr(TypeAttr& out) const override {
        out = TypeAttr{};
        out.guid = guid;
        out.typekind = kind;
        out.cImplTypes = static_cast<std::uint16_t>(implemented.size());
        return kOk;
    }
    HResult funcDesc(unsigned, FuncDesc&) const override { return kElementNotFound; }
    HResult varDesc(unsigned, VarDesc&) const override { return kElementNotFound; }
    HResult names(MemberId, unsigned, std::vector<std::string>&) const override { return kElementNotFound; }
    HResult documentation(MemberId memid, Documentation& out) const override {
        if (memid != kMemberIdNil) return kElementNotFound;
        out = Documentation{};
        out.name = name;
        return kOk;
    }
    HResult refTypeOfImplType(std::int32_t index, HRefType& out) const override {
        if (index < 0 || static_cast<std::size_t>(index) >= implemented.size()) return kElementNotFound;
        out = static_cast<HRefType>(index);
        return kOk;
    }
    HResult implTypeFlags(unsigned index, std::int32_t& out) const override {
        if (index >= implemented.size()) return kElementNotFound;
        out = implemented[index].second;
        return kOk;
    }
    HResult refTypeInfo(HRefType handle, std::shared_ptr<const TypeInfo>& out) const override {
        if (handle >= implemented.size() || !implemented[handle].first) return kElementNotFound;
        out = implemented[handle].first;
        return kOk;
    }
    HResult containingTypeLib(std::shared_ptr<const TypeLib>&, unsigned&) const override { return kFail; }
};

struct FakeLib : TypeLib {
    explicit FakeLib(const std::string& guidText) : guid(*parseGuidText(guidText)) {}
    Guid guid;
    std::vector<std::shared_ptr<const FakeType>> types;

    unsigned typeInfoCount() const override { return static_cast<unsigned>(types.size()); }
    HResult typeInfo(unsigned index, std::shared_ptr<const TypeInfo>& out) const override {
        if (index >= types.size()) return kElementNotFound;
        out = types[index];
        return kOk;
    }
    HResult typeInfoType(unsigned index, TypeKind& out) const override {
        if (index >= types.size()) return kElementNotFound;
        out = types[index]->kind;
        return kOk;
    }
    HResult libAttr(LibAttr& out) const override {
        out = LibAttr{};
        out.guid = guid;
        return kOk;
    }
    HResult documentation(std::int32_t, Documentation&) const override { return kElementNotFound; }
};

// Loads the libraries it was given by path; any other path is "not a type library".
struct FakeLoader : TypeLibLoader {
    std::map<std::string, std::shared_ptr<const FakeLib>> libraries;
    HResult load(const std::string& path, std::shared_ptr<const TypeLib>& out) override {
        out.reset();
        const auto it = libraries.find(path);
        if (it == libraries.end()) return kUnsupportedFormat;
        out = it->second;
        return kOk;
    }
};

}  // namespace tessivar::test
