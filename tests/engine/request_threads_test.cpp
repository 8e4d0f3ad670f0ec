// A request on a worker thread while the front end goes on using its own state and the shared loader:
// the request works on its snapshot, the front end replaces its catalogue, selection and settings and
// looks up the selected class's interfaces through the same loader, as the dialog does on a selection.
// Run under ThreadSanitizer by the test command.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/request.h"
#include "support/fakes.h"
#include "support/library_exercise.h"
#include "tests/typelib/reader_test_support.h"
#include "typelib/class_lookups.h"

namespace tessivar::test {
namespace {

class LookupHost : public RequestHost {
public:
    LookupHost(TypeLibLoader& loader, const ClassCatalogue& classes) : loader_(loader), classes_(classes) {}
    void setGenerateEnabled(bool enabled) override { enabled_ = enabled; }
    std::vector<TypeEntry> selectClass(std::size_t index) override {
        const FoundClass found = FindClassOfEntry(loader_, classes_.at(index));
        return ListImplementedInterfaces(found.typeLibPath, found.coClass);
    }
    void classRunDone(std::size_t done, std::size_t) override { done_ = done; }

    std::atomic<bool> enabled_{true};
    std::atomic<std::size_t> done_{0};

private:
    TypeLibLoader& loader_;
    const ClassCatalogue& classes_;
};

TEST(RequestThreads, FrontEndChangesItsStateWhileARequestRuns) {
    const std::string library = testing::fixturePath("features64.tlb");
    const auto loader = testing::makeTestLoader();

    // The front end's state, from which each request takes its snapshot.
    RequestSnapshot frontEnd;
    ASSERT_EQ(LoadClassesFromFile(*loader, library, frontEnd.classes), kOk);
    ASSERT_GE(frontEnd.classes.size(), 2u);
    for (const ClassEntry& e : frontEnd.classes) frontEnd.shownNames.push_back(e.progId);
    frontEnd.classIndex = 0;
    frontEnd.settings = GeneratorSettings{"Widgets", "org.example.widgets", "/out", "/kovra"};
    frontEnd.generateAll = true;

    for (int request = 0; request < 3; ++request) {
        const RequestSnapshot snapshot = frontEnd;
        MemoryFileSystem files;
        ASSERT_TRUE(makeRuntimeFolder(files, "/kovra"));
        EmptyRegistry registry;
        MemorySettingsStore settings;
        settings.present = true;
        RecordingUi ui;
        LookupHost host(*loader, snapshot.classes);
        std::atomic<bool> finished{false};
        RequestOutcome outcome;
        std::thread worker([&] {
            outcome = runRequest(host, snapshot, Services{files, registry, *loader, settings, ui});
            finished = true;
        });

        // Meanwhile: the user picks other classes, edits the settings and reopens the library.
        int changes = 0;
        do {
            frontEnd.classIndex = (frontEnd.classIndex + 1) % static_cast<int>(frontEnd.shownNames.size());
            const ClassEntry& picked = frontEnd.classes[static_cast<std::size_t>(frontEnd.classIndex)];
            const FoundClass found = FindClass(*loader, picked.progId, frontEnd.classes);
            frontEnd.interfaces = ListImplementedInterfaces(found.typeLibPath, found.coClass);
            frontEnd.settings.package = "org.example.edit" + std::to_string(changes);
            frontEnd.settings.destDir = "/out" + std::to_string(changes % 3);
            if (changes % 5 == 0) {
                ClassCatalogue reopened;
                EXPECT_EQ(LoadClassesFromFile(*loader, library, reopened), kOk);
                frontEnd.classes = std::move(reopened);
            }
            ++changes;
        } while (!finished || changes < 20);
        worker.join();

        // The request ran over its own snapshot: every class of it, into the folder it was given.
        EXPECT_TRUE(outcome.error.empty()) << outcome.error;
        EXPECT_EQ(outcome.classRuns, static_cast<int>(snapshot.classes.size()));
        EXPECT_GE(outcome.completedRuns, 1);
        EXPECT_EQ(host.done_, snapshot.classes.size());
        EXPECT_TRUE(host.enabled_);
        EXPECT_TRUE(files.file(snapshot.settings.destDir + "/build.xml").has_value());
        EXPECT_EQ(settings.values["Package"], snapshot.settings.package);
    }
}

}  // namespace
}  // namespace tessivar::test
