// The members of proxies and listeners, kept for the class runs that write a type again.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "emit/member_text.h"
#include "emit/emit_run.h"

namespace tessivar {

// The members of a proxy as collecting them recorded and wrote them. Collecting reads only the type, the
// run's library name and package and constants of the request (see TypeRecorder), so a run makes the
// recorded changes to its state again and writes the same text instead of collecting anew.
struct CollectedMembers {
    std::shared_ptr<const TypeLib> lib;  // keeps the library of a kept entry's key alive
    std::string libName, package;
    TypeAttr attr;
    RecordedChanges changes;
    std::string text;
    NameChanges nameChanges;  // logged by the run that writes the text

    bool collectedFrom(const TypeRecorder& run, const TypeAttr& a) const {
        return libName == run.currentLibName && package == run.package && attr.guid == a.guid &&
               attr.cFuncs == a.cFuncs && attr.cVars == a.cVars && attr.wTypeFlags == a.wTypeFlags;
    }
};

// The members of the proxy of `entry`, type `index` of `lib`, with their changes made to the run state.
// The run's currentLibName is the library's name.
std::shared_ptr<const CollectedMembers> membersOf(EmitRun& run, const TypeEntry& entry,
                                                  const std::shared_ptr<const TypeLib>& lib, unsigned index,
                                                  const TypeAttr& attr);

// The listener members of event interface `index` of `lib`, kept like proxy members from the second time
// they are met; `collectText` collects them (the types they refer to are recorded) and appends their text.
std::shared_ptr<const CollectedMembers> listenerMembersOf(EmitRun& run,
                                                          const std::shared_ptr<const TypeLib>& lib, unsigned index,
                                                          const TypeAttr& attr,
                                                          const std::function<void(std::string& text, NameChanges& changes)>& collectText);

}  // namespace tessivar
