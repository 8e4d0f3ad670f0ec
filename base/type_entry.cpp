// The order of TypeEntry sets.
#include "base/type_entry.h"

#include "base/text.h"

namespace tessivar {

bool typeEntryLess(const TypeEntry& a, const TypeEntry& b) {
    const int byGuid = compareIgnoreCase(a.guidText, b.guidText);
    if (byGuid != 0) return byGuid < 0;
    return compareCodeUnits(a.name, b.name) < 0;
}

}  // namespace tessivar
