// Listener member text: the id constant line and the event method declaration.
#include "emit/listener_member.h"

#include "emit/member_text.h"
#include "mapping/java_words.h"

namespace tessivar {
namespace {

std::string idLine(const MemberInfo& m, const ParamInfo& r) {
    return std::string(kIndent) + "public int " + "id" + r.name + " = " + std::to_string(m.memid) + ";\n";
}

std::string declarationLine(const MemberInfo& m, const ParamInfo& r) {
    // "srcObj" is taken by the declaration itself, so a parameter of that name is renamed.
    const std::string params = parameterList(m, {"srcObj"});
    return std::string(kIndent) + "public " + r.javaType + " " + javaMemberName(r.name) + "(Object srcObj" +
           (params.empty() ? "" : ", " + params) + ") throws com.corlith.kovra.COMException;\n";
}

}  // namespace

std::string listenerMemberText(const MemberInfo& member) {
    static const ParamInfo none;
    const ParamInfo& r = member.elements.empty() ? none : member.elements.front();
    std::string text = idLine(member, r);
    if (member.invokeKind == INVOKE_FUNC) text += declarationLine(member, r);
    return text;
}

}  // namespace tessivar
