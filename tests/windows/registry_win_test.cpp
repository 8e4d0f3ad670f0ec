// The registry seam over the real (Wine) registry: keys, bounded reads, enumeration, code page, settings.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine/registry_settings_store.h"
#include "typelib/catalogue.h"
#include "typelib/class_lookups.h"
#include "typelib/platform_loader.h"
#include "typelib/windows/registry_win.h"

// After the core's headers: the platform's macros reuse names of the type library seam.
#include <windows.h>

namespace tessivar::test {
namespace {

using ::testing::ElementsAre;

// A key of its own under HKEY_CURRENT_USER, removed afterwards.
class ScratchKey : public ::testing::Test {
protected:
    void SetUp() override { path = "Software\\Tessivar tests\\" + std::to_string(GetCurrentProcessId()); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str()); }

    std::unique_ptr<RegKey> create() {
        std::unique_ptr<RegKey> key;
        EXPECT_EQ(registry.createKey(RegRoot::CurrentUser, path, key), kRegSuccess);
        return key;
    }

    static RegValue text(const std::string& utf8) {
        RegValue v;
        v.type = REG_SZ;
        v.data.assign(utf8.begin(), utf8.end());
        v.data.push_back(0);
        return v;
    }

    WindowsRegistry registry;
    std::string path;
};

TEST_F(ScratchKey, OpensOnlyWhatExistsAndCreatesMissingParents) {
    std::unique_ptr<RegKey> key;
    EXPECT_EQ(registry.openKey(RegRoot::CurrentUser, path, RegAccess::Read, key), kRegFileNotFound);
    EXPECT_EQ(key, nullptr);
    auto made = create();
    ASSERT_NE(made, nullptr);
    std::unique_ptr<RegKey> sub;
    EXPECT_EQ(registry.createKey(RegRoot::CurrentUser, path + "\\a\\b", sub), kRegSuccess);
    EXPECT_EQ(registry.openKey(RegRoot::CurrentUser, path, RegAccess::AllAccess, key), kRegSuccess);
    EXPECT_EQ(key->openSubKey("a\\b", RegAccess::Read, sub), kRegSuccess);
    EXPECT_EQ(key->openSubKey("a\\c", RegAccess::Read, sub), kRegFileNotFound);
}

TEST_F(ScratchKey, ReadsAreBoundedByTheBufferWithItsTerminatingZero) {
    auto key = create();
    ASSERT_EQ(key->setValue("Long", text(std::string(259, 'x'))), kRegSuccess);  // 260 bytes stored
    RegValue v;
    EXPECT_EQ(key->queryValue("Long", 259, v), kRegMoreData);
    EXPECT_TRUE(v.data.empty());
    EXPECT_EQ(key->queryValue("Long", 260, v), kRegSuccess);
    EXPECT_EQ(v.type, REG_SZ);
    EXPECT_EQ(v.data.size(), 260u);
    EXPECT_EQ(v.text(), std::string(259, 'x'));
    EXPECT_EQ(key->queryValue("Absent", 260, v), kRegFileNotFound);
    ASSERT_EQ(key->setValue("", text("default")), kRegSuccess);
    EXPECT_EQ(key->queryValue("", 260, v), kRegSuccess);
    EXPECT_EQ(v.text(), "default");
}

TEST_F(ScratchKey, TextIsStoredInTheAnsiCodePageAndReadBackAsUtf8) {
    if (GetACP() != 1252) GTEST_SKIP() << "the prefix's ANSI code page is " << GetACP();
    auto key = create();
    ASSERT_EQ(key->setValue("Caf\xC3\xA9", text("d\xC3\xA9j\xC3\xA0 \xCE\xA9")), kRegSuccess);
    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &raw), ERROR_SUCCESS);
    char bytes[32] = {};
    DWORD size = sizeof bytes;
    EXPECT_EQ(RegQueryValueExA(raw, "Caf\xE9", nullptr, nullptr, reinterpret_cast<BYTE*>(bytes), &size), ERROR_SUCCESS);
    RegCloseKey(raw);
    EXPECT_EQ(std::string(bytes, size), std::string("d\xE9j\xE0 ?\0", 7));  // omega is not in the code page
    RegValue v;
    EXPECT_EQ(key->queryValue("Caf\xC3\xA9", 260, v), kRegSuccess);
    EXPECT_EQ(v.text(), "d\xC3\xA9j\xC3\xA0 ?");
}

TEST_F(ScratchKey, SubkeysAreEnumeratedUntilNoMoreItems) {
    std::unique_ptr<RegKey> sub;
    for (const char* name : {"{B}", "{A}", "Caf\xC3\xA9"}) registry.createKey(RegRoot::CurrentUser, path + "\\" + name, sub);
    auto key = create();
    std::vector<std::string> names;
    std::string name;
    std::uint32_t i = 0;
    for (; key->enumSubKey(i, name) == kRegSuccess; ++i) names.push_back(name);
    EXPECT_EQ(key->enumSubKey(i, name), kRegNoMoreItems);
    std::sort(names.begin(), names.end());
    EXPECT_THAT(names, ElementsAre("Caf\xC3\xA9", "{A}", "{B}"));
}

TEST(WindowsRegistryEnvironment, ExpandsVariablesAndKeepsUnknownOnes) {
    WindowsRegistry registry;
    SetEnvironmentVariableA("TESSIVAR_TEST_ROOT", "C:\\some where");
    EXPECT_EQ(registry.expandEnvironment("%TESSIVAR_TEST_ROOT%\\lib.tlb"), "C:\\some where\\lib.tlb");
    EXPECT_EQ(registry.expandEnvironment("%TESSIVAR_NOT_SET%\\x"), "%TESSIVAR_NOT_SET%\\x");
    EXPECT_EQ(registry.localPath("C:\\a\\b.tlb"), "C:\\a\\b.tlb");
}

// The settings key as the dialog and the run use it, under HKEY_LOCAL_MACHINE.
TEST(WindowsSettingsKey, NothingIsSavedUntilCreatedThenTheFourValuesRoundTrip) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKeyPath);
    WindowsRegistry registry;
    RegistrySettingsStore store(registry);
    saveSettings(store, GeneratorSettings{"Jar", "com.x", "C:\\dest", "C:\\kovra"});
    EXPECT_FALSE(store.exists());
    ASSERT_TRUE(store.create());
    saveSettings(store, GeneratorSettings{"Jar", "com.x", "C:\\dest", "C:\\kovra"});
    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKeyPath, 0, KEY_READ | KEY_WOW64_64KEY, &raw), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExA(raw, "Package", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    RegCloseKey(raw);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 6u);  // "com.x" and its terminating zero
    const GeneratorSettings loaded = loadSettings(store);
    EXPECT_EQ(loaded.jarModule, "Jar");
    EXPECT_EQ(loaded.package, "com.x");
    EXPECT_EQ(loaded.destDir, "C:\\dest");
    EXPECT_EQ(loaded.sdkPath, "C:\\kovra");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKeyPath);
}

// The prefix registers the scripting runtime's classes: the catalogue lists them and the platform loads them.
TEST(WindowsRegisteredClasses, CatalogueShowsARegisteredClassWhoseLibraryLoads) {
    WindowsRegistry registry;
    ClassCatalogue classes;
    ReadRegisteredClasses(registry, classes);
    const std::vector<std::string> shown = shownClassNames(classes);
    ASSERT_NE(std::find(shown.begin(), shown.end(), "Scripting.FileSystemObject"), shown.end());
    auto loader = makePlatformTypeLibLoader(&registry);
    const FoundClass found = FindClass(*loader, "Scripting.FileSystemObject", classes);
    EXPECT_EQ(found.coClassName, "FileSystemObject");
    EXPECT_FALSE(ListImplementedInterfaces(found.typeLibPath, found.coClass).empty());
}

}  // namespace
}  // namespace tessivar::test
