// Fills the "$NAME$" placeholders of the build file templates (Ant's and Maven's) with XML-safe values.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace tessivar {

struct TemplateValue {
    std::string_view placeholder;  // "$NAME$"
    std::string_view value;
};

// `templ` with every placeholder replaced by its value, written with appendXmlText. Values are never searched
// for placeholders, and "${name}" (Ant's and Maven's own properties) is not one. A placeholder without a
// value is a fault of the template: std::logic_error.
std::string fillXmlTemplate(std::string_view templ, std::initializer_list<TemplateValue> values);

// Appends a value for a quoted attribute or element text: the characters XML gives a meaning there are
// written as references, so a runtime folder such as "/opt/R&D/kovra" still makes a file a parser reads.
void appendXmlText(std::string& out, std::string_view value);

}  // namespace tessivar
