// The class part: the IWidget examples in class, UnknownPtr and interface mode byte for byte, and the
// import and package rules.
#include <gtest/gtest.h>

#include "emit/class_part.h"
#include "emit_fixture.h"
#include "golden.h"

namespace tessivar::test {
namespace {

class ClassPartTest : public ::testing::Test {
protected:
    ClassPartTest() {
        g.package = "com.example";
        g.currentLibName = "widgets";
        g.referencedLibs = {"stdole", "widgets"};
    }

    std::string classPart(const std::string& name, const std::string& guid, bool unknownPtr, bool interfaceMode) {
        TypeEntry entry;
        entry.name = name;
        entry.guidText = guid;
        ensureFolder(fx.files, "/out");
        SourceFile file(fx.files);
        file.open("/out/part.java");
        writeClassPart(g, "C:\\Lib\\widgets.tlb", file, entry, unknownPtr, interfaceMode);
        file.close();
        return fx.fileText("/out/part.java");
    }

    std::string importsOf(const std::string& text) {
        std::string imports;
        for (std::size_t at = text.find("import "); at != std::string::npos; at = text.find("import ", at + 1))
            imports += text.substr(at, text.find('\n', at) - at + 1);
        return imports;
    }

    EmitFixture fx;
    WrapperGenerator& g = fx.generator;
};

const std::string kWidgetGuid = "{6B1D2C3E-4F50-4A61-8B72-9C83D4E5F607}";

TEST_F(ClassPartTest, ExamplesMatchGoldenFiles) {
    EXPECT_TRUE(matchesGolden("iwidget_class_part.txt", classPart("IWidget", kWidgetGuid, false, false)));
    EXPECT_TRUE(matchesGolden("iwidget_unknownptr_class_part.txt", classPart("IWidget", kWidgetGuid, true, false)));
    EXPECT_TRUE(matchesGolden("iwidgetevents_interface_part.txt",
                              classPart("IWidgetEvents", "{6B1D2C3E-4F50-4A61-8B72-9C83D4E5F608}", false, true)));
}

TEST_F(ClassPartTest, ProxyIIDLineEndsWithLfCrLfInBothModes) {
    for (bool interfaceMode : {false, true}) {
        const std::string text = classPart("IWidget", kWidgetGuid, false, interfaceMode);
        EXPECT_NE(text.find("new GUID(\"" + kWidgetGuid + "\");\n\r\n"), std::string::npos);
    }
}

TEST_F(ClassPartTest, LibraryImportsSkipTheOwnLibraryAndVBRUN) {
    g.referencedLibs = {"VBRUN", "Alpha", "stdole", "widgets", "vbrun"};
    EXPECT_EQ(importsOf(classPart("IWidget", kWidgetGuid, false, true)),
              "import com.corlith.kovra.*;\r\nimport java.util.*;\r\nimport com.example.Alpha.*;\r\n"
              "import com.example.stdole.*;\r\nimport com.example.vbrun.*;\r\n");

    // Without a package the library name alone is the package, and the own library is still skipped.
    g.package = "";
    const std::string text = classPart("IWidget", kWidgetGuid, false, true);
    EXPECT_NE(text.find("package widgets;\r\n"), std::string::npos);
    EXPECT_EQ(importsOf(text), "import com.corlith.kovra.*;\r\nimport java.util.*;\r\nimport Alpha.*;\r\n"
                               "import stdole.*;\r\nimport vbrun.*;\r\n");

    // A library named like the whole package text is not imported either.
    g.package = "";
    g.currentLibName = "stdole";
    EXPECT_EQ(importsOf(classPart("IWidget", kWidgetGuid, false, true)).find("import stdole.*;"), std::string::npos);
}

TEST_F(ClassPartTest, PackageSettingInPathFormAndEmptyLibrary) {
    g.package = "com/example";
    g.currentLibName = "";
    g.referencedLibs = {"widgets"};
    const std::string text = classPart("IWidget", kWidgetGuid, false, false);
    EXPECT_NE(text.find("package com.example;\r\n"), std::string::npos);
    EXPECT_NE(text.find("import com.example.widgets.*;\r\n"), std::string::npos);
}

TEST_F(ClassPartTest, TypeNameIsWrittenUnchanged) {
    const std::string text = classPart("equals", kWidgetGuid, false, false);
    EXPECT_NE(text.find("public class equals extends DispatchPtr {"), std::string::npos);
    EXPECT_NE(text.find("registerProxy(proxyIID, equals.class);"), std::string::npos);
    EXPECT_NE(text.find("    public equals(GUID ClsID) throws"), std::string::npos);
}

}  // namespace
}  // namespace tessivar::test
