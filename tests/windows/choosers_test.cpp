// The destination and runtime-folder choosers: what is made current before browsing and what a choice stores.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/windows/settings_choosers.h"
#include "support/fakes.h"

namespace tessivar::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Answers browses in turn and records the title and the current directory each one opened at.
struct ScriptedBrowser {
    MemoryFileSystem& files;
    std::vector<std::optional<std::string>> answers;
    std::vector<std::string> opened = {};

    FolderBrowse browse() {
        return [this](const std::string& title) {
            opened.push_back(title + " @ " + files.currentDirectory());
            auto answer = answers.empty() ? std::nullopt : answers.front();
            if (!answers.empty()) answers.erase(answers.begin());
            return answer;
        };
    }
};

TEST(ChooseDestination, EmptyFieldTakesTheStoredDestEvenOnCancelAndOpensAtTheCurrentDirectory) {
    MemoryFileSystem files;
    MemorySettingsStore store;
    ScriptedBrowser browser{files, {std::nullopt}};
    std::string dest;
    chooseDestination(store, files, browser.browse(), dest);  // no key: nothing to take, nothing made
    EXPECT_EQ(dest, "");
    EXPECT_FALSE(store.present);

    store.present = true;
    store.values["Dest"] = "C:\\stored";
    browser.answers = {std::nullopt};
    chooseDestination(store, files, browser.browse(), dest);
    EXPECT_EQ(dest, "C:\\stored");
    EXPECT_THAT(browser.opened, ElementsAre("Choose Destination Directory. @ /work", "Choose Destination Directory. @ /work"));
    EXPECT_THAT(store.writes, IsEmpty());
}

TEST(ChooseDestination, ChosenFolderBecomesFieldCurrentDirectoryAndStoredDestCreatingTheKey) {
    MemoryFileSystem files;
    files.folders.insert("/old");
    files.folders.insert("/new");
    MemorySettingsStore store;
    ScriptedBrowser browser{files, {std::string("/new")}};
    std::string dest = "/old";
    chooseDestination(store, files, browser.browse(), dest);
    EXPECT_THAT(browser.opened, ElementsAre("Choose Destination Directory. @ /old"));
    EXPECT_EQ(dest, "/new");
    EXPECT_EQ(files.cwd, "/new");
    EXPECT_TRUE(store.present);
    EXPECT_THAT(store.writes, ElementsAre("Dest=/new"));
}

TEST(ChooseRuntimeFolder, StoredPathReplacesTheFieldAndIsMadeCurrentEvenWhenCancelled) {
    MemoryFileSystem files;
    files.folders.insert("/kovra-old");
    MemorySettingsStore store;
    store.present = true;
    store.values["Path"] = "/kovra-old";
    ScriptedBrowser browser{files, {std::nullopt}};
    std::string sdk = "/typed";
    chooseRuntimeFolder(store, files, browser.browse(), sdk);
    EXPECT_EQ(sdk, "/kovra-old");
    EXPECT_THAT(browser.opened, ElementsAre("Choose Kovra Directory. @ /kovra-old"));
    EXPECT_THAT(store.writes, IsEmpty());
}

TEST(ChooseRuntimeFolder, FolderIsStoredOnlyWhenItHoldsBothRuntimeFiles) {
    MemoryFileSystem files;
    files.folders.insert("/half");
    files.addFile("/half/kovra.jar");
    files.folders.insert("/full");
    files.addFile("/full/kovra.jar");
    files.addFile("/full/kovra.dll");
    MemorySettingsStore store;
    ScriptedBrowser browser{files, {std::string("/half"), std::string("/full")}};
    std::string sdk;
    chooseRuntimeFolder(store, files, browser.browse(), sdk);
    EXPECT_EQ(sdk, "/half");  // shown, not stored, no key made
    EXPECT_FALSE(store.present);
    EXPECT_EQ(files.cwd, "/work");  // an empty field makes nothing current

    chooseRuntimeFolder(store, files, browser.browse(), sdk);
    EXPECT_EQ(sdk, "/full");
    EXPECT_EQ(files.cwd, "/half");  // the previous runtime folder, not the chosen one
    EXPECT_THAT(store.writes, ElementsAre("Path=/full"));
}

}  // namespace
}  // namespace tessivar::test
