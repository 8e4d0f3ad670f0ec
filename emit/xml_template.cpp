// Fills the "$NAME$" placeholders of the build file templates.
#include "emit/xml_template.h"

#include <stdexcept>

namespace tessivar {
namespace {

bool isPlaceholderChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_'; }

// The length of a "$NAME$" placeholder at the start of text, or 0.
std::size_t placeholderLength(std::string_view text) {
    if (text.size() < 3 || text.front() != '$') return 0;
    std::size_t end = 1;
    while (end < text.size() && isPlaceholderChar(text[end])) ++end;
    return end > 1 && end < text.size() && text[end] == '$' ? end + 1 : 0;
}

}  // namespace

void appendXmlText(std::string& out, std::string_view value) {
    for (const char c : value) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            case '\t': out += "&#9;"; break;  // a parser would read these three as blanks in an attribute
            case '\n': out += "&#10;"; break;
            case '\r': out += "&#13;"; break;
            default: out += c;
        }
    }
}

std::string fillXmlTemplate(std::string_view templ, std::initializer_list<TemplateValue> values) {
    std::string out;
    out.reserve(templ.size());
    for (std::size_t pos = 0; pos < templ.size();) {
        const std::size_t length = placeholderLength(templ.substr(pos));
        if (length == 0) {
            out += templ[pos++];
            continue;
        }
        const std::string_view placeholder = templ.substr(pos, length);
        const TemplateValue* found = nullptr;
        for (const TemplateValue& v : values)
            if (v.placeholder == placeholder) found = &v;
        if (!found) throw std::logic_error("build template: unknown placeholder " + std::string(placeholder));
        appendXmlText(out, found->value);
        pos += length;
    }
    return out;
}

}  // namespace tessivar
