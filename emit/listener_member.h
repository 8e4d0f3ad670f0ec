// The text of one member of a Java listener interface: its DISPID constant and, for a method, the
// declaration whose first parameter is the object that raised the event.
#pragma once

#include <string>

#include "mapping/member_info.h"
#include "emit/member_text.h"

namespace tessivar {

// Lines end with LF alone; the listener file adds CR LF after the text. The names the Java mapping
// changed are added to `changes` when it is given.
std::string listenerMemberText(const MemberInfo& member, NameChanges* changes = nullptr);

}  // namespace tessivar
