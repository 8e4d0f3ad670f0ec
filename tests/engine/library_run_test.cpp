// The names a library run's types are chosen by: matching and the closest names for an unknown one.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/library_run.h"
#include "support/memory_typelib.h"

namespace tessivar::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(ClosestNamesTest, ByEditDistanceIgnoringCase) {
    struct Case {
        const char* name;
        std::vector<std::string> names;
        std::vector<std::string> closest;
    };
    const Case cases[] = {
        {"ifoo", {"IBar", "IFoo", "Foo"}, {"IFoo", "Foo", "IBar"}},
        // Equally close names keep their order; at most three.
        {"a", {"b", "c", "d", "e"}, {"b", "c", "d"}},
        {"abc", {"xbc", "abx", "axc", "abcd"}, {"xbc", "abx", "axc"}},
        // A name met twice is given once.
        {"x", {"y", "y", "z"}, {"y", "z"}},
        {"anything", {}, {}},
        {"", {"ab", "a"}, {"a", "ab"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(closestNames(c.name, c.names), c.closest);
    }
    EXPECT_THAT(closestNames("kitten", {"sitting", "mitten", "kitchen"}, 1), ElementsAre("mitten"));
}

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
