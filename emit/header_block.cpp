// The header block of every generated Java file.
#include "emit/header_block.h"

#include "mapping/java_text.h"

namespace tessivar {

std::string headerBlock(bool enumForm, const std::optional<std::string>& typeLibPath, std::string_view javaPackage) {
    std::string out;
    if (enumForm) out += "//DO NOT EDIT.\r\n";
    out += "// created by Tessivar\r\n";
    if (typeLibPath) {
        out += "// from TypeLib at ";
        out += lineCommentText(*typeLibPath);
        out += "\r\n";
    }
    out += "// check for latest version at ";
    out += kMakerWebAddress;
    out += "\r\n\r\npackage ";
    out += javaPackage;
    out += ";\r\n\r\n";
    return out;
}

}  // namespace tessivar
