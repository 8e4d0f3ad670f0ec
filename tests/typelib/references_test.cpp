// References into other libraries: found through the registry, the referencing file's folder or the
// configured folders, in that order; otherwise only the calls that need them fail.
#include <gtest/gtest.h>

#include "tests/typelib/reader_test_support.h"
#ifndef _WIN32
#include "tests/registry/registry_test_support.h"
#include "typelib/builtin/builtin_libraries.h"
#include "typelib/file_bytes.h"
#endif

namespace tessivar {
namespace {

using enum testing::FeatureType;

// The name of the base IWidget's dispatch view reports (IDispatch from stdole2), or the failure.
std::string dispatchBaseOf(reader::FileTypeLibLoader& loader, const std::string& path, HResult& hr) {
    std::shared_ptr<const TypeLib> lib;
    if ((hr = loader.load(path, lib)) != kOk) return {};
    std::shared_ptr<const TypeInfo> widget, base;
    HRefType href = 0;
    if ((hr = lib->typeInfo(kIWidget, widget)) != kOk || (hr = widget->refTypeOfImplType(0, href)) != kOk ||
        (hr = widget->refTypeInfo(href, base)) != kOk)
        return {};
    std::shared_ptr<const TypeLib> home;
    unsigned index = 0;
    base->containingTypeLib(home, index);
    return typeName(*base) + "@" + libraryName(*home);
}

TEST(References, ConfiguredFolderFindsStdole2) {
    if (!testing::fileExists(testing::wineLibPath("stdole2.tlb"))) GTEST_SKIP() << "wine64 package not installed";
    HResult hr = kOk;
    EXPECT_EQ(dispatchBaseOf(*testing::makeTestLoader(), testing::fixturePath("features64.tlb"), hr), "IDispatch@stdole");
}

TEST(References, UnresolvableImportFailsOnlyWhatNeedsIt) {
    reader::FileTypeLibLoader loader({});
    HResult hr = kOk;
    EXPECT_EQ(dispatchBaseOf(loader, testing::fixturePath("features64.tlb"), hr), "");
    EXPECT_EQ(hr, kCantLoadLibrary);

    std::shared_ptr<const TypeLib> lib;
    ASSERT_EQ(loader.load(testing::fixturePath("features64.tlb"), lib), kOk);
    std::shared_ptr<const TypeInfo> widget2;
    ASSERT_EQ(lib->typeInfo(7, widget2), kOk);  // IWidget2 -> IWidget -> IDispatch (missing)
    TypeAttr attr;
    ASSERT_EQ(widget2->typeAttr(attr), kOk);
    EXPECT_EQ(attr.cFuncs, 19) << "the count comes from the record, not from the bases";
    FuncDesc f;
    EXPECT_EQ(widget2->funcDesc(0, f), kOk) << "a failing deeper base counts as no functions";
    EXPECT_EQ(f.memid, 20);
    EXPECT_EQ(widget2->funcDesc(2, f), kElementNotFound);
    std::shared_ptr<const TypeInfo> widget;
    ASSERT_EQ(lib->typeInfo(kIWidget, widget), kOk);
    EXPECT_EQ(widget->funcDesc(7, f), kCantLoadLibrary) << "a failing direct base fails every index";
}

TEST(References, LoaderReturnsTheCachedLibrary) {
    reader::FileTypeLibLoader loader({});
    std::shared_ptr<const TypeLib> first, second;
    ASSERT_EQ(loader.load(testing::fixturePath("features64.tlb"), first), kOk);
    ASSERT_EQ(loader.load(testing::fixturePath("features64.tlb"), second), kOk);
    EXPECT_EQ(first, second);
}

#ifndef _WIN32
TEST(References, RegisteredPathWins) {
    if (!testing::fileExists(testing::wineLibPath("stdole2.tlb"))) GTEST_SKIP() << "wine64 package not installed";
    reader::ReaderOptions options;
    HResult hr = kOk;
    const std::string folder(testing::kWineLibDir);
    auto real = test::registryOf(
        "REGEDIT4\n\n"
        "[HKEY_CLASSES_ROOT\\TypeLib\\{00020430-0000-0000-C000-000000000046}\\2.0\\0\\win64]\n"
        "@=\"C:\\\\stdole2.tlb\"\n",
        DriveMap{{'c', folder}});
    options.registry = real.get();  // stdole2 is neither beside the fixture nor in a configured folder
    reader::FileTypeLibLoader registered(options);
    EXPECT_EQ(dispatchBaseOf(registered, testing::fixturePath("features64.tlb"), hr), "IDispatch@stdole");
}

// Where IDispatch, the base of IWidget's dispatch view, came from: the built-in copy's name, or "file".
std::string stdoleSource(reader::FileTypeLibLoader& loader) {
    std::shared_ptr<const TypeLib> lib, home;
    std::shared_ptr<const TypeInfo> widget, base;
    HRefType href = 0;
    unsigned index = 0;
    if (loader.load(testing::fixturePath("features64.tlb"), lib) != kOk || lib->typeInfo(kIWidget, widget) != kOk ||
        widget->refTypeOfImplType(0, href) != kOk || widget->refTypeInfo(href, base) != kOk ||
        base->containingTypeLib(home, index) != kOk)
        return "nowhere";
    return home->builtInName().value_or("file");
}

TEST(References, BuiltInStdole2ComesLastAndServesOnlyItsOwnLibrary) {
    reader::ReaderOptions bare;
    bare.builtIn.assign(builtInLibraries().begin(), builtInLibraries().end());
    reader::FileTypeLibLoader onlyBuiltIn(bare);
    EXPECT_EQ(stdoleSource(onlyBuiltIn), "<built-in>\\stdole2.tlb");

    if (testing::fileExists(testing::wineLibPath("stdole2.tlb"))) {
        // A search folder, and a registration, come before the built-in copy.
        reader::ReaderOptions searched = bare;
        searched.searchFolders = {testing::kWineLibDir};
        reader::FileTypeLibLoader inFolder(searched);
        EXPECT_EQ(stdoleSource(inFolder), "file");
        auto real = test::registryOf(
            "REGEDIT4\n\n[HKEY_CLASSES_ROOT\\TypeLib\\{00020430-0000-0000-C000-000000000046}\\2.0\\0\\win64]\n"
            "@=\"C:\\\\stdole2.tlb\"\n",
            DriveMap{{'c', std::string(testing::kWineLibDir)}});
        reader::ReaderOptions registered = bare;
        registered.registry = real.get();
        reader::FileTypeLibLoader inRegistry(registered);
        EXPECT_EQ(stdoleSource(inRegistry), "file");
    }

    // An import of another library is not served, and the library says which one it lacks.
    std::shared_ptr<const TypeLib> unres;
    ASSERT_EQ(onlyBuiltIn.load(testing::fixturePath("unres64.tlb"), unres), kOk);
    EXPECT_TRUE(unres->missingLibraries().empty()) << "nothing was needed yet";
    std::shared_ptr<const TypeInfo> widget;
    FuncDesc f;
    ASSERT_EQ(unres->typeInfo(kIWidget, widget), kOk);
    EXPECT_EQ(widget->funcDesc(0, f), kCantLoadLibrary);
    const std::vector<LibraryRef> missing = unres->missingLibraries();
    ASSERT_EQ(missing.size(), 1u);
    EXPECT_EQ(missing[0].guid.data1, 0x7E57AB1Eu);
    EXPECT_EQ(missing[0].majorVersion, 2);
    EXPECT_EQ(missing[0].minorVersion, 0);
    EXPECT_EQ(missing[0].fileName, "missing.tlb");
}

TEST(References, ImportedLibrariesAreListedOnceEach) {
    std::string why;
    const auto bytes = readFileBytes(testing::fixturePath("features64.tlb"), 1 << 20, why);
    ASSERT_TRUE(bytes) << why;
    const std::vector<LibraryRef> imports = reader::importedLibraries(bytes->bytes(), 1);
    ASSERT_EQ(imports.size(), 1u);
    EXPECT_EQ(imports[0].guid.data1, 0x00020430u);
    EXPECT_EQ(imports[0].fileName, "stdole2.tlb");
    EXPECT_TRUE(reader::importedLibraries(bytes->bytes().first(100), 1).empty());
}
#endif

}  // namespace
}  // namespace tessivar
