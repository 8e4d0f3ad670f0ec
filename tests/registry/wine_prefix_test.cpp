// Registered classes of a real Wine prefix resolved through the platform's type library loader.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/registry/wine_prefix.h"
#include "typelib/catalogue.h"
#include "typelib/class_lookups.h"
#include "typelib/platform_loader.h"
#include "typelib/posix/file_registry.h"

namespace tessivar {
namespace {

TEST(WinePrefixClasses, FileSystemObjectResolvesToItsCoclassAndInterfaces) {
    std::string why;
    const auto prefix = test::sharedWinePrefix(why);
    if (!prefix) GTEST_SKIP() << why;
    RegistryOpenResult r = openWinePrefixRegistry(*prefix);
    ASSERT_TRUE(r.registry) << r.error;
    ClassCatalogue catalogue;
    ReadRegisteredClasses(*r.registry, catalogue);
    auto loader = makePlatformTypeLibLoader(r.registry.get());

    const FoundClass found = FindClass(*loader, "Scripting.FileSystemObject", catalogue);
    EXPECT_EQ(found.typeLibGuid, "{420B2830-E718-11CF-893D-00A0C9054228}");
    EXPECT_EQ(found.typeLibPath, "C:\\windows\\system32\\scrrun.dll");
    EXPECT_EQ(found.coClassName, "FileSystemObject");
    ASSERT_TRUE(found.coClass);

    const std::vector<TypeEntry> interfaces = ListImplementedInterfaces(found.typeLibPath, found.coClass);
    ASSERT_FALSE(interfaces.empty());
    const auto def = std::find_if(interfaces.begin(), interfaces.end(), [](const TypeEntry& e) {
        return (e.kind & IMPLTYPEFLAG_FDEFAULT) != 0 && (e.kind & IMPLTYPEFLAG_FSOURCE) == 0;
    });
    ASSERT_NE(def, interfaces.end());
    EXPECT_EQ(def->name, "IFileSystem3");
    EXPECT_EQ(def->guidText, "{2A0B9D10-4B87-11D3-A97A-00104B365C9F}");
    for (const TypeEntry& e : interfaces) EXPECT_EQ(e.typeLibPath, found.typeLibPath);
}

}  // namespace
}  // namespace tessivar
