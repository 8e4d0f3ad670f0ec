// Golden dumps: our fixtures and a few wine64 libraries, compared byte for byte with committed text.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/memory_typelib.h"
#include "tests/typelib/reader_test_support.h"
#include "typelib/dump.h"

namespace tessivar {
namespace {

using testing::fileExists;

struct GoldenCase {
    const char* golden;  // file name in tests/typelib/golden
    std::string path;    // library to dump (may carry a \N suffix)
};

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void expectGolden(const GoldenCase& c) {
    auto loader = testing::makeTestLoader();
    HResult hr = kOk;
    const std::string actual = dumpTypeLibFile(*loader, c.path, hr);
    ASSERT_EQ(hr, kOk) << c.path;
    const std::string goldenPath = testing::sourcePath(std::string("tests/typelib/golden/") + c.golden);
    const std::string expected = readText(goldenPath);
    if (actual != expected) {
        std::ofstream(goldenPath + ".actual", std::ios::binary) << actual;
        ADD_FAILURE() << "dump of " << c.path << " differs from " << goldenPath << "; actual text written to "
                      << goldenPath << ".actual. Regenerate with:\n  build/dev/tessivar dump '" << c.path
                      << "' --search-folder " << testing::kWineLibDir << " -o " << goldenPath;
    }
}

TEST(Dump, NamesOfReferencedTypesCannotWriteControlCharacters) {
    const auto lib = test::MemoryTypeLib::create("Lib\x1b[2J", Guid{});
    const unsigned iface = lib->addInterface("IEvil\r\nimpl 9 forged", Guid{}, TKIND_DISPATCH, 0x1040);
    const unsigned coclass = lib->addCoClass("Widget", Guid{});
    lib->implement(coclass, iface, IMPLTYPEFLAG_FDEFAULT);
    const std::string text = dumpTypeLib(*lib);
    EXPECT_NE(text.find("impl 0 flags 0x1 IEvil\\x0D\\x0Aimpl 9 forged:DISPATCH@Lib\\x1B[2J#0\n"), std::string::npos) << text;
    EXPECT_EQ(text.find('\x1b'), std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST(GoldenDump, OurFixtures) {
    for (const GoldenCase& c : {GoldenCase{"features64.txt", testing::fixturePath("features64.tlb")},
                                GoldenCase{"features32.txt", testing::fixturePath("features32.tlb")},
                                GoldenCase{"consts64.txt", testing::fixturePath("consts64.tlb")},
                                GoldenCase{"unres64.txt", testing::fixturePath("unres64.tlb")}})
        expectGolden(c);
}

TEST(GoldenDump, WinePackageLibraries) {
    if (!fileExists(testing::wineLibPath("stdole2.tlb"))) GTEST_SKIP() << "wine64 package not installed";
    for (const GoldenCase& c : {GoldenCase{"stdole2.txt", testing::wineLibPath("stdole2.tlb")},
                                GoldenCase{"stdole32.txt", testing::wineLibPath("stdole32.tlb")},
                                GoldenCase{"wshom.txt", testing::wineLibPath("wshom.ocx")},
                                GoldenCase{"vbscript3.txt", testing::wineLibPath("vbscript.dll") + "\\3"}})
        expectGolden(c);
}

// The same image shows the same text whether bare or inside a PE32 or PE32+ module.
TEST(GoldenDump, ModulesShowTheirResources) {
    auto loader = testing::makeTestLoader();
    HResult hr = kOk;
    const std::string bare64 = dumpTypeLibFile(*loader, testing::fixturePath("features64.tlb"), hr);
    EXPECT_EQ(dumpTypeLibFile(*loader, testing::fixturePath("features64.dll"), hr), bare64);
    const std::string consts = dumpTypeLibFile(*loader, testing::fixturePath("consts64.tlb"), hr);
    EXPECT_EQ(dumpTypeLibFile(*loader, testing::fixturePath("features64.dll") + "\\2", hr), consts);
    const std::string bare32 = dumpTypeLibFile(*loader, testing::fixturePath("features32.tlb"), hr);
    EXPECT_EQ(dumpTypeLibFile(*loader, testing::fixturePath("features32.dll"), hr), bare32);
}

}  // namespace
}  // namespace tessivar
