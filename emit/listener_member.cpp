// Listener member text: the id constant line and the event method declaration.
#include "emit/listener_member.h"

#include <charconv>

#include "emit/member_text.h"
#include "mapping/java_words.h"

namespace tessivar {
namespace {

void addIdLine(std::string& out, const MemberInfo& m, const ParamInfo& r) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, m.memid).ptr;
    out += kIndent;
    out += "public int id";
    out += r.name;
    out += " = ";
    out.append(digits, end);
    out += ";\n";
}

void addDeclarationLine(std::string& out, const MemberInfo& m, const ParamInfo& r) {
    // "srcObj" is taken by the declaration itself, so a parameter of that name is renamed.
    const std::string params = parameterList(m, {"srcObj"});
    out += kIndent;
    out += "public ";
    out += r.javaType;
    out += ' ';
    out += javaMemberName(r.name);
    out += "(Object srcObj";
    if (!params.empty()) {
        out += ", ";
        out += params;
    }
    out += ") throws com.corlith.kovra.COMException;\n";
}

}  // namespace

std::string listenerMemberText(const MemberInfo& member) {
    static const ParamInfo none;
    const ParamInfo& r = member.elements.empty() ? none : member.elements.front();
    std::string text;
    addIdLine(text, member, r);
    if (member.invokeKind == INVOKE_FUNC) addDeclarationLine(text, member, r);
    return text;
}

}  // namespace tessivar
