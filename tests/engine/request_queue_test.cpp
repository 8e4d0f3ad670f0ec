// Requests made on one thread and served on another, as the dialog program does it: the order they run in,
// the state each runs on while the front end changes its own, and when Generate is offered again.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "engine/request.h"
#include "engine/request_queue.h"
#include "base/guid_text.h"
#include "support/fakes.h"
#include "support/memory_typelib.h"

namespace tessivar::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

// A library of two classes: Widget (IWidget and its events _WidgetEvents) and Gadget (IGadget).
struct TwoClassLib {
    std::shared_ptr<MemoryTypeLib> lib = MemoryTypeLib::create("ToyLib", guidOf(1));
    unsigned iWidget = lib->addInterface("IWidget", guidOf(10), TKIND_DISPATCH, 0x1000);
    unsigned events = lib->addInterface("_WidgetEvents", guidOf(11), TKIND_DISPATCH, 0x1000);
    unsigned iGadget = lib->addInterface("IGadget", guidOf(12), TKIND_DISPATCH, 0x1000);
    unsigned widget = lib->addCoClass("Widget", guidOf(20));
    unsigned gadget = lib->addCoClass("Gadget", guidOf(21));

    TypeEntry entry(unsigned index, std::int32_t kind) const { return implementedEntry(lib, index, kind, "/lib/toy.tlb"); }
    std::vector<TypeEntry> interfacesOf(const std::string& name) const {
        if (name == "Widget")
            return {entry(iWidget, IMPLTYPEFLAG_FDEFAULT), entry(events, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)};
        return {entry(iGadget, IMPLTYPEFLAG_FDEFAULT)};
    }
};

// The front end's own state, changed on its thread only; a request gets a copy of it.
struct FrontEnd {
    std::shared_ptr<TwoClassLib> opened;
    RequestSnapshot state;

    // Replaces the catalogue by a freshly loaded library's classes, as opening a file does.
    void open() {
        opened = std::make_shared<TwoClassLib>();
        state.classes = {ClassEntry{"{LIB}", guidText(guidOf(20)), "Widget", "/lib/toy.tlb", opened->lib},
                         ClassEntry{"{LIB}", guidText(guidOf(21)), "Gadget", "/lib/toy.tlb", opened->lib}};
        state.shownNames = {"Gadget", "Widget"};
        select("Widget");
    }
    void select(const std::string& name) {
        state.classIndex = name == "Gadget" ? 0 : 1;
        state.interfaces = opened->interfacesOf(name);
    }
    void edit(GeneratorSettings settings) { state.settings = std::move(settings); }
    RequestSnapshot snapshot() const { return state; }
};

// A gate one thread waits at until another opens it.
class Gate {
public:
    void open() {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    void wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

struct Queued {
    int id = 0;
    RequestSnapshot snapshot;
};

// The serving side as the dialog program has it: a thread woken once per request made, serving every
// request that waits each time, over its own files, settings and log. What the requests did is read after
// stop().
class RequestWorker {
public:
    // `started` runs on the worker as each request starts.
    explicit RequestWorker(std::function<void(int id)> started = {}) : started_(std::move(started)) {
        files.folders.insert("/kovra");
        files.addFile("/kovra/kovra.jar");
        files.addFile("/kovra/kovra.dll");
        thread_ = std::thread([this] { loop(); });
    }
    ~RequestWorker() { stop(); }

    // On the front end's thread.
    void request(int id, RequestSnapshot snapshot) {
        if (queue_.push(Queued{id, std::move(snapshot)})) wake();
    }
    void stop() {
        if (!thread_.joinable()) return;
        queue_.close();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            quit_ = true;
        }
        woken_.notify_one();
        thread_.join();
    }
    int served() const { return served_.load(); }

    MemoryFileSystem files;
    MemorySettingsStore settings;
    std::vector<std::string> order;                      // the ids of the requests as they ran
    std::vector<std::string> generate;                   // "id on" / "id off", as the front end was told
    std::map<int, std::vector<std::string>> logs;        // each request's log

private:
    class Host : public RequestHost {
    public:
        Host(RequestWorker& worker, int id) : worker_(worker), id_(id) {}
        void setGenerateEnabled(bool enabled) override {
            worker_.generate.push_back(std::to_string(id_) + (enabled ? " on" : " off"));
        }
        bool requestsWaiting() override { return worker_.queue_.waiting() > 0; }
        std::vector<TypeEntry> selectClass(std::size_t) override { return {}; }

    private:
        RequestWorker& worker_;
        int id_;
    };

    void wake() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++posted_;
        }
        woken_.notify_one();
    }
    void loop() {
        while (true) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                woken_.wait(lock, [this] { return quit_ || posted_ > 0; });
                if (quit_) return;
                --posted_;
            }
            queue_.serveWaiting([this](Queued& request) { serve(request); });
        }
    }
    void serve(const Queued& request) {
        order.push_back(std::to_string(request.id));
        if (started_) started_(request.id);
        Host host(*this, request.id);
        EmptyRegistry registry;
        MemoryLoader loader;
        RecordingUi ui;
        runRequest(host, request.snapshot, Services{files, registry, loader, settings, ui});
        logs[request.id] = ui.log;
        ++served_;
    }

    std::function<void(int)> started_;
    RequestQueue<Queued> queue_;
    std::mutex mutex_;
    std::condition_variable woken_;
    int posted_ = 0;
    bool quit_ = false;
    std::atomic<int> served_{0};
    std::thread thread_;
};

// What a Widget run and a Gadget run write under a destination, with the package's folder.
std::vector<std::string> widgetFiles(const std::string& packageFolder) {
    const std::string sources = "src/" + packageFolder + "/ToyLib/";
    return {"build.xml", sources + "IWidget.java", sources + "Widget.java", sources + "_WidgetEvents.java"};
}
std::vector<std::string> gadgetFiles(const std::string& packageFolder) {
    const std::string sources = "src/" + packageFolder + "/ToyLib/";
    return {"build.xml", sources + "Gadget.java", sources + "IGadget.java"};
}

// The files written under `folder`, as paths below it.
std::vector<std::string> writtenUnder(const MemoryFileSystem& files, const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& [path, bytes] : files.files)
        if (path.rfind(folder + "/", 0) == 0) found.push_back(path.substr(folder.size() + 1));
    return found;
}

TEST(RequestQueueThreads, TwoRequestsBackToBackRunInOrderEachOnItsOwnSnapshot) {
    FrontEnd front;
    front.open();
    front.edit(GeneratorSettings{"WidgetJar", "com.one", "/out1", "/kovra"});
    Gate secondQueued;
    RequestWorker worker([&](int id) {
        if (id == 1) secondQueued.wait();
    });

    worker.request(1, front.snapshot());
    front.select("Gadget");
    front.edit(GeneratorSettings{"GadgetJar", "org.two", "/out2", "/kovra"});
    worker.request(2, front.snapshot());
    secondQueued.open();
    while (worker.served() < 2) std::this_thread::yield();
    worker.stop();

    EXPECT_THAT(worker.order, ElementsAre("1", "2"));
    // Generate is offered again once, after the last request, not in between.
    EXPECT_THAT(worker.generate, ElementsAre("1 off", "2 off", "2 on"));
    EXPECT_EQ(writtenUnder(worker.files, "/out1"), widgetFiles("com/one"));
    EXPECT_EQ(writtenUnder(worker.files, "/out2"), gadgetFiles("org/two"));
    EXPECT_THAT(*worker.files.file("/out1/build.xml"), HasSubstr("WidgetJar"));
    EXPECT_THAT(*worker.files.file("/out2/build.xml"), HasSubstr("GadgetJar"));
    // Each log is its own request's; the settings stored last are the second request's.
    EXPECT_THAT(worker.logs[1], Not(::testing::Contains(HasSubstr("Gadget"))));
    EXPECT_THAT(worker.logs[2], Not(::testing::Contains(HasSubstr("Widget"))));
    EXPECT_EQ(worker.settings.values["JarModule"], "GadgetJar");
    EXPECT_EQ(worker.settings.values["Dest"], "/out2");
}

TEST(RequestQueueThreads, FrontEndChangingItsSelectionWhileARequestRunsDoesNotReachIt) {
    FrontEnd front;
    front.open();
    front.edit(GeneratorSettings{"WidgetJar", "com.one", "/out1", "/kovra"});
    Gate running;
    RequestWorker worker([&](int id) {
        if (id == 1) running.open();
    });

    worker.request(1, front.snapshot());
    running.wait();
    // While request 1 runs, the front end reopens its library, selects the other class and edits the
    // settings, over and over, without any handshake with the worker.
    int changes = 0;
    do {
        front.open();
        front.select(changes % 2 ? "Widget" : "Gadget");
        front.edit(GeneratorSettings{"Jar" + std::to_string(changes), "org.two", "/out2", "/kovra"});
        ++changes;
    } while (worker.served() < 1);
    front.select("Gadget");
    worker.request(2, front.snapshot());
    while (worker.served() < 2) std::this_thread::yield();
    worker.stop();

    EXPECT_THAT(worker.generate, ElementsAre("1 off", "1 on", "2 off", "2 on"));
    EXPECT_EQ(writtenUnder(worker.files, "/out1"), widgetFiles("com/one"));
    EXPECT_THAT(*worker.files.file("/out1/build.xml"), HasSubstr("WidgetJar"));
    // The request made after the changes runs on them.
    EXPECT_EQ(writtenUnder(worker.files, "/out2"), gadgetFiles("org/two"));
    EXPECT_THAT(*worker.files.file("/out2/build.xml"), HasSubstr("Jar" + std::to_string(changes - 1)));
}

TEST(RequestQueueThreads, RequestsMadeWhileOthersRunAllRunInTurnOnTheirOwnSnapshots) {
    // No handshake at all: requests are made while earlier ones run, the worker checks for waiting ones as
    // each ends.
    FrontEnd front;
    front.open();
    RequestWorker worker;
    constexpr int kRequests = 12;
    std::vector<std::string> made;
    for (int id = 1; id <= kRequests; ++id) {
        const std::string n = std::to_string(id);
        front.select(id % 2 ? "Widget" : "Gadget");
        front.edit(GeneratorSettings{"Jar" + n, "p" + n, "/out" + n, "/kovra"});
        worker.request(id, front.snapshot());
        made.push_back(n);
        std::this_thread::sleep_for(std::chrono::microseconds(300 * (id % 4)));  // some while one runs
    }
    while (worker.served() < kRequests) std::this_thread::yield();
    worker.stop();

    EXPECT_EQ(worker.order, made);
    for (int id = 1; id <= kRequests; ++id) {
        const std::string n = std::to_string(id);
        EXPECT_EQ(writtenUnder(worker.files, "/out" + n), id % 2 ? widgetFiles("p" + n) : gadgetFiles("p" + n));
        EXPECT_THAT(*worker.files.file("/out" + n + "/build.xml"), HasSubstr("name=\"Jar" + n + "\""));
    }
    EXPECT_EQ(worker.generate.back(), std::to_string(kRequests) + " on");
}

TEST(RequestQueue, ClosingDropsTheWaitingRequestsAndRefusesLaterOnes) {
    RequestQueue<int> queue;
    EXPECT_TRUE(queue.push(1));
    EXPECT_TRUE(queue.push(2));
    EXPECT_TRUE(queue.push(3));
    EXPECT_EQ(queue.take(), 1);  // under way: closing does not touch it
    EXPECT_EQ(queue.close(), 2u);
    EXPECT_FALSE(queue.push(4));
    EXPECT_EQ(queue.waiting(), 0u);
    EXPECT_EQ(queue.serveWaiting([](int) {}), 0u);
}

TEST(RequestQueue, ServingTakesRequestsMadeMeanwhileInTheirTurn) {
    RequestQueue<int> queue;
    queue.push(1);
    std::vector<int> served;
    EXPECT_EQ(queue.serveWaiting([&](int id) {
                  served.push_back(id);
                  if (id == 1) {
                      queue.push(2);
                      queue.push(3);
                  }
              }),
              3u);
    EXPECT_THAT(served, ElementsAre(1, 2, 3));
}

}  // namespace
}  // namespace tessivar::test
