// Name lookup ignoring case, and the suggestions for a name not found.
#include "app/cli/name_lookup.h"

#include <algorithm>

#include "base/near_names.h"
#include "base/text.h"

namespace tessivar {
namespace {

constexpr std::size_t kMaxSuggestions = 3;

}  // namespace

NameLookup lookUpName(const std::vector<std::string>& names, std::string_view wanted) {
    NameLookup result;
    if (std::find(names.begin(), names.end(), wanted) != names.end()) {
        result.found = wanted;
        return result;
    }
    for (const std::string& name : names)
        if (compareIgnoreCase(name, wanted) == 0 &&
            std::find(result.sameButCase.begin(), result.sameButCase.end(), name) == result.sameButCase.end())
            result.sameButCase.push_back(name);
    if (result.sameButCase.size() == 1) {
        result.found = result.sameButCase.front();
        result.sameButCase.clear();
    }
    if (!result.found.empty() || !result.sameButCase.empty()) return result;

    // One edit in four, at least one: enough for a typo or two in a long name, not so much that a short
    // name is "near" every other short name.
    result.near = closestNames(wanted, names, kMaxSuggestions, std::max<std::size_t>(1, wanted.size() / 4));
    return result;
}

std::string didYouMean(const std::vector<std::string>& near) {
    return near.empty() ? std::string() : " Did you mean " + listText(near, " or ") + "?";
}

}  // namespace tessivar
