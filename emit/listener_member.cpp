// Listener member text: the id constant line and the event method declaration.
#include "emit/listener_member.h"

#include <charconv>

#include "emit/member_text.h"
#include "mapping/java_words.h"

namespace tessivar {
namespace {

// The id's name follows the method's, whose change is the one logged.
void addIdLine(std::string& out, const MemberInfo& m, const ParamInfo& r) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, m.memid).ptr;
    out += kIndent;
    out += "public int id";
    out += javaIdentifier(r.name, JavaNameUse::NamePart);
    out += " = ";
    out.append(digits, end);
    out += ";\n";
}

void addDeclarationLine(std::string& out, const MemberInfo& m, const ParamInfo& r, NameChanges* changes) {
    // "srcObj" is taken by the declaration itself, so a parameter of that name is renamed.
    const std::string params = parameterList(m, {"srcObj"}, changes);
    const std::string name = javaIdentifier(r.name, JavaNameUse::Method);
    if (changes && name != r.name) changes->emplace_back(r.name, name);
    out += kIndent;
    out += "public ";
    out += r.javaType;
    out += ' ';
    out += name;
    out += "(Object srcObj";
    if (!params.empty()) {
        out += ", ";
        out += params;
    }
    out += ") throws com.corlith.kovra.COMException;\n";
}

}  // namespace

std::string listenerMemberText(const MemberInfo& member, NameChanges* changes) {
    static const ParamInfo none;
    const ParamInfo& r = member.elements.empty() ? none : member.elements.front();
    std::string text;
    addIdLine(text, member, r);
    if (member.invokeKind == INVOKE_FUNC) addDeclarationLine(text, member, r, changes);
    return text;
}

}  // namespace tessivar
