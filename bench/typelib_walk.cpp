// Times loading a type library and walking every type, function, variable, name, doc string and
// user-defined reference through the type library seam of this build.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

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

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tessivar;
    using Clock = std::chrono::steady_clock;
    if (argc < 2) {
        std::fprintf(stderr, "usage: typelib_walk FILE [repetitions] [shared]\n");
        return 2;
    }
    const int repetitions = std::max(1, argc > 2 ? std::stoi(argv[2]) : 1);
    // "shared" keeps one loader for all runs, so later runs reuse the loaded library as the platform does
    // while a library stays referenced; otherwise every run loads the file anew.
    const bool shared = argc > 3 && std::string(argv[3]) == "shared";
    std::unique_ptr<TypeLibLoader> sharedLoader;
    std::vector<double> loads, walks, totals;
    Counts n;
    for (int r = 0; r < repetitions; ++r) {
        const auto start = Clock::now();
        if (!shared || !sharedLoader) sharedLoader = makePlatformTypeLibLoader(nullptr);
        std::shared_ptr<const TypeLib> lib;
        if (sharedLoader->load(argv[1], lib) != kOk || !lib) {
            std::fprintf(stderr, "cannot load %s\n", argv[1]);
            return 1;
        }
        const auto loaded = Clock::now();
        n = Counts{};
        walk(*lib, n);
        lib.reset();
        if (!shared) sharedLoader.reset();
        const auto end = Clock::now();
        loads.push_back(std::chrono::duration<double, std::milli>(loaded - start).count());
        walks.push_back(std::chrono::duration<double, std::milli>(end - loaded).count());
        totals.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::printf("types %lu funcs %lu vars %lu names %lu docs %lu refs %lu failures %lu\n", n.types, n.funcs, n.vars,
                n.names, n.docs, n.refs, n.failures);
    // One line a script can read: milliseconds of the first run, then medians over all runs.
    std::printf("first %.2f load %.2f walk %.2f median %.2f load %.2f walk %.2f best %.2f runs %d\n", totals[0],
                loads[0], walks[0], median(totals), median(loads), median(walks),
                *std::min_element(totals.begin(), totals.end()), repetitions);
    return 0;
}
