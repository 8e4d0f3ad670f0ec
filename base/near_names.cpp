// Edit distances between names, and the names closest to one.
#include "base/near_names.h"

#include <algorithm>
#include <utility>

namespace tessivar {
namespace {

// Names from a registry or a type library can be long; past this many bytes a name is no suggestion,
// which also bounds the work of a distance to kMaxCompared squared.
constexpr std::size_t kMaxCompared = 256;

char folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

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

std::vector<std::string> closestNames(std::string_view name, const std::vector<std::string>& names,
                                      std::size_t most, std::size_t maxDistance) {
    std::vector<std::pair<std::size_t, const std::string*>> ranked;  // distance, name
    for (const std::string& candidate : names) {
        const bool seen = std::any_of(ranked.begin(), ranked.end(), [&](const auto& r) { return *r.second == candidate; });
        if (seen) continue;
        const std::size_t distance = editDistanceIgnoringCase(candidate, name, kMaxCompared);
        if (distance <= maxDistance) ranked.emplace_back(distance, &candidate);
    }
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<std::string> closest;
    for (std::size_t i = 0; i < ranked.size() && i < most; ++i) closest.push_back(*ranked[i].second);
    return closest;
}

}  // namespace tessivar
