// Listener member text:
//     public int idNAME = DISPID;
//     public RESULT NAME(Object srcObj, PARAMETERS) throws com.corlith.kovra.COMException;
#include "emit/listener_member.h"

#include "emit/java_lines.h"
#include "emit/member_text.h"

namespace tessivar {

std::string listenerMemberText(const MemberInfo& member, NameChanges* changes) {
    const ParamInfo& r = member.element(0);
    // "srcObj" is taken by the declaration itself, so a parameter of that name is renamed.
    const std::string parameters = parameterList(member, {"srcObj"}, changes);
    // The id's name follows the method's, whose change is the one logged.
    const std::string name = methodName(r.name, changes);
    std::string text;
    addLfLine(text, "    public int ", listenerIdName(r.name), " = ", std::to_string(member.memid), ";");
    addLfLine(text, "    public ", r.javaType, " ", name, "(Object srcObj", parameters.empty() ? "" : ", ", parameters,
              ") throws com.corlith.kovra.COMException;");
    return text;
}

}  // namespace tessivar
