// Writes the Ant build file into the destination folder.
#include "engine/build_file.h"

#include <stdexcept>

#include "resources/build_template.h"

namespace tessivar {
namespace {

bool isPlaceholderChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_'; }

// The length of a "$NAME$" placeholder at the start of text, or 0. Ant's own "${name}" is not one.
std::size_t placeholderLength(std::string_view text) {
    if (text.size() < 3 || text.front() != '$') return 0;
    std::size_t end = 1;
    while (end < text.size() && isPlaceholderChar(text[end])) ++end;
    return end > 1 && end < text.size() && text[end] == '$' ? end + 1 : 0;
}

// A value inside a quoted attribute: the characters XML gives a meaning there are written as references,
// so a runtime folder such as "/opt/R&D/kovra" still makes a file Ant can read. Other text stays as it is.
void appendAttributeText(std::string& out, std::string_view value) {
    for (const char c : value) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            case '\t': out += "&#9;"; break;  // a parser would read these three as blanks
            case '\n': out += "&#10;"; break;
            case '\r': out += "&#13;"; break;
            default: out += c;
        }
    }
}

}  // namespace

std::string expandBuildTemplate(std::string_view jarModule, std::string_view runtimeJarPath) {
    const std::string templ = std::string(kBuildTemplate102) + std::string(kBuildTemplate103);
    const std::string_view text = templ;
    std::string out;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::string_view rest = text.substr(pos);
        const std::size_t length = placeholderLength(rest);
        if (length == 0) {
            out += text[pos++];
            continue;
        }
        const std::string_view placeholder = rest.substr(0, length);
        if (placeholder == kProjectNamePlaceholder) appendAttributeText(out, jarModule);
        else if (placeholder == kRuntimeClassPathPlaceholder) appendAttributeText(out, runtimeJarPath);
        else throw std::logic_error("build template: unknown placeholder " + std::string(placeholder));
        pos += length;
    }
    return out;
}

void writeBuildFile(WrapperGenerator& generator) {
    const std::string path = generator.destination + kPathSeparator + "build.xml";
    SourceFile file(generator.services.files, &generator);
    if (file.open(path)) file.write(expandBuildTemplate(generator.jarModule, generator.runtimeJarPath));
    generator.logLine("Generating build file: " + path);
    file.close();
}

}  // namespace tessivar
