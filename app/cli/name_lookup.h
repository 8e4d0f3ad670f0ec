// Finding the class or type a user named: case does not matter (ProgIDs and type names ignore it on
// Windows), and a miss comes with the nearest names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessivar {

struct NameLookup {
    std::string found;                    // the name meant; empty when none or several
    std::vector<std::string> sameButCase;  // several names equal to the wanted one ignoring case
    std::vector<std::string> near;        // on a miss: up to three names a few edits away
};

// The exact name first; else the one name equal ignoring case (compareIgnoreCase); else nothing, with
// the names within one edit in four of the wanted name's length (at least one; ignoring ASCII case),
// nearest first, then in the order given.
NameLookup lookUpName(const std::vector<std::string>& names, std::string_view wanted);

// " Did you mean A, B or C?" for the near names of a lookup; empty without any.
std::string didYouMean(const std::vector<std::string>& near);

}  // namespace tessivar
