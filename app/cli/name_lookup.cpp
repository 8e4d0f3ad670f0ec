// Name lookup ignoring case, and the suggestions for a name not found.
#include "app/cli/name_lookup.h"

#include <algorithm>
#include <cctype>

#include "base/text.h"

namespace tessivar {
namespace {

// Names from a registry can be long; past this many bytes a name is no suggestion, which also bounds
// the work of a distance to kMaxCompared squared.
constexpr std::size_t kMaxCompared = 256;
constexpr std::size_t kMaxSuggestions = 3;

char folded(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

}  // namespace

std::size_t editDistanceIgnoringCase(std::string_view a, std::string_view b, std::size_t limit) {
    if (a.size() > limit || b.size() > limit) return limit + 1;
    // Rows i-2, i-1 and i of the table: insertions, deletions, replacements, and two neighbouring
    // characters swapped, each one edit (the commonest typo counts once).
    std::vector<std::size_t> before(b.size() + 1), above(b.size() + 1), row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) above[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const bool same = folded(a[i - 1]) == folded(b[j - 1]);
            row[j] = std::min({above[j] + 1, row[j - 1] + 1, above[j - 1] + (same ? 0 : 1)});
            if (i > 1 && j > 1 && folded(a[i - 1]) == folded(b[j - 2]) && folded(a[i - 2]) == folded(b[j - 1]))
                row[j] = std::min(row[j], before[j - 2] + 1);
        }
        std::swap(before, above);
        std::swap(above, row);
    }
    return above[b.size()];
}

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
    const std::size_t allowed = std::max<std::size_t>(1, wanted.size() / 4);
    std::vector<std::pair<std::size_t, std::string>> near;
    for (const std::string& name : names) {
        const std::size_t gap = name.size() > wanted.size() ? name.size() - wanted.size() : wanted.size() - name.size();
        if (gap > allowed) continue;
        const std::size_t distance = editDistanceIgnoringCase(name, wanted, kMaxCompared);
        if (distance > allowed) continue;
        const bool known = std::any_of(near.begin(), near.end(), [&](const auto& n) { return n.second == name; });
        if (!known) near.emplace_back(distance, name);
    }
    std::stable_sort(near.begin(), near.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    for (std::size_t i = 0; i < near.size() && i < kMaxSuggestions; ++i) result.near.push_back(near[i].second);
    return result;
}

std::string didYouMean(const std::vector<std::string>& near) {
    if (near.empty()) return {};
    std::string text = " Did you mean ";
    for (std::size_t i = 0; i < near.size(); ++i) {
        if (i > 0) text += i + 1 == near.size() ? " or " : ", ";
        text += near[i];
    }
    return text + "?";
}

}  // namespace tessivar
