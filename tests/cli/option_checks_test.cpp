// The checks of the package and jar module names, and the lookup of a named class with its suggestions.
#include <gtest/gtest.h>

#include "app/cli/name_lookup.h"
#include "app/cli/option_checks.h"

namespace tessivar::test {
namespace {

struct NameCase {
    const char* name;
    const char* problem;  // nullptr: accepted
};

void expectProblems(std::optional<std::string> (*check)(std::string_view), std::initializer_list<NameCase> cases) {
    for (const NameCase& c : cases) {
        const auto problem = check(c.name);
        EXPECT_EQ(problem.value_or("(accepted)"), c.problem ? c.problem : "(accepted)") << "[" << c.name << "]";
    }
}

TEST(OptionChecks, JavaPackageNames) {
    expectProblems(javaPackageProblem, {
        {"", nullptr},
        {"com.example", nullptr},
        {"_x.$y.z9", nullptr},
        {"com.\xC3\xA9t\xC3\xA9", nullptr},  // letters beyond ASCII are identifier letters
        {"com.example.int", "\"int\" is a Java keyword"},
        {"_", "\"_\" is a Java keyword"},
        {"a.true", "\"true\" is a Java literal"},
        {"null", "\"null\" is a Java literal"},
        {"1bad", "\"1bad\" starts with a digit"},
        {"com.my-lib", "\"my-lib\" is not a Java identifier"},
        {"a b", "\"a b\" is not a Java identifier"},
        {"a\nb", "\"a\\x0Ab\" is not a Java identifier"},
        {"com..x", "it has an empty part"},
        {".com", "it has an empty part"},
        {"com.", "it has an empty part"},
        {"com.aux", "\"aux\" names a device on Windows, so it cannot name a folder"},
        {"Int", nullptr},
    });
}

TEST(OptionChecks, JarModuleNames) {
    expectProblems(jarModuleProblem, {
        {"ScriptingWrappers", nullptr},
        {"my wrappers-1.2", nullptr},
        {"\xC3\xA9t\xC3\xA9", nullptr},
        {"", "it is empty"},
        {".", "it names a folder"},
        {"..", "it names a folder"},
        {"a/b", "it holds the path separator /"},
        {"a\\b", "it holds the path separator \\"},
        {"a\tb", "it holds a control character"},
        {"a\x7F", "it holds a control character"},
        {"a:b", "it holds :, which Windows does not allow in file names"},
        {"a*", "it holds *, which Windows does not allow in file names"},
        {"${user.home}", "it holds $, which Ant reads as the start of a property"},
        {"name.", "it ends in a dot or a space, which Windows drops"},
        {"name ", "it ends in a dot or a space, which Windows drops"},
        {"NUL", "it names a device on Windows"},
    });
    EXPECT_EQ(jarModuleProblem(std::string(251, 'j')), std::nullopt);
    EXPECT_EQ(jarModuleProblem(std::string(252, 'j')).value_or(""), "it is longer than 251 bytes");
}

TEST(NameLookup, ExactFirstThenIgnoringCaseThenNearNames) {
    const std::vector<std::string> names = {"Scripting.Dictionary", "Scripting.FileSystemObject", "Shell.Application",
                                            "Widget", "WIDGET", "Gadget.1"};
    struct Case {
        const char* wanted;
        const char* found;
        std::vector<std::string> sameButCase, near;
    } cases[] = {
        {"Widget", "Widget", {}, {}},
        {"WIDGET", "WIDGET", {}, {}},
        {"scripting.filesystemobject", "Scripting.FileSystemObject", {}, {}},
        {"widget", "", {"Widget", "WIDGET"}, {}},
        {"Scripting.FileSystemObjct", "", {}, {"Scripting.FileSystemObject"}},
        {"gadget1", "", {}, {"Gadget.1"}},
        {"Gadget", "", {}, {}},  // two edits from Widget: too far for a name of six
        {"Gidget", "", {}, {"Widget", "WIDGET"}},
        {"Nothing.Like.It", "", {}, {}},
    };
    for (const Case& c : cases) {
        const NameLookup lookup = lookUpName(names, c.wanted);
        EXPECT_EQ(lookup.found, c.found) << c.wanted;
        EXPECT_EQ(lookup.sameButCase, c.sameButCase) << c.wanted;
        EXPECT_EQ(lookup.near, c.near) << c.wanted;
    }
}

TEST(NameLookup, SuggestionText) {
    EXPECT_EQ(didYouMean({}), "");
    EXPECT_EQ(didYouMean({"A"}), " Did you mean A?");
    EXPECT_EQ(didYouMean({"A", "B", "C"}), " Did you mean A, B or C?");
}

}  // namespace
}  // namespace tessivar::test
