// The text of one event method of a Java listener interface: its DISPID constant and its declaration,
// whose first parameter is the object that raised the event.
#pragma once

#include <string>

#include "mapping/member_info.h"
#include "mapping/member_names.h"

namespace tessivar {

// Both lines end with LF alone (see addLfLine). The names the Java mapping changed are added to `changes`
// when it is given.
std::string listenerMemberText(const MemberInfo& member, NameChanges* changes = nullptr);

}  // namespace tessivar
