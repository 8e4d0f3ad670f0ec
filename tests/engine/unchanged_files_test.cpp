// Rewrites left alone: which rewrites reach the disk, what is on disk afterwards, failures, and a
// generate-all whose files and log are the same with and without leaving rewrites alone.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "engine/request.h"
#include "engine/unchanged_files.h"
#include "support/fakes.h"
#include "tests/typelib/reader_test_support.h"
#include "typelib/class_lookups.h"

namespace tessivar::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Forwards to a MemoryFileSystem and records the files opened on it.
class OpenRecorder : public MemoryFileSystem {
public:
    std::unique_ptr<OutputFile> openForWriting(const std::string& path) override {
        opened.push_back(slashed(path));
        return MemoryFileSystem::openForWriting(path);
    }
    std::vector<std::string> opened;
};

bool writeFile(FileSystem& files, const std::string& path, const std::string& bytes) {
    auto file = files.openForWriting(path);
    if (!file) return false;
    const bool written = file->write(bytes.substr(0, 3)) && file->write(bytes.substr(std::min<std::size_t>(3, bytes.size())));
    return file->close() && written;
}

struct UnchangedFilesTest : ::testing::Test {
    UnchangedFilesTest() { disk.folders.insert("/out"); }
    OpenRecorder disk;
    UnchangedFileSkipper files{disk};
};

TEST_F(UnchangedFilesTest, OnlyRewritesWithOtherBytesThanTheLastWriteReachTheDisk) {
    EXPECT_TRUE(writeFile(files, "/out/A.java", "first text"));
    EXPECT_TRUE(writeFile(files, "/out/A.java", "first text"));
    EXPECT_TRUE(writeFile(files, "/out/B.java", "first text"));
    EXPECT_TRUE(writeFile(files, "/out/A.java", "second"));
    EXPECT_TRUE(writeFile(files, "/out/A.java", "first text"));
    EXPECT_TRUE(writeFile(files, "/out/A.java", ""));
    EXPECT_TRUE(writeFile(files, "/out/A.java", ""));
    EXPECT_THAT(disk.opened, ElementsAre("/out/A.java", "/out/B.java", "/out/A.java", "/out/A.java", "/out/A.java"));
    EXPECT_EQ(*disk.file("/out/A.java"), "");
    EXPECT_EQ(*disk.file("/out/B.java"), "first text");
    EXPECT_EQ(files.filesWritten(), 5);
    EXPECT_EQ(files.filesLeftAlone(), 2);
}

TEST_F(UnchangedFilesTest, OtherSpellingsOfAPathAreWrittenAndForgetTheFirst) {
    // On a case-blind file system these are one file: each spelling's write replaces the other's bytes.
    ASSERT_TRUE(writeFile(files, "/out/A.java", "x"));
    ASSERT_TRUE(writeFile(files, "/out/a.java", "x"));
    ASSERT_TRUE(writeFile(files, "/out/A.java", "x"));
    ASSERT_TRUE(writeFile(files, "/out\\A.java", "x"));
    // A name the key cannot fold safely may be any known file.
    ASSERT_TRUE(writeFile(files, "/out/B.java", "y"));
    ASSERT_TRUE(writeFile(files, "/out/\xC3\x84.java", "z"));
    ASSERT_TRUE(writeFile(files, "/out/B.java", "y"));
    ASSERT_TRUE(writeFile(files, "/out/BB~1.java", "z"));
    ASSERT_TRUE(writeFile(files, "/out/B.java", "y"));
    EXPECT_EQ(files.filesLeftAlone(), 0);
    EXPECT_EQ(disk.opened.size(), 9u);
}

TEST_F(UnchangedFilesTest, FailedWritesAreNeverTakenForTheBytesOnDisk) {
    EXPECT_FALSE(files.openForWriting("/missing/A.java"));

    disk.failWrites.insert("/out/A.java");
    EXPECT_FALSE(writeFile(files, "/out/A.java", "x"));
    EXPECT_FALSE(writeFile(files, "/out/A.java", "x"));
    disk.failWrites.clear();
    EXPECT_TRUE(writeFile(files, "/out/A.java", "x"));
    EXPECT_THAT(disk.opened, ElementsAre("/missing/A.java", "/out/A.java", "/out/A.java", "/out/A.java"));

    // A rewrite with new bytes that can no longer be written fails, and is not remembered either.
    disk.failWrites.insert("/out/A.java");
    EXPECT_FALSE(writeFile(files, "/out/A.java", "y"));
    disk.failWrites.clear();
    EXPECT_TRUE(writeFile(files, "/out/A.java", "x"));
    EXPECT_EQ(*disk.file("/out/A.java"), "x");
    EXPECT_EQ(files.filesLeftAlone(), 0);
}

TEST_F(UnchangedFilesTest, AFileLeftUnclosedIsClosedLikeAnyOther) {
    ASSERT_TRUE(writeFile(files, "/out/A.java", "x"));
    {
        auto rewrite = files.openForWriting("/out/A.java");
        ASSERT_TRUE(rewrite && rewrite->write("changed"));
    }
    EXPECT_EQ(*disk.file("/out/A.java"), "changed");
    EXPECT_TRUE(writeFile(files, "/out/A.java", "changed"));
    EXPECT_EQ(files.filesLeftAlone(), 1);
}

TEST_F(UnchangedFilesTest, FoldersFoundOrMadeAreAskedForOnceFoldersMissingEveryTime) {
    struct FolderAsker : MemoryFileSystem {
        bool isFolder(const std::string& path) override {
            asked.push_back(path);
            return MemoryFileSystem::isFolder(path);
        }
        std::vector<std::string> asked;
    } disk;
    disk.folders.insert("/out");
    UnchangedFileSkipper files(disk);
    EXPECT_TRUE(files.isFolder("/out"));
    EXPECT_TRUE(files.isFolder("/out"));
    EXPECT_THAT(disk.asked, ElementsAre("/out"));
    EXPECT_FALSE(files.isFolder("/out/src"));
    EXPECT_FALSE(files.isFolder("/out/src"));
    disk.folders.insert("/out/src");  // made by someone else meanwhile
    EXPECT_TRUE(files.isFolder("/out/src"));
    EXPECT_TRUE(files.isFolder("/out/src"));
    EXPECT_THAT(disk.asked, ElementsAre("/out", "/out/src", "/out/src", "/out/src"));
    EXPECT_TRUE(files.makeFolder("/out/lib"));
    EXPECT_FALSE(files.makeFolder("/none/deeper"));
    disk.asked.clear();
    EXPECT_TRUE(files.isFolder("/out/lib"));
    EXPECT_FALSE(files.isFolder("/none/deeper"));
    EXPECT_THAT(disk.asked, ElementsAre("/none/deeper"));
}

// Generate-all over a library file, with each catalogue entry's own coclass, as the command line does.
class FileHost : public RequestHost {
public:
    FileHost(TypeLibLoader& loader, const ClassCatalogue& classes) : loader_(loader), classes_(classes) {}
    void setGenerateEnabled(bool) override {}
    std::vector<TypeEntry> selectClass(std::size_t index) override {
        const FoundClass found = FindClassOfEntry(loader_, classes_[index]);
        return ListImplementedInterfaces(found.typeLibPath, found.coClass);
    }

private:
    TypeLibLoader& loader_;
    const ClassCatalogue& classes_;
};

struct GenerateAllResult {
    std::map<std::string, std::string> files;
    std::vector<std::string> log;
    std::size_t opens = 0;
};

// Generate-all, or with `onlyClass` the request for that one catalogue entry.
GenerateAllResult generateAll(const std::string& library, bool skipUnchanged,
                              std::optional<std::size_t> onlyClass = std::nullopt) {
    std::unique_ptr<TypeLibLoader> loader = testing::makeTestLoader();
    RequestSnapshot snap;
    EXPECT_EQ(LoadClassesFromFile(*loader, library, snap.classes), kOk) << library;
    for (const ClassEntry& entry : snap.classes) snap.shownNames.push_back(entry.progId);
    snap.settings = GeneratorSettings{"Wrappers", "org.example", "/out", "/kovra"};
    snap.generateAll = !onlyClass;
    if (onlyClass) {
        snap.classIndex = static_cast<int>(*onlyClass);
        snap.interfaces = FileHost(*loader, snap.classes).selectClass(*onlyClass);
    }

    OpenRecorder disk;
    disk.folders.insert("/kovra");
    disk.addFile("/kovra/kovra.jar");
    disk.addFile("/kovra/kovra.dll");
    EmptyRegistry registry;
    MemorySettingsStore settings;
    RecordingUi ui;
    FileHost host(*loader, snap.classes);
    const RequestOutcome outcome =
        runRequest(host, snap, Services{disk, registry, *loader, settings, ui}, defaultEmitters(), skipUnchanged);
    EXPECT_EQ(outcome.error, "") << library;
    return GenerateAllResult{disk.files, ui.log, disk.opened.size()};
}

TEST(UnchangedFilesRequest, GenerateAllWritesTheSameFilesAndLogWithFewerWrites) {
    std::vector<std::string> libraries{testing::fixturePath("features64.tlb")};
    for (const char* name : {"scrrun.dll", "msado15.dll"})
        if (testing::fileExists(testing::wineLibPath(name))) libraries.push_back(testing::wineLibPath(name));
    for (const std::string& library : libraries) {
        const GenerateAllResult plain = generateAll(library, false);
        const GenerateAllResult skipping = generateAll(library, true);
        EXPECT_EQ(skipping.files, plain.files) << library;
        EXPECT_EQ(skipping.log, plain.log) << library;
        EXPECT_THAT(plain.log, ::testing::Not(IsEmpty()));
        // Several coclasses reach the same types, so the plain run rewrites files the other leaves alone.
        EXPECT_LT(skipping.opens, plain.opens) << library;
    }
}

// A file's text without its "// from TypeLib at" line, which names the library the run found the type
// through: a class's own interfaces carry its file, the types they reach the registered one.
std::string withoutLibraryLine(std::string text) {
    const std::size_t at = text.find("// from TypeLib at ");
    if (at != std::string::npos) text.erase(at, text.find('\n', at) + 1 - at);
    return text;
}

// Generate-all writes a type again in every class run that reaches it, from members kept by earlier
// runs: each class requested alone (nothing kept) writes the same type files.
TEST(KeptMembers, EachClassAloneWritesTheTypeFilesGenerateAllWrote) {
    std::vector<std::string> libraries{testing::fixturePath("features64.tlb")};
    if (testing::fileExists(testing::wineLibPath("msado15.dll"))) libraries.push_back(testing::wineLibPath("msado15.dll"));
    for (const std::string& library : libraries) {
        const GenerateAllResult all = generateAll(library, true);
        ClassCatalogue classes;
        ASSERT_EQ(LoadClassesFromFile(*testing::makeTestLoader(), library, classes), kOk);
        std::size_t compared = 0;
        for (std::size_t i = 0; i < classes.size(); ++i) {
            const GenerateAllResult alone = generateAll(library, true, i);
            for (const auto& [path, bytes] : alone.files) {
                if (path.ends_with("build.xml")) continue;  // the one file each class run writes its own way
                const auto written = all.files.find(path);
                ASSERT_NE(written, all.files.end()) << library << ": " << path;
                EXPECT_EQ(withoutLibraryLine(written->second), withoutLibraryLine(bytes)) << library << ": " << path;
                ++compared;
            }
        }
        EXPECT_GT(compared, classes.size()) << library;
    }
}

}  // namespace
}  // namespace tessivar::test
