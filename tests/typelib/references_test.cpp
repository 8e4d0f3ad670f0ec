// References into other libraries: found through the registry, the referencing file's folder or the
// configured folders, in that order; otherwise only the calls that need them fail.
#include <gtest/gtest.h>

#include "tests/typelib/reader_test_support.h"
#ifndef _WIN32
#include "tests/registry/registry_test_support.h"
#endif

namespace tessivar {
namespace {

constexpr unsigned kIWidget = 4;

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
#endif

}  // namespace
}  // namespace tessivar
