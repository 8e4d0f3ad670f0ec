// The header block of every generated Java file.
#include "emit/header_block.h"

#include "emit/java_lines.h"
#include "mapping/java_text.h"

namespace tessivar {

std::string headerBlock(bool enumForm, const std::optional<std::string>& typeLibPath, std::string_view javaPackage) {
    std::string out;
    if (enumForm) addLine(out, "//DO NOT EDIT.");
    addLine(out, "// created by Tessivar");
    if (typeLibPath) addLine(out, "// from TypeLib at ", lineCommentText(*typeLibPath));
    addLine(out, "// check for latest version at ", kMakerWebAddress);
    addLine(out);
    addLine(out, "package ", javaPackage, ";");
    addLine(out);
    return out;
}

}  // namespace tessivar
