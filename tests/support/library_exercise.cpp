// The full walk and the whole-library generation used on damaged libraries.
#include "support/library_exercise.h"

#include <deque>
#include <set>
#include <tuple>

#include "support/fakes.h"
#include "typelib/class_lookups.h"
#include "typelib/dump.h"

namespace tessivar::test {
namespace {

constexpr unsigned kMaxNames = 64;
constexpr int kMaxTypeDepth = 32;
// Handles no library hands out, asked for to prove they fail cleanly.
constexpr HRefType kStrayHandles[] = {0, 1, 3, 0x7FFFFFFF, 0xFFFFFFFE, 0xFFFFFFFF};

class Walker {
public:
    explicit Walker(const TypeLib& lib) : lib_(lib) {}

    std::size_t run() {
        LibAttr attr;
        count(lib_.libAttr(attr));
        Documentation doc;
        const unsigned n = lib_.typeInfoCount();
        for (std::int32_t i = -1; i <= static_cast<std::int32_t>(n); ++i) count(lib_.documentation(i, doc));
        for (unsigned i = 0; i <= n; ++i) {
            TypeKind kind;
            count(lib_.typeInfoType(i, kind));
            std::shared_ptr<const TypeInfo> info;
            if (count(lib_.typeInfo(i, info)) && info) queue(info);
        }
        // Every resolved type is walked once per view; the queue only grows by types not seen before.
        while (!pending_.empty()) {
            const std::shared_ptr<const TypeInfo> info = pending_.front();
            pending_.pop_front();
            walkType(*info);
        }
        return ok_;
    }

private:
    bool count(HResult hr) {
        if (hr != kOk) return false;
        ++ok_;
        return true;
    }

    void queue(const std::shared_ptr<const TypeInfo>& info) {
        TypeAttr attr;
        if (!count(info->typeAttr(attr))) return;
        std::shared_ptr<const TypeLib> home;
        unsigned index = 0;
        if (info->containingTypeLib(home, index) != kOk) home.reset(), index = 0;
        // Keyed by library, index and view: a dual's two views are two types to walk.
        const auto key = std::make_tuple(static_cast<const void*>(home.get()), index, static_cast<int>(attr.typekind),
                                         attr.guid, typeName(*info));
        if (seen_.insert(key).second) pending_.push_back(info);
    }

    void resolve(const TypeInfo& from, HRefType handle) {
        std::shared_ptr<const TypeInfo> target;
        if (count(from.refTypeInfo(handle, target)) && target) queue(target);
    }

    void walkDesc(const TypeInfo& from, const TypeDesc& td, int depth = 0) {
        if (depth > kMaxTypeDepth) return;
        switch (td.vt & 0x0FFF) {
            case VT_PTR:
            case VT_SAFEARRAY:
                if (td.pointee) walkDesc(from, *td.pointee, depth + 1);
                break;
            case VT_CARRAY:
                if (td.array) walkDesc(from, td.array->element, depth + 1);
                break;
            case VT_USERDEFINED: resolve(from, td.hreftype); break;
            default: break;
        }
    }

    void walkMember(const TypeInfo& info, MemberId memid) {
        std::vector<std::string> names;
        count(info.names(memid, kMaxNames, names));
        count(info.names(memid, 1, names));
        Documentation doc;
        count(info.documentation(memid, doc));
    }

    void walkType(const TypeInfo& info) {
        TypeAttr attr;
        if (!count(info.typeAttr(attr))) return;
        walkMember(info, kMemberIdNil);
        if (attr.typekind == TKIND_ALIAS) walkDesc(info, attr.tdescAlias);
        for (std::int32_t i = -1; i <= static_cast<std::int32_t>(attr.cImplTypes); ++i) {
            HRefType handle = 0;
            if (count(info.refTypeOfImplType(i, handle))) resolve(info, handle);
            std::int32_t flags = 0;
            if (i >= 0) count(info.implTypeFlags(static_cast<unsigned>(i), flags));
        }
        for (unsigned i = 0; i <= attr.cFuncs; ++i) {
            FuncDesc f;
            if (!count(info.funcDesc(i, f))) continue;
            walkDesc(info, f.elemdescFunc.tdesc);
            for (const ElemDesc& p : f.params) walkDesc(info, p.tdesc);
            walkMember(info, f.memid);
        }
        for (unsigned i = 0; i <= attr.cVars; ++i) {
            VarDesc v;
            if (!count(info.varDesc(i, v))) continue;
            walkDesc(info, v.elemdescVar.tdesc);
            walkMember(info, v.memid);
        }
        for (const HRefType stray : kStrayHandles) resolve(info, stray);
        std::shared_ptr<const TypeLib> home;
        unsigned index = 0;
        count(info.containingTypeLib(home, index));
    }

    const TypeLib& lib_;
    std::deque<std::shared_ptr<const TypeInfo>> pending_;
    std::set<std::tuple<const void*, unsigned, int, Guid, std::string>> seen_;
    std::size_t ok_ = 0;
};

// Generate-all pairs each catalogue entry with its own coclass, as the command line does.
class LibraryHost : public RequestHost {
public:
    LibraryHost(TypeLibLoader& loader, const ClassCatalogue& classes) : loader_(loader), classes_(classes) {}
    void setGenerateEnabled(bool) override {}
    std::vector<TypeEntry> selectClass(std::size_t index) override {
        const FoundClass found = FindClassOfEntry(loader_, classes_.at(index));
        return ListImplementedInterfaces(found.typeLibPath, found.coClass);
    }

private:
    TypeLibLoader& loader_;
    const ClassCatalogue& classes_;
};

class SilentUi : public UserInterface {
public:
    void appendLog(const std::string&) override {}
    void clearLog() override {}
    void messageBox(const std::string&, const std::string&, MessageIcon) override {}
    std::optional<std::string> browseForFolder(const std::string&, const std::string&) override { return std::nullopt; }
};

}  // namespace

std::size_t walkLibrary(const TypeLib& lib) {
    const std::string text = dumpTypeLib(lib);
    return Walker(lib).run() + (text.empty() ? 0 : 1);
}

RequestOutcome generateWholeLibrary(TypeLibLoader& loader, const std::string& path, FileSystem& files,
                                    const std::string& destination, const std::string& runtime) {
    RequestSnapshot snap;
    if (LoadClassesFromFile(loader, path, snap.classes) != kOk || snap.classes.empty()) return {};
    for (const ClassEntry& entry : snap.classes) snap.shownNames.push_back(entry.progId);
    snap.classIndex = 0;
    snap.settings = GeneratorSettings{"Wrapped", "org.example.wrapped", destination, runtime};
    snap.hiddenInterfaces = true;
    snap.generateAll = true;
    LibraryHost host(loader, snap.classes);
    EmptyRegistry registry;
    MemorySettingsStore settings;
    SilentUi ui;
    return runRequest(host, snap, Services{files, registry, loader, settings, ui});
}

bool makeRuntimeFolder(FileSystem& files, const std::string& folder) {
    if (!files.isFolder(folder) && !files.makeFolder(folder)) return false;
    for (const char* name : {kRuntimeJar, kRuntimeDll}) {
        auto file = files.openForWriting(folder + kPathSeparator + name);
        if (!file || !file->close()) return false;
    }
    return true;
}

}  // namespace tessivar::test
