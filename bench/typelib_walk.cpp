// Times loading a type library and walking every type, function, variable, name, doc string and
// user-defined reference through the type library seam of this build.
#include <chrono>
#include <cstdio>
#include <string>

#include "typelib/platform_loader.h"

namespace tessivar {
namespace {

struct Counts {
    unsigned long types = 0, funcs = 0, vars = 0, names = 0, docs = 0, refs = 0, failures = 0;
};

void resolveRefs(const TypeInfo& from, const TypeDesc& td, Counts& n) {
    if (td.pointee) resolveRefs(from, *td.pointee, n);
    if (td.array) resolveRefs(from, td.array->element, n);
    if (td.vt != VT_USERDEFINED) return;
    std::shared_ptr<const TypeInfo> target;
    if (from.refTypeInfo(td.hreftype, target) != kOk || !target) {
        ++n.failures;
        return;
    }
    ++n.refs;
    if (!typeName(*target).empty()) ++n.names;
}

void member(const TypeInfo& info, MemberId memid, Counts& n) {
    std::vector<std::string> names;
    if (info.names(memid, 64, names) == kOk) n.names += names.size();
    Documentation doc;
    if (info.documentation(memid, doc) == kOk && doc.docString) ++n.docs;
}

void walk(const TypeLib& lib, Counts& n) {
    for (unsigned i = 0; i < lib.typeInfoCount(); ++i) {
        std::shared_ptr<const TypeInfo> info;
        TypeAttr attr;
        if (lib.typeInfo(i, info) != kOk || !info || info->typeAttr(attr) != kOk) {
            ++n.failures;
            continue;
        }
        ++n.types;
        member(*info, kMemberIdNil, n);
        if (attr.typekind == TKIND_ALIAS) resolveRefs(*info, attr.tdescAlias, n);
        for (unsigned k = 0; k < attr.cImplTypes; ++k) {
            HRefType href = 0;
            std::shared_ptr<const TypeInfo> target;
            if (info->refTypeOfImplType(static_cast<std::int32_t>(k), href) == kOk && info->refTypeInfo(href, target) == kOk)
                ++n.refs;
            else
                ++n.failures;
        }
        for (unsigned f = 0; f < attr.cFuncs; ++f) {
            FuncDesc fd;
            if (info->funcDesc(f, fd) != kOk) {
                ++n.failures;
                continue;
            }
            ++n.funcs;
            resolveRefs(*info, fd.elemdescFunc.tdesc, n);
            for (const ElemDesc& p : fd.params) resolveRefs(*info, p.tdesc, n);
            member(*info, fd.memid, n);
        }
        for (unsigned v = 0; v < attr.cVars; ++v) {
            VarDesc vd;
            if (info->varDesc(v, vd) != kOk) {
                ++n.failures;
                continue;
            }
            ++n.vars;
            resolveRefs(*info, vd.elemdescVar.tdesc, n);
            member(*info, vd.memid, n);
        }
    }
}

}  // namespace
}  // namespace tessivar

int main(int argc, char** argv) {
    using namespace tessivar;
    if (argc < 2) {
        std::fprintf(stderr, "usage: typelib_walk FILE [repetitions] [shared]\n");
        return 2;
    }
    const int repetitions = argc > 2 ? std::stoi(argv[2]) : 1;
    // "shared" keeps one loader for all runs, so later runs reuse the loaded library as the platform does.
    const bool shared = argc > 3 && std::string(argv[3]) == "shared";
    std::unique_ptr<TypeLibLoader> sharedLoader;
    double best = 0, first = 0;
    Counts n;
    for (int r = 0; r < repetitions; ++r) {
        const auto start = std::chrono::steady_clock::now();
        if (!shared || !sharedLoader) sharedLoader = makePlatformTypeLibLoader(nullptr);
        TypeLibLoader* loader = sharedLoader.get();
        std::shared_ptr<const TypeLib> lib;
        if (loader->load(argv[1], lib) != kOk || !lib) {
            std::fprintf(stderr, "cannot load %s\n", argv[1]);
            return 1;
        }
        n = Counts{};
        walk(*lib, n);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (r == 0) first = ms;
        if (r == 0 || ms < best) best = ms;
    }
    std::printf("types %lu funcs %lu vars %lu names %lu docs %lu refs %lu failures %lu\n", n.types, n.funcs, n.vars,
                n.names, n.docs, n.refs, n.failures);
    // The platform keeps a loaded library for the process, so only the first run includes its load.
    std::printf("first run %.1f ms, best of %d: %.1f ms\n", first, repetitions, best);
    return 0;
}
