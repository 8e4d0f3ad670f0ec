// The order of a run's coclass set.
#include "base/class_entry.h"

#include "base/text.h"

namespace tessivar {

bool ClassEntryClsidLess::operator()(const ClassEntry& a, const ClassEntry& b) const {
    if (a.clsid.size() != b.clsid.size()) return a.clsid.size() < b.clsid.size();
    return compareIgnoreCase(a.clsid, b.clsid) < 0;
}

}  // namespace tessivar
