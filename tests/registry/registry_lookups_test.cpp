// FindTypeLibPath and FindInterfaceTypeLibPath: locale order, win32 before win64, expansion, limits.
#include <gtest/gtest.h>

#include "base/guid_text.h"
#include "tests/registry/registry_test_support.h"
#include "typelib/registry_lookups.h"

namespace tessivar {
namespace {

using test::readRegFixture;
using test::registryOf;

class Lookups : public ::testing::Test {
protected:
    std::unique_ptr<Registry> registry = registryOf(readRegFixture("lookups.reg"));

    std::string typeLibPath(const std::string& guid, const std::string& version = "1.0") {
        std::string path = "<untouched>";
        const HResult hr = FindTypeLibPath(*registry, guid, version, path);
        EXPECT_EQ(hr, path.empty() ? kOutOfMemory : kOk);
        return path;
    }
    std::string interfacePath(const std::string& iid) {
        std::string path = "<untouched>";
        const HResult hr = FindInterfaceTypeLibPath(*registry, *parseGuidText(iid), path);
        EXPECT_EQ(hr, path.empty() ? kOutOfMemory : kOk);
        return path;
    }
};

TEST_F(Lookups, TypeLibPathTriesLocalesThenPlatforms) {
    EXPECT_EQ(typeLibPath("{11111111-0000-0000-0000-000000000409}"), "C:\\Libs\\only409.tlb");
    EXPECT_EQ(typeLibPath("{44444444-0000-0000-0000-000000000000}"), "C:\\Libs\\win32only.tlb");
    EXPECT_EQ(typeLibPath("{55555555-0000-0000-0000-000000000000}"), "C:\\Libs\\win64only.tlb");
    EXPECT_EQ(typeLibPath("{66666666-0000-0000-0000-000000000000}"), "C:\\Libs\\both32.tlb");
    EXPECT_EQ(typeLibPath("{88888888-0000-0000-0000-000000000000}"), "C:\\Libs\\zero64.tlb");
    EXPECT_EQ(typeLibPath("{66666666-0000-0000-0000-000000000000}", "2.0"), "");
    EXPECT_EQ(typeLibPath("{99999999-0000-0000-0000-000000000000}"), "");
    EXPECT_EQ(typeLibPath("", ""), "");
}

TEST_F(Lookups, FirstKeyThatOpensDecidesTheTypeLibPath) {
    // A blank win32 key under "0" decides, whether the path waits under "409" or under "0"\win64.
    EXPECT_EQ(typeLibPath("{33333333-0000-0000-0000-000000000000}"), "");
    EXPECT_EQ(typeLibPath("{77777777-0000-0000-0000-000000000000}"), "");
}

TEST_F(Lookups, InterfaceLookupGoesOnUntilAPath) {
    EXPECT_EQ(interfacePath("{A0000000-0000-0000-0000-000000000001}"), "C:\\Libs\\blank0.tlb");
    EXPECT_EQ(interfacePath("{A0000000-0000-0000-0000-000000000002}"), "C:\\Libs\\blank32path64.tlb");
    EXPECT_EQ(interfacePath("{A0000000-0000-0000-0000-000000000006}"), "C:\\Libs\\win64only.tlb");
    EXPECT_EQ(interfacePath("{A0000000-0000-0000-0000-000000000003}"), "");  // no TypeLib key
    EXPECT_EQ(interfacePath("{A0000000-0000-0000-0000-000000000004}"), "");  // no "Version"
    EXPECT_EQ(interfacePath("{A0000000-0000-0000-0000-0000000000FF}"), "");  // not registered
}

TEST_F(Lookups, ExpandableStringsComeBackExpanded) {
    EXPECT_EQ(typeLibPath("{22222222-0000-0000-0000-000000000002}", "2.1"), "C:\\Windows\\system32\\expand.tlb");
    EXPECT_EQ(interfacePath("{A0000000-0000-0000-0000-000000000005}"), "C:\\Windows\\system32\\expand.tlb");
}

// The key path "TypeLib\<38-character GUID>\<version>\<locale>\win32" must fit 128 bytes with its zero.
TEST(LookupLimits, KeyPathBeyondItsBufferIsNotFound) {
    const std::string guid = "{12345678-0000-0000-0000-000000000000}";
    const std::string fits(72, '1'), tooLong(73, '1');  // 8 + 38 + 1 + 72 + 1 + 1 + 1 + 5 = 127
    auto registry = registryOf("REGEDIT4\n"
                               "[HKEY_CLASSES_ROOT\\TypeLib\\" + guid + "\\" + fits + "\\0\\win32]\n@=\"fits.tlb\"\n"
                               "[HKEY_CLASSES_ROOT\\TypeLib\\" + guid + "\\" + tooLong + "\\0\\win64]\n@=\"long.tlb\"\n");
    std::string path;
    EXPECT_EQ(FindTypeLibPath(*registry, guid, fits, path), kOk);
    EXPECT_EQ(path, "fits.tlb");
    EXPECT_EQ(FindTypeLibPath(*registry, guid, tooLong, path), kOutOfMemory);
    EXPECT_EQ(path, "");
}

// Paths are read into 260 bytes: 259 characters and the zero fit, 260 do not, also after expansion.
TEST(LookupLimits, ValuesBeyondTheirBufferAreNotRead) {
    const std::string longest(259, 'p'), tooLong(260, 'p');
    auto registry = registryOf(
        "REGEDIT4\n"
        "[HKEY_CLASSES_ROOT\\TypeLib\\{1}\\1.0\\0\\win32]\n@=\"" + longest + "\"\n"
        "[HKEY_CLASSES_ROOT\\TypeLib\\{2}\\1.0\\0\\win32]\n@=\"" + tooLong + "\"\n"
        "[HKEY_CLASSES_ROOT\\TypeLib\\{2}\\1.0\\409\\win32]\n@=\"later locales are not tried\"\n"
        "[HKEY_CLASSES_ROOT\\TypeLib\\{3}\\1.0\\0\\win32]\n@=hex(2):25,58,25,00\n",
        {}, {{"X", longest}});
    std::string path;
    EXPECT_EQ(FindTypeLibPath(*registry, "{1}", "1.0", path), kOk);
    EXPECT_EQ(path, longest);
    EXPECT_EQ(FindTypeLibPath(*registry, "{2}", "1.0", path), kOutOfMemory);
    EXPECT_EQ(FindTypeLibPath(*registry, "{3}", "1.0", path), kOk);
    EXPECT_EQ(path, longest);

    auto expandsTooFar = registryOf("REGEDIT4\n[HKEY_CLASSES_ROOT\\TypeLib\\{3}\\1.0\\0\\win32]\n@=hex(2):25,58,25,00\n",
                                    {}, {{"X", tooLong}});
    EXPECT_EQ(FindTypeLibPath(*expandsTooFar, "{3}", "1.0", path), kOutOfMemory);
}

}  // namespace
}  // namespace tessivar
