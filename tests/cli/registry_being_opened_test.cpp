// A registry read on its own thread: calls wait for it, a failed open answers as an empty registry and
// keeps its message, and a file-mode command still reports a registry it cannot read.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "app/cli/class_source.h"
#include "app/cli/registry_being_opened.h"
#include "support/fakes.h"
#include "typelib/reader_test_support.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace tessivar::test {
namespace {

// A registry whose every key opens, to tell it from the empty one.
class OpensEverything : public EmptyRegistry {
public:
    RegStatus openKey(RegRoot, std::string_view, RegAccess, std::unique_ptr<RegKey>& out) override {
        out.reset();
        return kRegSuccess;
    }
};

TEST(RegistryBeingOpenedThread, CallsWaitForTheOpenAndGetTheOpenedRegistry) {
    std::atomic<bool> opened{false};
    RegistryBeingOpened registry([&](std::unique_ptr<Registry>& out) -> std::optional<std::string> {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        out = std::make_unique<OpensEverything>();
        opened = true;
        return std::nullopt;
    });
    std::unique_ptr<RegKey> key;
    EXPECT_EQ(registry.openKey(RegRoot::ClassesRoot, "CLSID", RegAccess::Read, key), kRegSuccess);
    EXPECT_TRUE(opened);
    EXPECT_EQ(registry.error(), std::nullopt);
}

TEST(RegistryBeingOpenedThread, AFailedOpenKeepsItsMessageAndAnswersAsAnEmptyRegistry) {
    RegistryBeingOpened failed([](std::unique_ptr<Registry>&) -> std::optional<std::string> {
        return "The registry cannot be read: line 3: no closing bracket.";
    });
    EXPECT_EQ(failed.error(), "The registry cannot be read: line 3: no closing bracket.");
    std::unique_ptr<RegKey> key;
    EXPECT_EQ(failed.openKey(RegRoot::ClassesRoot, "CLSID", RegAccess::Read, key), kRegFileNotFound);
    EXPECT_EQ(failed.localPath("C:\\windows\\system32\\stdole2.tlb"), "");

    RegistryBeingOpened threw([](std::unique_ptr<Registry>&) -> std::optional<std::string> {
        throw std::runtime_error("no memory left");
    });
    EXPECT_EQ(threw.error(), "The registry cannot be read: no memory left.");
    EXPECT_EQ(threw.expandEnvironment("%windir%"), "%windir%");
}

#ifndef _WIN32
// The library file loads while the registry is read, but a prefix whose registry is broken is still
// the error the command reports, as it was when the registry was read first.
TEST(RegistryBeingOpenedThread, FileModeStillReportsARegistryItCannotRead) {
    const auto prefix = std::filesystem::temp_directory_path() / ("tessivar-broken-prefix-" + std::to_string(::getpid()));
    std::filesystem::create_directories(prefix);
    std::ofstream(prefix / "system.reg") << "WINE REGISTRY Version 2\n\n[Software\\Classes\\CLSID\n";
    SourceOptions options;
    options.typeLib = testing::fixturePath("features64.tlb");
    options.winePrefix = prefix.string();
    ClassSource source;
    const std::optional<std::string> error = openClassSource(options, source);
    std::filesystem::remove_all(prefix);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->rfind("The registry cannot be read: ", 0), 0u) << *error;
}
#endif

}  // namespace
}  // namespace tessivar::test
