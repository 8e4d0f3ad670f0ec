// Names near a name that was not found: what a miss suggests instead.
#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar {

// Edit distance folding ASCII letters (insert, delete, replace, swap two neighbours: one edit each);
// texts longer than `limit` bytes count as `limit` + 1 away.
std::size_t editDistanceIgnoringCase(std::string_view a, std::string_view b, std::size_t limit);

// Up to `most` of `names` within `maxDistance` edits of `name`, closest first; equally close names keep
// their order in `names`, and a name is given once. Names over 256 bytes are compared as that far away.
std::vector<std::string> closestNames(std::string_view name, const std::vector<std::string>& names,
                                      std::size_t most = 3,
                                      std::size_t maxDistance = std::numeric_limits<std::size_t>::max());

}  // namespace tessivar
