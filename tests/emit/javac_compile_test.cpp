// Generated Java must compile: a class run over in-memory libraries that exercise every member form,
// written to disk and compiled with javac against the runtime stand-in (tests/java/kovra-stub).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "engine/posix/posix_file_system.h"
#include "engine/wrapper_generator.h"
#include "emit/javac_support.h"
#include "support/golden_compare.h"
#include "base/guid_text.h"
#include "support/fakes.h"
#include "support/memory_typelib.h"

namespace tessivar::test {
namespace {


// The libraries: Fixtures, whose coclass Widget the run generates, and OtherLib, which it refers to.
struct Fixtures {
    std::shared_ptr<MemoryTypeLib> lib = MemoryTypeLib::create("Fixtures", guidOf(1));
    std::shared_ptr<MemoryTypeLib> other = MemoryTypeLib::create("OtherLib", guidOf(2));
    std::uint32_t nextGuid = 100;
    MemberId nextId = 1;

    unsigned iface(const std::string& name, TypeKind kind, std::uint16_t flags) {
        return lib->addInterface(name, guidOf(nextGuid++), kind, flags);
    }
    void func(unsigned type, FuncDesc f, std::vector<std::string> names, std::string doc = "") {
        lib->type(type).funcs.push_back(MemoryFunc{std::move(f), std::move(names), std::move(doc), false});
    }
    FuncDesc dispatch(InvokeKind kind, TypeDesc result, std::vector<TypeDesc> params = {}, std::int16_t opt = 0) {
        return makeFunc(nextId++, kind, FUNC_DISPATCH, std::move(result), std::move(params), opt);
    }
    // A dispatch property: getter and setter share the DISPID.
    void property(unsigned type, const std::string& name, TypeDesc t) {
        const MemberId id = nextId++;
        func(type, makeFunc(id, INVOKE_PROPERTYGET, FUNC_DISPATCH, t), {name});
        func(type, makeFunc(id, INVOKE_PROPERTYPUT, FUNC_DISPATCH, vt(VT_VOID), {t}), {name});
    }
    TypeDesc ref(unsigned from, unsigned to) { return userDefined(lib->addRef(from, lib, to)); }

    std::vector<TypeEntry> interfaces;
    unsigned widget = 0;

    Fixtures() {
        const unsigned color = lib->addEnum("WidgetColor", guidOf(nextGuid++), {{"wcRed", 0}, {"wcBlue", 1}});
        const unsigned colorAlias = iface("WidgetColorAlias", TKIND_ALIAS, 0);
        const unsigned longAlias = iface("LONG_T", TKIND_ALIAS, 0);
        lib->type(longAlias).attr.tdescAlias = vt(VT_I4);
        const unsigned point = iface("tagPOINT", TKIND_RECORD, 0);
        const unsigned size = iface("tagSIZE", TKIND_RECORD, 0);
        const unsigned hwnd = iface("wireHWND", TKIND_RECORD, 0);
        const unsigned owner = iface("IGadgetOwner", TKIND_INTERFACE, TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE);
        const unsigned gadget = iface("IGadget", TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE);
        const unsigned events = iface("_WidgetEvents", TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE);
        const unsigned automation = iface("IAutomation", TKIND_INTERFACE, TYPEFLAG_FOLEAUTOMATION);
        const unsigned gizmo = lib->addCoClass("Gizmo", guidOf(nextGuid++));
        lib->implement(gizmo, gadget, IMPLTYPEFLAG_FDEFAULT);
        widget = lib->addCoClass("Widget", guidOf(nextGuid++));
        lib->type(colorAlias).attr.tdescAlias = ref(colorAlias, color);
        const unsigned font = other->addInterface("IFont", guidOf(nextGuid++), TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE);
        other->type(font).funcs.push_back(
            MemoryFunc{makeFunc(1, INVOKE_PROPERTYGET, FUNC_DISPATCH, vt(VT_BSTR)), {"Name"}, "", false});

        // IGadget, the member-text example, with every automation type by value and by reference.
        property(gadget, "Size", vt(VT_I4));
        func(gadget, dispatch(INVOKE_FUNC, vt(VT_VOID), {vt(VT_I4), ptr(vt(VT_BSTR))}), {"Find", "index", "label"});
        func(gadget, dispatch(INVOKE_FUNC, ptr(ref(gadget, owner))), {"Owner"});
        for (std::uint16_t code : {VT_EMPTY, VT_I2, VT_I4, VT_R4, VT_R8, VT_CY, VT_DATE, VT_BSTR, VT_DISPATCH, VT_ERROR,
                                   VT_BOOL, VT_VARIANT, VT_UNKNOWN, VT_DECIMAL, VT_I1, VT_UI1, VT_UI2, VT_UI4, VT_I8,
                                   VT_UI8, VT_INT, VT_UINT, VT_HRESULT, VT_SAFEARRAY}) {
            const std::string n = std::to_string(code);
            TypeDesc t = code == VT_SAFEARRAY ? ptr(vt(VT_BSTR)) : vt(code);
            if (code == VT_SAFEARRAY) t.vt = VT_SAFEARRAY;
            func(gadget, dispatch(INVOKE_FUNC, t, {t, ptr(t), ptr(ptr(t))}), {"Call" + n, "a", "b", "c"});
            func(gadget, dispatch(INVOKE_FUNC, t), {"Plain" + n});
            property(gadget, "Prop" + n, t);
            func(gadget, dispatch(INVOKE_PROPERTYGET, t, {vt(VT_I4)}), {"Item" + n, "index"});
            func(gadget, dispatch(INVOKE_PROPERTYPUTREF, vt(VT_VOID), {vt(VT_I4), t}), {"Ref" + n, "index"});
        }
        // User-defined types: enum, alias of an enum, alias of long, records, coclass, another library.
        for (auto [name, t] : std::map<std::string, TypeDesc>{
                 {"Color", ref(gadget, color)}, {"ColorAlias", ref(gadget, colorAlias)},
                 {"LongAlias", ref(gadget, longAlias)}, {"Point", ref(gadget, point)}, {"Extent", ref(gadget, size)},
                 {"Window", ref(gadget, hwnd)}, {"Gizmo", ptr(ref(gadget, gizmo))},
                 {"Font", ptr(userDefined(lib->addRef(gadget, other, font)))}}) {
            func(gadget, dispatch(INVOKE_FUNC, t, {t, ptr(t)}), {"Use" + name, "a", "b"});
            property(gadget, name, t);
        }
        // Names: collisions, reserved names, Java keywords, empty and duplicate parameters, _NewEnum.
        func(gadget, dispatch(INVOKE_FUNC, vt(VT_I4)), {"getSize"});
        func(gadget, dispatch(INVOKE_FUNC, vt(VT_VOID), {vt(VT_I4), vt(VT_I4), vt(VT_I4), vt(VT_I4), vt(VT_I4)}),
             {"default", "class", "", "a", "a", "new"});
        for (const char* name : {"equals", "wait", "toString", "invoke", "get", "class", "true", "null", "_"})
            func(gadget, dispatch(INVOKE_FUNC, vt(VT_VOID)), {name});
        property(gadget, "Class", vt(VT_BSTR));
        property(gadget, "GuidToken", vt(VT_I4));
        func(gadget, dispatch(INVOKE_PROPERTYGET, vt(VT_UNKNOWN)), {"_NewEnum"});
        func(gadget, dispatch(INVOKE_FUNC, vt(VT_UNKNOWN)), {"_NEWENUM"});
        func(gadget, dispatch(INVOKE_FUNC, vt(VT_BSTR), {vt(VT_BSTR), vt(VT_I4), vt(VT_VARIANT)}, 2),
             {"Optional", "key", "before", "tag"});
        func(gadget, dispatch(INVOKE_FUNC, vt(VT_VOID), {vt(VT_VARIANT | VT_ARRAY)}, -1), {"Print", "args"});
        func(gadget, dispatch(INVOKE_FUNC, vt(VT_VOID)), {"Documented"},
             "Ends */ early, names C:\\users\\me and \\u0041; */");
        auto& vars = lib->type(gadget).vars;
        for (auto [name, flags] : {std::pair{"Caption", 0}, std::pair{"Id", 1}}) {
            MemoryVar v;
            v.desc.memid = nextId++;
            v.desc.varkind = VAR_DISPATCH;
            v.desc.wVarFlags = static_cast<std::uint16_t>(flags);
            v.desc.elemdescVar.tdesc = vt(VT_BSTR);
            v.name = name;
            vars.push_back(v);
        }

        // Vtable interfaces: [out, retval] results through UnknownPtr; the UnknownPtr form.
        auto retval = [](FuncDesc f) {
            f.params.back().paramDesc.flags = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;
            return f;
        };
        for (unsigned type : {owner, automation}) {
            func(type, retval(makeFunc(nextId++, INVOKE_FUNC, FUNC_PUREVIRTUAL, vt(VT_HRESULT),
                                       {vt(VT_I4), ptr(ptr(ref(type, gadget)))})),
                 {"Child", "index", "ppChild"});
            func(type, retval(makeFunc(nextId++, INVOKE_PROPERTYGET, FUNC_PUREVIRTUAL, vt(VT_HRESULT), {ptr(vt(VT_I4))})),
                 {"Count", "pVal"});
            func(type, makeFunc(nextId - 1, INVOKE_PROPERTYPUT, FUNC_PUREVIRTUAL, vt(VT_HRESULT), {vt(VT_I4)}),
                 {"Count"});
            func(type, retval(makeFunc(nextId++, INVOKE_FUNC, FUNC_PUREVIRTUAL, vt(VT_HRESULT), {ptr(vt(VT_BOOL))})),
                 {"IsEmpty", "pVal"});
        }

        // Events: methods with parameters of several kinds; a property and a vtable function give no text.
        func(events, dispatch(INVOKE_FUNC, vt(VT_VOID), {vt(VT_I4)}), {"Click", "x"});
        func(events, dispatch(INVOKE_FUNC, vt(VT_VOID), {ptr(vt(VT_BOOL)), ptr(ref(events, gadget)), vt(VT_BSTR)}),
             {"Closing", "cancel", "source", "srcObj"});
        func(events, dispatch(INVOKE_FUNC, vt(VT_VOID), {vt(VT_I4), vt(VT_I4)}), {"default", "", "int"});
        func(events, dispatch(INVOKE_FUNC, vt(VT_BOOL), {vt(VT_I4)}, 1), {"Ask", "level"});
        func(events, dispatch(INVOKE_PROPERTYGET, vt(VT_I4)), {"Level"});
        func(events, makeFunc(nextId++, INVOKE_FUNC, FUNC_PUREVIRTUAL, vt(VT_HRESULT)), {"Raw"});

        for (auto [type, flags] : {std::pair<unsigned, std::int32_t>{gadget, IMPLTYPEFLAG_FDEFAULT}, {automation, 0},
                                   {events, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE}}) {
            lib->implement(widget, type, flags);
            TypeEntry e;
            e.typeInfo = lib->info(type);
            e.name = lib->type(type).name;
            e.libName = lib->name;
            e.guidText = guidText(lib->type(type).attr.guid);
            e.typeLibPath = "/lib/fixtures.tlb";
            e.kind = flags;
            interfaces.push_back(e);
        }
    }
};

// Runs the class run for Widget into `destination` on the real disk.
void generateFixtures(const std::string& destination, const std::string& runtime, const std::string& package) {
    Fixtures fx;
    PosixFileSystem files;
    EmptyRegistry registry;
    MemoryLoader loader;
    MemorySettingsStore settings;
    RecordingUi ui;
    WrapperGenerator generator(Services{files, registry, loader, settings, ui}, false);
    ClassEntry entry{"", guidText(fx.lib->type(fx.widget).attr.guid), "Fixtures.Widget", "/lib/fixtures.tlb", fx.lib};
    ASSERT_TRUE(generator.runClass(entry, fx.interfaces, destination, package, "Fixtures", runtime));
    EXPECT_EQ(generator.outputFailures(), 0);
}

TEST_F(JavacTest, FixtureLibrariesCompileWithAndWithoutPackage) {
    for (const std::string package : {"com.example", ""}) {
        const fs::path destination = work / ("out-" + (package.empty() ? std::string("nopackage") : package));
        generateFixtures(destination.string(), (work / "runtime").string(), package);
        EXPECT_TRUE(fs::exists(destination / "src" / fs::path(package.empty() ? "" : "com/example") / "OtherLib" /
                               "IFont.java"));
        EXPECT_TRUE(compiles(destination)) << "package \"" << package << "\"";
    }
}

TEST_F(JavacTest, TwoRunsGiveTheSameBytes) {
    generateFixtures((work / "first").string(), (work / "runtime").string(), "com.example");
    generateFixtures((work / "second").string(), (work / "runtime").string(), "com.example");
    const auto first = filesUnder(work / "first");
    EXPECT_GT(first.size(), 5u);
    EXPECT_TRUE(first == filesUnder(work / "second"));
}

}  // namespace
}  // namespace tessivar::test
