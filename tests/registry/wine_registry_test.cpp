// The registry of a real 64-bit Wine prefix: its registered classes and type libraries are found
// although every library there is registered under win64 only.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/guid_text.h"
#include "tests/registry/wine_prefix.h"
#include "typelib/catalogue.h"
#include "typelib/posix/file_registry.h"
#include "typelib/registry_lookups.h"

namespace tessivar {
namespace {

namespace fs = std::filesystem;

constexpr const char* kScrrunGuid = "{420B2830-E718-11CF-893D-00A0C9054228}";
constexpr const char* kScrrunPath = "C:\\windows\\system32\\scrrun.dll";

class WineRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        const auto found = test::sharedWinePrefix(why);
        if (!found) GTEST_SKIP() << why;
        prefix = *found;
        RegistryOpenResult r = openWinePrefixRegistry(prefix);
        ASSERT_TRUE(r.registry) << r.error;
        registry = std::move(r.registry);
    }
    std::string prefix;
    std::unique_ptr<Registry> registry;
};

TEST_F(WineRegistry, CatalogueShowsFileSystemObjectWithAReadableLibrary) {
    ClassCatalogue catalogue;
    ReadRegisteredClasses(*registry, catalogue);
    const auto it = std::find_if(catalogue.begin(), catalogue.end(),
                                 [](const ClassEntry& e) { return e.progId == "Scripting.FileSystemObject"; });
    ASSERT_NE(it, catalogue.end());
    EXPECT_EQ(it->clsid, "{0D43FE01-F093-11CF-8940-00A0C9054228}");
    EXPECT_EQ(it->typeLibGuid, kScrrunGuid);
    EXPECT_EQ(it->typeLibPath, kScrrunPath);  // shown as registered

    const std::string local = registry->localPath(it->typeLibPath);
    ASSERT_FALSE(local.empty());
    EXPECT_EQ(fs::canonical(local), fs::canonical(fs::path(prefix) / "drive_c/windows/system32/scrrun.dll"));
    std::ifstream file(local, std::ios::binary);
    char magic[2] = {};
    EXPECT_TRUE(file.read(magic, 2));
    EXPECT_EQ(std::string(magic, 2), "MZ");

    const std::vector<std::string> shown = shownClassNames(catalogue);
    EXPECT_NE(std::find(shown.begin(), shown.end(), "Scripting.FileSystemObject"), shown.end());
}

TEST_F(WineRegistry, LibrariesRegisteredUnderWin64AreFound) {
    std::unique_ptr<RegKey> win32;
    EXPECT_NE(registry->openKey(RegRoot::ClassesRoot, std::string("TypeLib\\") + kScrrunGuid + "\\1.0\\0\\win32",
                                RegAccess::Read, win32),
              kRegSuccess);  // the reason a win32-only lookup finds nothing here

    std::string path;
    EXPECT_EQ(FindTypeLibPath(*registry, kScrrunGuid, "1.0", path), kOk);
    EXPECT_EQ(path, kScrrunPath);

    // IFileSystem3 names scrrun's library under its Interface key.
    EXPECT_EQ(FindInterfaceTypeLibPath(*registry, *parseGuidText("{2A0B9D10-4B87-11D3-A97A-00104B365C9F}"), path), kOk);
    EXPECT_EQ(path, kScrrunPath);
}

}  // namespace
}  // namespace tessivar
