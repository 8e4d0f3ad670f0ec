// A class run with the real enum, CoClass and build file writers: the Widget example from end to end.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/wrapper_generator.h"
#include "emit/coclass.h"
#include "emit/enum_interface.h"
#include "emit/build_file.h"
#include "base/guid_text.h"
#include "mapping/type_mapping.h"
#include "support/fakes.h"
#include "support/memory_typelib.h"

namespace tessivar::test {
namespace {

using ::testing::ElementsAre;

TEST(WidgetRun, EnumCoClassesAndBuildFileFollowTheInterfaces) {
    MemoryFileSystem files;
    files.folders.insert("/kovra");
    files.addFile("/kovra/kovra.jar");
    files.addFile("/kovra/kovra.dll");
    EmptyRegistry registry;
    MemoryLoader loader;
    MemorySettingsStore settings;
    RecordingUi ui;

    // IWidget uses the enum WidgetColor and the coclass Gadget, whose default interface is IGadget.
    auto lib = MemoryTypeLib::create("WidgetLib", guidOf(1));
    const unsigned iWidget = lib->addInterface("IWidget", guidOf(10), TKIND_DISPATCH, TYPEFLAG_FDUAL);
    const unsigned color = lib->addEnum("WidgetColor", guidOf(12), {{"wcRed", 0}});
    const unsigned iGadget = lib->addInterface("IGadget", guidOf(13), TKIND_DISPATCH, 0);
    const unsigned gadget = lib->addCoClass("Gadget", guidOf(21));
    lib->implement(gadget, iGadget, IMPLTYPEFLAG_FDEFAULT);
    const unsigned widget = lib->addCoClass("Widget", guidOf(20));
    lib->implement(widget, iWidget, IMPLTYPEFLAG_FDEFAULT);
    const TypeDesc colorParam = userDefined(lib->addRef(iWidget, lib, color));
    const TypeDesc gadgetParam = ptr(userDefined(lib->addRef(iWidget, lib, gadget)));
    loader.add("/lib/widget.tlb", lib);

    std::vector<std::string> javaTypes;
    Emitters emitters;
    emitters.dispatchInterface = [&](EmitRun& g, TypeEntry entry, const std::string&) {
        g.logLine("Generating Dispatch interface: " + entry.name);
        g.doneInterfaces.insert(entry);
        g.currentLibName = "WidgetLib";
        for (const TypeDesc& param : {colorParam, gadgetParam}) {
            if (entry.name != "IWidget") break;
            std::shared_ptr<const TypeInfo> context = entry.typeInfo;
            std::string javaType;
            std::int32_t depth = 0;
            resolveTypeDesc(g, param, context, javaType, depth);
            javaTypes.push_back(javaType);
        }
    };
    emitters.enums = writeEnumInterfaces;
    emitters.coClasses = writeCoClasses;
    emitters.buildFile = writeBuildFile;

    WrapperGenerator generator(Services{files, registry, loader, settings, ui}, false, emitters);
    TypeEntry first;
    first.name = "IWidget";
    first.typeInfo = lib->info(iWidget);
    first.guidText = guidText(guidOf(10));
    first.kind = IMPLTYPEFLAG_FDEFAULT;
    ASSERT_TRUE(generator.runClass(ClassEntry{"{LIB}", guidText(guidOf(20)), "WidgetLib.Widget", "/lib/widget.tlb", nullptr},
                                   {first}, "/out", "com.example", "WidgetWrappers", "/kovra"));

    EXPECT_THAT(javaTypes, ElementsAre("int", "IGadget"));
    const std::string folder = "/out/src/com/example/WidgetLib/";
    EXPECT_THAT(ui.log, ElementsAre("Creating folder: /out", "Current Directory: /kovra",
                                    "Generating Dispatch interface: IWidget", "Generating Dispatch interface: IGadget",
                                    "Generating enum interface: " + folder + "WidgetColor.java",
                                    "Generating CoClass interface: " + folder + "Widget.java",
                                    "Generating CoClass interface: " + folder + "Gadget.java",
                                    "Generating build file: /out/build.xml"));
    EXPECT_NE(files.file(folder + "Widget.java").value_or("").find("// from TypeLib at /lib/widget.tlb\r\n"),
              std::string::npos);
    EXPECT_EQ(files.file(folder + "Gadget.java").value_or("").find("// from TypeLib at"), std::string::npos);
    EXPECT_NE(slashed(files.file("/out/build.xml").value_or("")).find("value=\"/kovra/kovra.jar\""), std::string::npos);
}

}  // namespace
}  // namespace tessivar::test
