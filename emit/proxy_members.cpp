// Proxy and listener members kept for the class runs that meet a type again, and proxy members collected
// ahead on a second thread.
#include "emit/proxy_members.h"

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>
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
        appendMembersText(collected.text, collected.usedNames, collectMembers(run, type, attr), &collected.nameChanges);
    });
}

using MembersKey = std::tuple<const TypeLib*, unsigned, TypeKind>;

// The worker that collects members ahead of a generate-all request: every proxy of each library the
// request writes from, from the library's last type back, while the class runs go on. A proxy a run
// reaches before the worker does is collected by the run; one the worker is collecting is waited for; a
// failed collection is left to the run, which then fails the way it always did.
class MembersAhead {
public:
    explicit MembersAhead(const TypeRecorder& run) {
        run_.package = run.package;
        run_.hiddenSwitch = run.hiddenSwitch;
        run_.excludedNames = run.excludedNames;
        thread_ = std::thread([this] { work(); });
    }
    ~MembersAhead() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    MembersAhead(const MembersAhead&) = delete;
    MembersAhead& operator=(const MembersAhead&) = delete;

    // Queues the proxies of `lib` (read here, on the caller's thread).
    void add(const std::shared_ptr<const TypeLib>& lib) {
        std::vector<std::shared_ptr<Job>> found;
        for (unsigned i = lib->typeInfoCount(); i-- > 0;) {
            auto job = std::make_shared<Job>();
            TypeAttr attr;
            if (lib->typeInfo(i, job->type) != kOk || !job->type || job->type->typeAttr(attr) != kOk) continue;
            if (!writesProxy(attr)) continue;
            job->lib = lib;
            job->key = MembersKey(lib.get(), i, attr.typekind);
            found.push_back(std::move(job));
        }
        {
            std::lock_guard lock(mutex_);
            for (auto& job : found)
                if (byKey_.try_emplace(job->key, job).second) queue_.push_back(std::move(job));
        }
        changed_.notify_all();
    }

    // Puts the proxies a pass is about to write first, the last of them first, so the worker and the
    // pass start at opposite ends; keys of proxies not queued are passed over.
    void prefer(const std::vector<MembersKey>& keys) {
        bool any = false;
        {
            std::lock_guard lock(mutex_);
            preferred_.clear();
            for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
                const auto found = byKey_.find(*key);
                if (found != byKey_.end() && found->second->state == State::Open) preferred_.push_back(found->second);
            }
            nextPreferred_ = 0;
            any = !preferred_.empty() && workerIdle_;
        }
        if (any) changed_.notify_all();
    }

    // The members collected for `key`, waiting while they are being collected; null when the caller is
    // to collect them itself.
    std::shared_ptr<CollectedMembers> take(const MembersKey& key) {
        std::unique_lock lock(mutex_);
        const auto found = byKey_.find(key);
        if (found == byKey_.end()) return nullptr;
        const std::shared_ptr<Job> job = found->second;
        byKey_.erase(found);
        if (job->state == State::Open) {
            job->state = State::Taken;
            return nullptr;
        }
        ++takersWaiting_;
        changed_.wait(lock, [&] { return job->state == State::Done; });
        --takersWaiting_;
        job->state = State::Taken;
        if (job->result) {
            const bool wasFull = waitingBytes_ >= kMostWaitingBytes;
            waitingBytes_ -= job->result->text.size();
            if (wasFull && waitingBytes_ < kMostWaitingBytes && workerIdle_) {
                lock.unlock();
                changed_.notify_all();
            }
        }
        return std::move(job->result);
    }

private:
    enum class State { Open, Collecting, Done, Taken };
    struct Job {
        std::shared_ptr<const TypeLib> lib;
        std::shared_ptr<const TypeInfo> type;
        MembersKey key;
        State state = State::Open;
        std::shared_ptr<CollectedMembers> result;  // null when collecting failed
    };

    void work() {
        while (true) {
            std::shared_ptr<Job> job;
            {
                std::unique_lock lock(mutex_);
                workerIdle_ = true;
                changed_.wait(lock, [&] { return stop_ || (job = nextOpenJob()); });
                workerIdle_ = false;
                if (stop_) return;
                job->state = State::Collecting;
            }
            std::shared_ptr<CollectedMembers> result = collectAhead(*job);
            bool wake = false;
            {
                std::lock_guard lock(mutex_);
                if (result) waitingBytes_ += result->text.size();
                job->result = std::move(result);
                job->state = State::Done;
                wake = takersWaiting_ > 0;
            }
            if (wake) changed_.notify_all();
        }
    }

    // The next job to collect, preferred ones first; null when none is left, or when the members waiting
    // to be taken are as much as may wait.
    std::shared_ptr<Job> nextOpenJob() {
        for (; nextPreferred_ < preferred_.size(); ++nextPreferred_)
            if (preferred_[nextPreferred_]->state == State::Open) return preferred_[nextPreferred_++];
        if (waitingBytes_ >= kMostWaitingBytes) return nullptr;
        for (; next_ < queue_.size(); ++next_)
            if (queue_[next_]->state == State::Open) return queue_[next_++];
        return nullptr;
    }

    std::shared_ptr<CollectedMembers> collectAhead(const Job& job) {
        try {
            TypeAttr attr;
            if (job.type->typeAttr(attr) != kOk) return nullptr;
            run_.currentLibName = libraryName(*job.lib);
            run_.referencedTypes.clear();
            run_.referencedLibs.clear();
            run_.coClasses.clear();
            return collect(run_, job.type, attr);
        } catch (...) {
            return nullptr;
        }
    }

    // How much member text collected ahead may wait to be taken: how far the worker runs ahead of the
    // class runs, and so the memory it holds (about three times the text).
    static constexpr std::size_t kMostWaitingBytes = 2 << 20;

    TypeRecorder run_;  // the worker's own
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::shared_ptr<Job>> queue_;  // in the order the worker collects
    std::vector<std::shared_ptr<Job>> preferred_;
    std::size_t nextPreferred_ = 0;
    std::map<MembersKey, std::shared_ptr<Job>> byKey_;
    std::size_t next_ = 0;
    std::size_t waitingBytes_ = 0;  // text of the members collected and not taken
    // Who may be waiting, so that a change wakes someone only when someone waits.
    bool workerIdle_ = false;
    int takersWaiting_ = 0;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace

using KeptMembers = std::map<MembersKey, std::shared_ptr<const CollectedMembers>>;

struct ProxyMembers {
    // The members of the proxies written so far in this request, by containing library, index and kind.
    // A type is kept from the second time it is met, so types met once (single-class requests, libraries
    // whose classes share nothing) cost no memory. Generate-all keeps types from the first time while
    // their text stays within a budget: a large library's classes meet most of its types again.
    KeptMembers kept;
    KeptMembers keptListeners;  // kept from the second time only
    static constexpr std::size_t kKeepFirstBytes = 4 << 20;
    std::size_t keptFirstBytes = 0;
    std::unique_ptr<MembersAhead> ahead;
    bool noSecondThread = false;  // none could be started: the runs collect everything themselves
    std::set<const TypeLib*> queuedLibs;
};

namespace {

ProxyMembers& proxyMembers(WrapperGenerator& generator) {
    if (!generator.proxyMembers) generator.proxyMembers = std::make_shared<ProxyMembers>();
    return *generator.proxyMembers;
}

// The members kept under `key` when they were collected as this run would collect them, with their
// changes made again; else those `collectNew` gives, kept from the second time the key is met (from the
// first while `keptFirstBytes` stays within the budget, when it is given).
std::shared_ptr<const CollectedMembers> keptOrCollected(
    WrapperGenerator& generator, KeptMembers& kept, const MembersKey& key, const std::shared_ptr<const TypeLib>& lib,
    const TypeAttr& attr, std::size_t* keptFirstBytes,
    const std::function<std::shared_ptr<CollectedMembers>()>& collectNew) {
    const auto [known, firstTime] = kept.try_emplace(key, nullptr);
    auto& slot = known->second;
    if (slot && slot->collectedFrom(generator, attr)) {
        generator.replay(slot->changes);
        return slot;
    }
    std::shared_ptr<CollectedMembers> collected = collectNew();
    if (!firstTime || (keptFirstBytes && *keptFirstBytes < ProxyMembers::kKeepFirstBytes)) {
        if (firstTime) *keptFirstBytes += collected->text.size();
        collected->lib = lib;
        slot = collected;
    }
    return collected;
}

}  // namespace

std::shared_ptr<const CollectedMembers> membersOf(WrapperGenerator& generator, const TypeEntry& entry,
                                                  const std::shared_ptr<const TypeLib>& lib, unsigned index,
                                                  const TypeAttr& attr) {
    ProxyMembers& members = proxyMembers(generator);
    const MembersKey key(lib.get(), index, attr.typekind);
    return keptOrCollected(generator, members.kept, key, lib, attr, members.ahead ? &members.keptFirstBytes : nullptr,
                           [&] {
                               std::shared_ptr<CollectedMembers> ahead;
                               if (members.ahead) ahead = members.ahead->take(key);
                               if (!ahead || !ahead->collectedFrom(generator, attr))
                                   return collect(generator, entry.typeInfo, attr);
                               generator.replay(ahead->changes);
                               return ahead;
                           });
}

std::shared_ptr<const CollectedMembers> listenerMembersOf(WrapperGenerator& generator,
                                                          const std::shared_ptr<const TypeLib>& lib, unsigned index,
                                                          const TypeAttr& attr,
                                                          const std::function<void(std::string& text, NameChanges& changes)>& collectText) {
    ProxyMembers& members = proxyMembers(generator);
    return keptOrCollected(generator, members.keptListeners, MembersKey(lib.get(), index, attr.typekind), lib, attr,
                           nullptr, [&] {
                               return collectRecorded(generator, attr,
                                                      [&](CollectedMembers& collected) { collectText(collected.text, collected.nameChanges); });
                           });
}

void planProxyMembers(WrapperGenerator& generator) {
    if (!generator.manyClassRuns || !generator.services.loader.readsConcurrently()) return;
    ProxyMembers& members = proxyMembers(generator);
    std::vector<MembersKey> keys;
    for (const TypeEntry& entry : generator.interfaceList) {
        std::shared_ptr<const TypeLib> lib;
        unsigned index = 0;
        TypeAttr attr;
        if (!entry.typeInfo || entry.typeInfo->containingTypeLib(lib, index) != kOk || !lib) continue;
        if (members.queuedLibs.insert(lib.get()).second) {
            if (!members.ahead && !members.noSecondThread) {
                try {
                    members.ahead = std::make_unique<MembersAhead>(generator);
                } catch (const std::system_error&) {
                    members.noSecondThread = true;
                }
            }
            if (members.ahead) members.ahead->add(lib);
        }
        if (!generator.doneInterfaces.count(entry) && entry.typeInfo->typeAttr(attr) == kOk && writesProxy(attr))
            keys.emplace_back(lib.get(), index, attr.typekind);
    }
    if (members.ahead) members.ahead->prefer(keys);
}

}  // namespace tessivar
