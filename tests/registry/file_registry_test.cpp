// The file-backed registry: the merged classes root, bounded reads, refusing writes, environment
// expansion and mapping registered Windows paths to local files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/registry/registry_test_support.h"
#include "typelib/posix/file_registry.h"

namespace tessivar {
namespace {

namespace fs = std::filesystem;
using test::readRegFixture;
using test::registryOf;
using test::valueText;

std::unique_ptr<Registry> fixturePrefixRegistry() {
    RegistryOpenResult r = registryFromWineFiles(readRegFixture("wine_system.reg"), readRegFixture("wine_user.reg"), {});
    EXPECT_TRUE(r.registry) << r.error;
    return std::move(r.registry);
}

// A scratch folder removed at the end of the test.
struct TempDir {
    fs::path path;
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "tessivar-reg-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    void write(const fs::path& relative, const std::string& bytes = "x") const {
        fs::create_directories((path / relative).parent_path());
        std::ofstream(path / relative, std::ios::binary) << bytes;
    }
};

TEST(ClassesRoot, MergesUserOverMachineAndIgnoresCase) {
    auto registry = fixturePrefixRegistry();
    std::unique_ptr<RegKey> clsid;
    ASSERT_EQ(registry->openKey(RegRoot::ClassesRoot, "clsid", RegAccess::AllAccess, clsid), kRegSuccess);
    std::vector<std::string> names;
    std::string name;
    for (std::uint32_t i = 0; clsid->enumSubKey(i, name) == kRegSuccess; ++i) names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"{E0000000-0000-0000-0000-000000000001}",
                                               "{E0000000-0000-0000-0000-000000000002}",
                                               "{E0000000-0000-0000-0000-000000000003}"}));
    EXPECT_EQ(clsid->enumSubKey(3, name), kRegNoMoreItems);

    const auto root = RegRoot::ClassesRoot;
    EXPECT_EQ(valueText(*registry, root, "CLSID\\{E0000000-0000-0000-0000-000000000001}\\ProgID"), "Machine.Widget");
    EXPECT_EQ(valueText(*registry, root, "CLSID\\{e0000000-0000-0000-0000-000000000003}\\ProgID"), "User.Only");
    // The user's key wins as a whole: the machine's extra value is not seen through it.
    EXPECT_EQ(valueText(*registry, root, "CLSID\\{E0000000-0000-0000-0000-000000000002}\\ProgID"), "Shadowed.User");
    EXPECT_EQ(valueText(*registry, root, "CLSID\\{E0000000-0000-0000-0000-000000000002}\\ProgID", "Extra"), "<no value>");
    EXPECT_EQ(valueText(*registry, RegRoot::LocalMachine,
                        "Software\\Classes\\CLSID\\{E0000000-0000-0000-0000-000000000002}\\ProgId", "Extra"),
              "only the machine has this");
    EXPECT_EQ(valueText(*registry, root, "CLSID\\{E0000000-0000-0000-0000-000000000004}"), "<no key>");
    EXPECT_EQ(valueText(*registry, root, "CLSID\\"), "<no key>");
}

TEST(FileRegistry, ReadsAreBoundedByTheBufferSize) {
    auto registry = registryOf("REGEDIT4\n[HKEY_CLASSES_ROOT\\K]\n@=\"abcd\"\n");
    std::unique_ptr<RegKey> key;
    ASSERT_EQ(registry->openKey(RegRoot::ClassesRoot, "K", RegAccess::Read, key), kRegSuccess);
    RegValue value;
    EXPECT_EQ(key->queryValue("", 5, value), kRegSuccess);  // four letters and the zero
    EXPECT_EQ(value.text(), "abcd");
    EXPECT_EQ(key->queryValue("", 4, value), kRegMoreData);
    EXPECT_TRUE(value.data.empty());
    EXPECT_EQ(key->queryValue("missing", 100, value), kRegFileNotFound);
}

// A Wine registry reads its values from its own copy of the files, with the same bounds.
TEST(FileRegistry, WineValuesAreReadFromTheRegistrysOwnCopy) {
    RegistryOpenResult r = registryFromWineFiles(std::string("WINE REGISTRY Version 2\n"
                                                             "[Software\\\\Classes\\\\K]\n"
                                                             "@=\"abcd\"\n"
                                                             "\"Bytes\"=hex:01,02,\\\n"
                                                             "  03\n"
                                                             "[Software\\\\Classes\\\\k]\n"
                                                             "\"bytes\"=hex:01,02,03,04\n"),
                                                 "", {});
    ASSERT_TRUE(r.registry) << r.error;  // the text above is gone by now
    std::unique_ptr<RegKey> key;
    ASSERT_EQ(r.registry->openKey(RegRoot::ClassesRoot, "K", RegAccess::Read, key), kRegSuccess);
    RegValue value;
    EXPECT_EQ(key->queryValue("", 5, value), kRegSuccess);
    EXPECT_EQ(value.text(), "abcd");
    EXPECT_EQ(key->queryValue("", 4, value), kRegMoreData);
    EXPECT_TRUE(value.data.empty());
    EXPECT_EQ(key->queryValue("BYTES", 4, value), kRegSuccess);  // the later line wins
    EXPECT_EQ(value.type, REG_BINARY);
    EXPECT_EQ(value.data, (std::vector<std::uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(key->queryValue("BYTES", 3, value), kRegMoreData);
    EXPECT_EQ(key->queryValue("missing", 100, value), kRegFileNotFound);
}

TEST(FileRegistry, IsReadOnly) {
    auto registry = registryOf("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Ostrelle\\Kovra_Trial]\n\"Path\"=\"/opt\"\n");
    std::unique_ptr<RegKey> key;
    ASSERT_EQ(registry->openKey(RegRoot::LocalMachine, "Software\\Ostrelle\\Kovra_Trial", RegAccess::AllAccess, key),
              kRegSuccess);
    EXPECT_EQ(key->setValue("Path", RegValue{REG_SZ, {'x', 0}}), kRegAccessDenied);
    EXPECT_EQ(valueText(*registry, RegRoot::LocalMachine, "Software\\Ostrelle\\Kovra_Trial", "Path"), "/opt");
    std::unique_ptr<RegKey> created;
    EXPECT_EQ(registry->createKey(RegRoot::LocalMachine, "Software\\New", created), kRegAccessDenied);
    EXPECT_FALSE(created);
}

TEST(FileRegistry, ExpandsEnvironmentAsWindowsDoes) {
    auto prefix = fixturePrefixRegistry();
    EXPECT_EQ(prefix->expandEnvironment("%SystemRoot%\\system32\\x.dll"), "C:\\windows\\system32\\x.dll");
    EXPECT_EQ(prefix->expandEnvironment("%libdir%\\a;%USERLIBS%"), "C:\\windows\\libs\\a;D:\\userlibs");
    EXPECT_EQ(prefix->expandEnvironment("%NOT_SET%\\x"), "%NOT_SET%\\x");
    EXPECT_EQ(prefix->expandEnvironment("100% %SystemDrive%"), "100% C:");
    EXPECT_EQ(prefix->expandEnvironment("%NOT_SET%%SystemDrive%"), "%NOT_SET%C:");
    EXPECT_EQ(prefix->expandEnvironment("50%"), "50%");

    // Of two assignments of a name the last decides, also whether it is a variable at all.
    RegistryOpenResult r = registryFromWineFiles("WINE REGISTRY Version 2\n[K]\n", "WINE REGISTRY Version 2\n"
                                                 "[Environment]\n\"X\"=\"x\"\n\"Y\"=dword:1\n"
                                                 "[Environment]\n\"x\"=hex:00\n\"y\"=str(2):\"%SystemDrive%\"\n",
                                                 {});
    ASSERT_TRUE(r.registry) << r.error;
    EXPECT_EQ(r.registry->expandEnvironment("%X%|%Y%"), "%X%|C:");

    auto exported = registryOf("REGEDIT4\n", {}, {{"LIBS", "E:\\Shared"}, {"SystemRoot", "D:\\WINNT"}});
    EXPECT_EQ(exported->expandEnvironment("%Libs%\\a.tlb|%SYSTEMROOT%|%windir%"), "E:\\Shared\\a.tlb|D:\\WINNT|C:\\Windows");
}

TEST(LocalPath, MapsThroughDrivesMatchingNamesIgnoringCase) {
    TempDir dir;
    dir.write("drive_c/Windows/System32/ScrRun.DLL");
    dir.write("outside.txt");
    const DriveMap drives{{'c', (dir.path / "drive_c").string()}};
    const std::string expected = (dir.path / "drive_c/Windows/System32/ScrRun.DLL").string();
    EXPECT_EQ(mapWindowsPath("C:\\windows\\system32\\scrrun.dll", drives), expected);
    EXPECT_EQ(mapWindowsPath("\\\\?\\c:\\WINDOWS\\SYSTEM32\\SCRRUN.DLL", drives), expected);
    EXPECT_EQ(mapWindowsPath("c:/Windows//System32/./scrrun.dll", drives), expected);
    // ".." stops at the drive's root, as on Windows.
    EXPECT_EQ(mapWindowsPath("C:\\..\\..\\windows\\system32\\scrrun.dll", drives), expected);
    EXPECT_EQ(mapWindowsPath("C:\\..\\outside.txt", drives), "");
    EXPECT_EQ(mapWindowsPath("C:\\windows\\system32\\missing.dll", drives), "");
    EXPECT_EQ(mapWindowsPath("D:\\windows\\system32\\scrrun.dll", drives), "");
    EXPECT_EQ(mapWindowsPath("scrrun.dll", drives), "");
    EXPECT_EQ(mapWindowsPath("C:scrrun.dll", drives), "");
    EXPECT_EQ(mapWindowsPath("\\\\server\\share\\scrrun.dll", drives), "");
    EXPECT_EQ(mapWindowsPath("", drives), "");
}

TEST(WinePrefixRegistry, OpensFilesAndDrivesAndNamesBadLines) {
    TempDir prefix;
    prefix.write("system.reg", readRegFixture("wine_system.reg"));
    prefix.write("drive_c/windows/system32/widgets.dll");
    fs::create_directories(prefix.path / "dosdevices");
    fs::create_directory_symlink("../drive_c", prefix.path / "dosdevices/c:");
    fs::create_directory_symlink("/dev/null", prefix.path / "dosdevices/com1");

    RegistryOpenResult r = openWinePrefixRegistry(prefix.path.string());  // no user.reg: an empty user hive
    ASSERT_TRUE(r.registry) << r.error;
    const std::string registered = valueText(*r.registry, RegRoot::ClassesRoot,
                                             "TypeLib\\{F0000000-0000-0000-0000-000000000001}\\1.0\\0\\win64");
    EXPECT_EQ(registered, "C:\\windows\\system32\\widgets.dll");
    EXPECT_EQ(fs::canonical(r.registry->localPath(registered)),
              fs::canonical(prefix.path / "drive_c/windows/system32/widgets.dll"));

    prefix.write("user.reg", "WINE REGISTRY Version 2\n\n[Environment]\n\"TEMP\"=str(2):\"C:\\\\temp\n");
    r = openWinePrefixRegistry(prefix.path.string());
    EXPECT_FALSE(r.registry);
    EXPECT_EQ(r.error, (prefix.path / "user.reg").string() + ": line 4: text ends inside a quoted string");

    r = openWinePrefixRegistry((prefix.path / "nowhere").string());
    EXPECT_FALSE(r.registry);
    EXPECT_NE(r.error.find("system.reg: cannot be read"), std::string::npos) << r.error;
}

TEST(RegExportRegistry, OpensFileWithUserDrives) {
    TempDir machine;
    machine.write("Libs/Widgets.TLB");
    RegistryOpenResult r = openRegExportRegistry(test::regFixturePath("classes.reg"),
                                                 {{'c', machine.path.string()}});
    ASSERT_TRUE(r.registry) << r.error;
    const std::string registered = valueText(*r.registry, RegRoot::ClassesRoot,
                                             "TypeLib\\{D0000000-0000-0000-0000-000000000001}\\1.0\\0\\win32");
    EXPECT_EQ(registered, "C:\\Libs\\widgets.tlb");
    EXPECT_EQ(r.registry->localPath(registered), (machine.path / "Libs/Widgets.TLB").string());
}

}  // namespace
}  // namespace tessivar
