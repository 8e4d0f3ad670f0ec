// The header block of every generated Java file: its two forms, and paths that stay comment text.
#include <gtest/gtest.h>

#include "emit/header_block.h"

namespace tessivar::test {
namespace {

TEST(HeaderBlock, EnumFormAndCoClassFormWithoutPath) {
    const std::string web(kMakerWebAddress);
    EXPECT_EQ(headerBlock(true, std::string("C:\\lib\\widget.tlb"), "com.example.widgets.WidgetLib"),
              "//DO NOT EDIT.\r\n// created by Tessivar\r\n// from TypeLib at C:\\lib\\widget.tlb\r\n"
              "// check for latest version at " + web + "\r\n\r\npackage com.example.widgets.WidgetLib;\r\n\r\n");
    EXPECT_EQ(headerBlock(false, std::nullopt, "WidgetLib"),
              "// created by Tessivar\r\n// check for latest version at " + web + "\r\n\r\npackage WidgetLib;\r\n\r\n");
}

TEST(HeaderBlock, PathsNeverFormUnicodeEscapes) {
    const std::string text = headerBlock(false, std::string("c:\\users\\x.tlb \\\\srv\\u \\\\\\u C:\\Users"), "p");
    EXPECT_NE(text.find("// from TypeLib at c:\\\\users\\x.tlb \\\\srv\\\\u \\\\\\\\u C:\\Users\r\n"), std::string::npos);
}

}  // namespace
}  // namespace tessivar::test
