// Proxy and listener members kept for the class runs that meet a type again.
#include "emit/proxy_members.h"

#include <functional>
#include <map>
#include <tuple>
#include <utility>

#include "emit/member_collector.h"

namespace tessivar {
namespace {

class RecordingChanges {
public:
    RecordingChanges(TypeRecorder& run, RecordedChanges& into) : run_(run), before_(run.recordedChanges) {
        run.recordedChanges = &into;
    }
    ~RecordingChanges() { run_.recordedChanges = before_; }
    RecordingChanges(const RecordingChanges&) = delete;
    RecordingChanges& operator=(const RecordingChanges&) = delete;

private:
    TypeRecorder& run_;
    RecordedChanges* before_;
};

// Runs `fill` with the changes it makes to `run` recorded, and notes what the collection was made from.
std::shared_ptr<CollectedMembers> collectRecorded(TypeRecorder& run, const TypeAttr& attr,
                                                  const std::function<void(CollectedMembers&)>& fill) {
    auto collected = std::make_shared<CollectedMembers>();
    {
        RecordingChanges recording(run, collected->changes);
        fill(*collected);
    }
    collected->libName = run.currentLibName;
    collected->package = run.package;
    collected->attr = attr;
    return collected;
}

// Collects the members of proxy `type` into `run`.
std::shared_ptr<CollectedMembers> collect(TypeRecorder& run, const std::shared_ptr<const TypeInfo>& type,
                                          const TypeAttr& attr) {
    return collectRecorded(run, attr, [&](CollectedMembers& collected) {
        // Room for what most members take, made at once: a text grown by doubling leaves each smaller
        // block behind, and fresh memory costs a run more than the copying.
        collected.text.reserve((attr.cFuncs + 2u * attr.cVars) * 256u);
        UsedNames usedNames;
        forEachMember(run, type, attr, [&](const MemberInfo& member) {
            appendMemberText(collected.text, usedNames, member, &collected.nameChanges);
        });
    });
}

using MembersKey = std::tuple<const TypeLib*, unsigned, TypeKind>;

}  // namespace

using KeptMembers = std::map<MembersKey, std::shared_ptr<const CollectedMembers>>;

struct ProxyMembers {
    // The members of the proxies written so far in this request, by containing library, index and kind.
    // A type is kept from the second time it is met, so types met once (single-class requests, libraries
    // whose classes share nothing) cost no memory.
    KeptMembers kept;
    KeptMembers keptListeners;
};

namespace {

ProxyMembers& proxyMembers(EmitRun& run) {
    if (!run.proxyMembers) run.proxyMembers = std::make_shared<ProxyMembers>();
    return *run.proxyMembers;
}

// The members kept under `key` when they were collected as this run would collect them, with their
// changes made again; else those `collectNew` gives, kept from the second time the key is met.
std::shared_ptr<const CollectedMembers> keptOrCollected(
    EmitRun& run, KeptMembers& kept, const MembersKey& key, const std::shared_ptr<const TypeLib>& lib,
    const TypeAttr& attr, const std::function<std::shared_ptr<CollectedMembers>()>& collectNew) {
    const auto [known, firstTime] = kept.try_emplace(key, nullptr);
    auto& slot = known->second;
    if (slot && slot->collectedFrom(run, attr)) {
        run.replay(slot->changes);
        return slot;
    }
    std::shared_ptr<CollectedMembers> collected = collectNew();
    if (!firstTime) {
        collected->lib = lib;
        collected->text.shrink_to_fit();  // kept to the end of the request: without the room it grew with
        slot = collected;
    }
    return collected;
}

}  // namespace

std::shared_ptr<const CollectedMembers> membersOf(EmitRun& run, const TypeEntry& entry,
                                                  const std::shared_ptr<const TypeLib>& lib, unsigned index,
                                                  const TypeAttr& attr) {
    ProxyMembers& members = proxyMembers(run);
    const MembersKey key(lib.get(), index, attr.typekind);
    return keptOrCollected(run, members.kept, key, lib, attr,
                           [&] { return collect(run, entry.typeInfo, attr); });
}

std::shared_ptr<const CollectedMembers> listenerMembersOf(EmitRun& run,
                                                          const std::shared_ptr<const TypeLib>& lib, unsigned index,
                                                          const TypeAttr& attr,
                                                          const std::function<void(std::string& text, NameChanges& changes)>& collectText) {
    ProxyMembers& members = proxyMembers(run);
    return keptOrCollected(run, members.keptListeners, MembersKey(lib.get(), index, attr.typekind), lib, attr,
                           [&] {
                               return collectRecorded(run, attr,
                                                      [&](CollectedMembers& collected) { collectText(collected.text, collected.nameChanges); });
                           });
}

}  // namespace tessivar
