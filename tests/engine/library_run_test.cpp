// The names a library run's types are chosen by, and the errors for unknown ones.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/library_run.h"
#include "support/memory_typelib.h"

namespace tessivar::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(MatchingTypesTest, ExactNameFirstThenIgnoringAsciiCase) {
    auto lib = MemoryTypeLib::create("Lib", guidOf(1));
    lib->addInterface("IFoo", guidOf(2), TKIND_DISPATCH, 0);
    lib->addInterface("IFOO", guidOf(3), TKIND_DISPATCH, 0);
    lib->addInterface("IÄx", guidOf(4), TKIND_DISPATCH, 0);
    const std::vector<LibraryType> types = libraryTypes(*lib);
    EXPECT_THAT(matchingTypes(types, "IFOO"), ElementsAre(1u));
    EXPECT_THAT(matchingTypes(types, "ifoo"), ElementsAre(0u, 1u));
    // Only ASCII letters fold.
    EXPECT_THAT(matchingTypes(types, "iäx"), IsEmpty());
    EXPECT_THAT(matchingTypes(types, "IFo"), IsEmpty());
}

}  // namespace
}  // namespace tessivar::test
