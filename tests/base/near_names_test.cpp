// Edit distances between names and the names closest to one, as misses suggest them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/near_names.h"

namespace tessivar::test {
namespace {

using ::testing::ElementsAre;

TEST(EditDistanceTest, FoldsAsciiCaseCountsASwapOnceAndStopsAtTheLimit) {
    EXPECT_EQ(editDistanceIgnoringCase("kitten", "SITTING", 10), 3u);
    EXPECT_EQ(editDistanceIgnoringCase("", "abc", 10), 3u);
    EXPECT_EQ(editDistanceIgnoringCase("Widgte", "widget", 10), 1u);  // a swap is one edit
    EXPECT_EQ(editDistanceIgnoringCase("ab", "ba", 10), 1u);
    EXPECT_EQ(editDistanceIgnoringCase(std::string(11, 'a'), "a", 10), 11u);  // past the limit: limit + 1
}

TEST(ClosestNamesTest, ByEditDistanceIgnoringCaseWithinTheDistanceGiven) {
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
    EXPECT_THAT(closestNames("Widget", {"Gadget", "Widgte", "Widgets", "x"}, 3, 1), ElementsAre("Widgte", "Widgets"));
}

}  // namespace
}  // namespace tessivar::test
