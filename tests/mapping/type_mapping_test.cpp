// Java type mapping: the worked examples as a golden table, every vt row, and the resolution edge cases.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/guid_text.h"
#include "emit/member_collector.h"
#include "mapping/type_mapping.h"
#include "support/fakes.h"
#include "support/golden_compare.h"
#include "support/memory_typelib.h"

namespace tessivar::test {
namespace {

using ::testing::ElementsAre;

// A recorder whose current library is WidgetLib, package com.example.widgets.
struct MappingFixture : ::testing::Test {
    TypeRecorder generator;

    std::shared_ptr<MemoryTypeLib> lib = MemoryTypeLib::create("WidgetLib", guidOf(1));
    unsigned owner = lib->addInterface("IWidgetTest", guidOf(2), TKIND_DISPATCH, TYPEFLAG_FDUAL);

    MappingFixture() {
        generator.currentLibName = "WidgetLib";
        generator.package = "com.example.widgets";
    }

    // A reference from the owning interface to type `index` of `target`.
    TypeDesc refTo(unsigned index, const std::shared_ptr<MemoryTypeLib>& target = nullptr) {
        return userDefined(lib->addRef(owner, target ? target : lib, index));
    }

    // The parameter "value" of a new dispatch function of the owner, of type `desc`, as the member
    // collector maps it.
    ParamInfo mapElement(const TypeDesc& desc) {
        const FuncDesc func = makeFunc(nextMemid++, INVOKE_FUNC, FUNC_DISPATCH, vt(VT_VOID), {desc});
        lib->type(owner).funcs.push_back(MemoryFunc{func, {"Use", "value"}, ""});
        MemberInfo member;
        collectDispatchFunction(generator, lib->info(owner), func, "", member);
        return member.elements.at(1);
    }

    std::string describe(const std::string& example, const TypeDesc& desc) {
        const ParamInfo p = mapElement(desc);
        return example + ": vt=" + std::to_string(p.vt) + " javaType=" + p.javaType +
               " boxedType=" + std::string(p.boxedType()) + " isPrimitive=" + (p.isPrimitive ? "yes" : "no") +
               " byRef=" + std::to_string(p.byRef) +
               " holder=" + (p.byRef >= 1 ? refHolderName(p) : "-") + "\n";
    }

    MemberId nextMemid = 1;

    unsigned addAlias(const std::string& name, std::uint32_t n, TypeDesc aliased) {
        const unsigned index = lib->addInterface(name, guidOf(n), TKIND_ALIAS, 0);
        lib->type(index).attr.tdescAlias = std::move(aliased);
        return index;
    }

    // The referenced types of a recorder as "name kind".
    static std::vector<std::string> namesAndKinds(const TypeRecorder& recorder) {
        std::vector<std::string> queued;
        for (const TypeEntry& e : recorder.referencedTypes) queued.push_back(e.name + " " + std::to_string(e.kind));
        return queued;
    }

    std::vector<std::string> referencedNames() const {
        std::vector<std::string> names;
        for (const TypeEntry& e : generator.referencedTypes) names.push_back(e.name + " " + e.guidText);
        return names;
    }
};

using TypeMappingTest = MappingFixture;

TEST_F(TypeMappingTest, WorkedExamplesMatchGolden) {
    const unsigned gadget = lib->addInterface("IGadget", guidOf(10), TKIND_INTERFACE, TYPEFLAG_FDUAL);
    const unsigned color = lib->addEnum("WidgetColor", guidOf(11), {{"wcRed", 0}});
    const unsigned rect = lib->addInterface("tagRECT", guidOf(12), TKIND_RECORD, 0);
    const unsigned size = lib->addInterface("tagSIZE", guidOf(13), TKIND_RECORD, 0);
    const unsigned widgetId = addAlias("WidgetId", 14, vt(VT_I4));
    const unsigned colorAlias = addAlias("ColorAlias", 15, {});
    lib->type(colorAlias).attr.tdescAlias = userDefined(lib->addRef(colorAlias, lib, color));
    const unsigned sizeAlias = addAlias("SizeAlias", 16, {});
    lib->type(sizeAlias).attr.tdescAlias = userDefined(lib->addRef(sizeAlias, lib, size));
    const unsigned iWidget = lib->addInterface("IWidget", guidOf(17), TKIND_DISPATCH, TYPEFLAG_FDUAL);
    const unsigned widget = lib->addCoClass("Widget", guidOf(18));
    lib->implement(widget, iWidget, IMPLTYPEFLAG_FDEFAULT);
    const unsigned iEngine = lib->addInterface("IEngine", guidOf(19), TKIND_INTERFACE, 0);
    const unsigned engine = lib->addCoClass("Engine", guidOf(20));
    lib->implement(engine, iEngine, IMPLTYPEFLAG_FDEFAULT);
    auto stdole = MemoryTypeLib::create("stdole", guidOf(100));
    const unsigned font = stdole->addInterface("IFont", guidOf(101), TKIND_DISPATCH, 0);

    TypeDesc bstrArray = vt(VT_SAFEARRAY);
    bstrArray.pointee = std::make_shared<const TypeDesc>(vt(VT_BSTR));

    const std::string table = describe("long*", ptr(vt(VT_I4))) + describe("BSTR*", ptr(vt(VT_BSTR))) +
                              describe("IDispatch**", ptr(ptr(vt(VT_DISPATCH)))) +
                              describe("IGadget*", ptr(refTo(gadget))) + describe("WidgetColor", refTo(color)) +
                              describe("VARIANT*", ptr(vt(VT_VARIANT))) + describe("SAFEARRAY(BSTR)", bstrArray) +
                              describe("tagRECT", refTo(rect)) + describe("tagSIZE", refTo(size)) +
                              describe("WidgetId (typedef long)", refTo(widgetId)) +
                              describe("ColorAlias (typedef WidgetColor)", refTo(colorAlias)) +
                              describe("SizeAlias (typedef tagSIZE)", refTo(sizeAlias)) +
                              describe("Widget* (coclass, default dispatch IWidget)", ptr(refTo(widget))) +
                              describe("Engine* (coclass, only vtable IEngine)", ptr(refTo(engine))) +
                              describe("IFont* (library stdole)", ptr(refTo(font, stdole)));
    EXPECT_TRUE(matchesGolden("type_mapping/examples.txt", table));
}

TEST_F(TypeMappingTest, EnumsAndAliasesOfEnumsAreQueuedForGeneration) {
    const unsigned color = lib->addEnum("WidgetColor", guidOf(11), {});
    const unsigned colorAlias = addAlias("ColorAlias", 15, {});
    lib->type(colorAlias).attr.tdescAlias = userDefined(lib->addRef(colorAlias, lib, color));
    mapElement(refTo(color));
    mapElement(refTo(colorAlias));
    // The alias is recorded under its own name with the enum's GUID, so both entries stay.
    EXPECT_THAT(referencedNames(), ElementsAre("ColorAlias " + guidText(guidOf(11)), "WidgetColor " + guidText(guidOf(11))));
    EXPECT_THAT(generator.referencedLibs, ElementsAre("WidgetLib"));
}

TEST_F(TypeMappingTest, AliasChainsAreFollowedToTheirEnd) {
    // typedef long Wide; typedef Wide Chain; and typedef ColorAlias ColorChain over an enum: a Java type
    // named after the first alias would name a class that is never generated.
    const unsigned wide = addAlias("Wide", 30, vt(VT_I8));
    const unsigned chain = addAlias("Chain", 31, {});
    lib->type(chain).attr.tdescAlias = userDefined(lib->addRef(chain, lib, wide));
    const unsigned color = lib->addEnum("WidgetColor", guidOf(11), {});
    const unsigned colorAlias = addAlias("ColorAlias", 15, {});
    lib->type(colorAlias).attr.tdescAlias = userDefined(lib->addRef(colorAlias, lib, color));
    const unsigned colorChain = addAlias("ColorChain", 32, {});
    lib->type(colorChain).attr.tdescAlias = userDefined(lib->addRef(colorChain, lib, colorAlias));
    // A cycle of aliases ends, in the type that stands for what has no Java form: no class is generated
    // for an alias.
    const unsigned loop = addAlias("Loop", 33, {});
    lib->type(loop).attr.tdescAlias = userDefined(lib->addRef(loop, lib, loop));

    EXPECT_EQ(mapElement(refTo(chain)).javaType, "java.math.BigInteger");
    EXPECT_EQ(mapElement(refTo(colorChain)).javaType, "int");
    const ParamInfo looped = mapElement(refTo(loop));
    EXPECT_EQ(looped.vt, VT_UNKNOWN);
    EXPECT_EQ(looped.javaType, "IUnknown");
}

// Every row of the vt table, with refHolderName beside it. A row that keeps the resolved text is seen with
// an alias named "Resolved" of the code (for VT_USERDEFINED, an interface of that name), which resolves to
// the code and its name.
TEST_F(TypeMappingTest, EveryRowOfTheVtTable) {
    struct Row {
        std::uint16_t vt;
        const char* javaType;
        const char* boxedType;
        bool isPrimitive;
        const char* holder;
    };
    const Row rows[] = {
        {0, "IUnknown", "IUnknown", false, "ObjectRef"},
        {1, "Resolved", "Resolved", false, "ObjectRef"},
        {2, "short", "java.lang.Short", true, "ShortRef"},
        {3, "int", "java.lang.Integer", true, "IntegerRef"},
        {4, "float", "java.lang.Float", true, "FloatRef"},
        {5, "double", "java.lang.Double", true, "DoubleRef"},
        {6, "com.corlith.kovra.CurrencyValue", "com.corlith.kovra.CurrencyValue", false, "CurrencyValueRef"},
        {7, "java.util.Date", "java.util.Date", false, "DateRef"},
        {8, "java.lang.String", "java.lang.String", false, "StringRef"},
        {9, "DispatchPtr", "DispatchPtr", false, "ObjectRef"},
        {10, "long", "java.lang.Long", true, "LongRef"},
        {11, "boolean", "java.lang.Boolean", true, "BooleanRef"},
        {12, "java.lang.Object", "java.lang.Object", false, "ObjectRef"},
        {13, "IUnknown", "IUnknown", false, "ObjectRef"},
        {14, "com.corlith.kovra.Decimal", "com.corlith.kovra.Decimal", false, "Decimal"},
        {15, "Resolved", "Resolved", false, "ObjectRef"},
        {16, "byte", "java.lang.Byte", true, "ByteRef"},
        {17, "byte", "java.lang.Byte", true, "ByteRef"},
        {18, "char", "java.lang.Character", true, "CharRef"},
        {19, "int", "java.lang.Integer", true, "IntegerRef"},
        {20, "java.math.BigInteger", "java.math.BigInteger", false, "BigIntegerRef"},
        {21, "java.math.BigInteger", "java.math.BigInteger", false, "BigIntegerRef"},
        {22, "int", "java.lang.Integer", true, "IntegerRef"},
        {23, "int", "java.lang.Integer", true, "IntegerRef"},
        {24, "void", "", false, "ObjectRef"},
        {25, "int", "java.lang.Integer", true, "IntegerRef"},
        {26, "Resolved", "Resolved", false, "ObjectRef"},
        {27, "java.lang.Object", "java.lang.Object", false, "ObjectRef"},
        {28, "Resolved", "Resolved", false, "ObjectRef"},       // VT_CARRAY
        {29, "Resolved", "Resolved", false, "ObjectRef"},       // VT_USERDEFINED
        {30, "Resolved", "Resolved", false, "ObjectRef"},       // VT_LPSTR
        {31, "Resolved", "Resolved", false, "ObjectRef"},       // VT_LPWSTR
        {36, "Resolved", "Resolved", false, "ObjectRef"},       // VT_RECORD
        {0x2003, "Resolved", "Resolved", false, "ObjectRef"},   // VT_ARRAY | VT_I4
        {0x4003, "Resolved", "Resolved", false, "ObjectRef"},   // VT_BYREF | VT_I4
        {0xFFFF, "Resolved", "Resolved", false, "ObjectRef"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("vt " + std::to_string(row.vt));
        const bool userDefinedRow = row.vt == VT_USERDEFINED;
        const unsigned resolved = userDefinedRow ? lib->addInterface("Resolved", guidOf(200), TKIND_DISPATCH, 0)
                                                 : addAlias("Resolved", 200 + row.vt, vt(row.vt));
        const ParamInfo out = mapElement(refTo(resolved));
        EXPECT_EQ(out.vt, row.vt);
        EXPECT_EQ(out.javaType, row.javaType);
        EXPECT_EQ(out.boxedType(), row.boxedType);
        EXPECT_EQ(out.isPrimitive, row.isPrimitive);
        EXPECT_EQ(out.kind, userDefinedRow ? TKIND_DISPATCH : 0);
        EXPECT_EQ(out.byRef, 0);
        EXPECT_EQ(out.name, "value");

        // By reference: in its holder, as an object; a user-defined type has one level fewer.
        const ParamInfo held = mapElement(ptr(ptr(refTo(resolved))));
        EXPECT_EQ(held.javaType, row.javaType);
        EXPECT_EQ(held.byRef, userDefinedRow ? 1 : 2);
        EXPECT_FALSE(held.isPrimitive);
        EXPECT_EQ(refHolderName(held), row.holder);
    }
}

TEST_F(TypeMappingTest, StructureAndHandleNames) {
    auto record = [&](const std::string& name) {
        return mapElement(refTo(lib->addInterface(name, guidOf(300), TKIND_RECORD, 0)));
    };
    auto dispatch = [&](const std::string& name) {
        return mapElement(refTo(lib->addInterface(name, guidOf(301), TKIND_DISPATCH, 0)));
    };
    EXPECT_EQ(record("tagPOINT").javaType, "com.corlith.kovra.win32.POINT");
    const ParamInfo rect = record("tagRECT");
    EXPECT_EQ(rect.boxedType(), "com.corlith.kovra.win32.POINT");
    EXPECT_FALSE(rect.isPrimitive);
    const ParamInfo hwnd = record("wireHWND");
    EXPECT_EQ(hwnd.javaType + " " + std::string(hwnd.boxedType()), "long java.lang.Long");
    EXPECT_TRUE(hwnd.isPrimitive);
    EXPECT_EQ(hwnd.vt, VT_USERDEFINED);
    EXPECT_EQ(record("wireHDC").javaType, "long");
    // Exact, case-sensitive names only: another record is an int, an interface keeps its name.
    EXPECT_EQ(record("tagrect").javaType, "int");
    EXPECT_EQ(dispatch("tagrect").javaType, "tagrect");
    EXPECT_EQ(dispatch("WIREHWND").javaType, "WIREHWND");
}

TEST_F(TypeMappingTest, PlainCodesAndPointerDepth) {
    EXPECT_EQ(mapElement(ptr(ptr(vt(VT_I4)))).byRef, 2);
    EXPECT_EQ(mapElement(ptr(ptr(vt(VT_I4)))).vt, VT_I4);
    EXPECT_EQ(mapElement(vt(VT_EMPTY)).javaType, "IUnknown");
    // Codes that resolveTypeDesc does not resolve keep its empty text.
    for (std::uint16_t code : {VT_LPSTR, VT_LPWSTR, VT_CARRAY, VT_NULL}) EXPECT_EQ(mapElement(vt(code)).javaType, "");
    const ParamInfo voidResult = mapElement(vt(VT_VOID));
    EXPECT_EQ(voidResult.javaType, "void");
    EXPECT_EQ(voidResult.boxedType(), "");
}

TEST_F(TypeMappingTest, UserDefinedTypesWithoutJavaFormBecomeIUnknown) {
    const unsigned module = lib->addInterface("WidgetFunctions", guidOf(30), TKIND_MODULE, 0);
    const unsigned vtableOnly = lib->addInterface("IPlain", guidOf(31), TKIND_INTERFACE, 0);
    const unsigned unionType = lib->addInterface("tagUnion", guidOf(32), TKIND_UNION, 0);
    for (unsigned index : {module, vtableOnly, unionType}) {
        const ParamInfo p = mapElement(refTo(index));
        EXPECT_EQ(p.vt, VT_UNKNOWN);
        EXPECT_EQ(p.javaType, "IUnknown");
    }
    // Interfaces with any of the dispatchable flags count as dispatch types.
    for (std::uint16_t flags : {TYPEFLAG_FDUAL, TYPEFLAG_FOLEAUTOMATION, TYPEFLAG_FDISPATCHABLE}) {
        const unsigned index = lib->addInterface("IAuto", guidOf(40 + flags), TKIND_INTERFACE, flags);
        EXPECT_EQ(mapElement(refTo(index)).javaType, "IAuto");
    }
    // Only those are queued for generation.
    std::vector<std::string> queued;
    for (const TypeEntry& e : generator.referencedTypes) queued.push_back(e.name);
    EXPECT_THAT(queued, ElementsAre("IAuto", "IAuto", "IAuto"));
}

TEST_F(TypeMappingTest, ContextFollowsTheReferencedType) {
    const unsigned gadget = lib->addInterface("IGadget", guidOf(10), TKIND_DISPATCH, 0);
    const unsigned broken = lib->addInterface("IBroken", guidOf(11), TKIND_DISPATCH, 0);
    lib->type(broken).attrStatus = kFail;
    std::string javaType = "stale";
    std::int32_t depth = 0;

    // A handle that resolves to nothing: IUnknown, and the context stays.
    std::shared_ptr<const TypeInfo> context = lib->info(owner);
    TypeDesc r = resolveTypeDesc(generator, userDefined(0xDEAD), context, javaType, depth);
    EXPECT_EQ(r.vt, VT_UNKNOWN);
    EXPECT_EQ(javaType, "IUnknown");
    EXPECT_EQ(typeName(*context), "IWidgetTest");

    // A referenced type: the context becomes that type, also when its attributes cannot be read.
    r = resolveTypeDesc(generator, refTo(gadget), context, javaType, depth);
    EXPECT_EQ(typeName(*context), "IGadget");
    context = lib->info(owner);
    r = resolveTypeDesc(generator, refTo(broken), context, javaType, depth);
    EXPECT_EQ(r.vt, VT_USERDEFINED);
    EXPECT_EQ(javaType, "IBroken");
    EXPECT_EQ(typeName(*context), "IBroken");

    // A plain code clears the text and leaves the context alone.
    r = resolveTypeDesc(generator, vt(VT_BSTR), context, javaType, depth);
    EXPECT_EQ(javaType, "");
    EXPECT_EQ(depth, 0);
}

TEST_F(TypeMappingTest, MissingContextRaisesPointerError) {
    std::shared_ptr<const TypeInfo> none;
    std::string javaType;
    std::int32_t depth = 0;
    try {
        resolveTypeDesc(generator, ptr(userDefined(0x100)), none, javaType, depth);
        FAIL() << "no error raised";
    } catch (const ComError& e) {
        EXPECT_EQ(e.code(), kPointerError);
    }
}

TEST_F(TypeMappingTest, QualificationComparesLibraryNamesExactly) {
    auto other = MemoryTypeLib::create("widgetlib", guidOf(100));
    const unsigned font = other->addInterface("IFont", guidOf(101), TKIND_DISPATCH, 0);
    const unsigned alias = other->addInterface("OLE_COLOR", guidOf(102), TKIND_ALIAS, 0);
    other->type(alias).attr.tdescAlias = vt(VT_UI4);
    EXPECT_EQ(mapElement(refTo(font, other)).javaType, "com.example.widgets.widgetlib.IFont");
    // An alias of a plain code takes the code; its qualified name is kept only for codes the table keeps.
    EXPECT_EQ(mapElement(refTo(alias, other)).javaType, "int");
    generator.package.clear();
    EXPECT_EQ(mapElement(refTo(font, other)).javaType, "widgetlib.IFont");
    generator.package = "com/example";  // a package given with slashes is used in dotted form
    EXPECT_EQ(mapElement(refTo(font, other)).javaType, "com.example.widgetlib.IFont");
    other->type(font).noContainingLib = true;
    EXPECT_EQ(mapElement(refTo(font, other)).javaType, "IFont");
}

TEST_F(TypeMappingTest, CoClassTypesAreRecordedWithTheirInterfaces) {
    const unsigned iWidget = lib->addInterface("IWidget", guidOf(17), TKIND_DISPATCH, TYPEFLAG_FDUAL);
    const unsigned events = lib->addInterface("_WidgetEvents", guidOf(21), TKIND_DISPATCH, 0);
    const unsigned color = lib->addEnum("WidgetColor", guidOf(22), {});
    const unsigned widget = lib->addCoClass("Widget", guidOf(18));
    lib->implement(widget, iWidget, IMPLTYPEFLAG_FDEFAULT);
    lib->implement(widget, events, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE);
    lib->implement(widget, color, 0);  // not an interface: passed over

    EXPECT_EQ(mapElement(ptr(refTo(widget))).javaType, "IWidget");
    ASSERT_EQ(generator.coClasses.size(), 1u);
    const ClassEntry& entry = *generator.coClasses.begin();
    EXPECT_EQ(entry.typeLibGuid, "");
    EXPECT_EQ(entry.clsid, guidText(guidOf(18)));
    EXPECT_EQ(entry.progId, "Widget");
    EXPECT_EQ(entry.typeLibPath, "");
    EXPECT_EQ(entry.typeLib.get(), lib.get());
    // The coclass is queued as well, as every user-defined type a member uses.
    EXPECT_THAT(namesAndKinds(generator), ElementsAre("IWidget 1", "Widget 0", "_WidgetEvents 3"));

    // Met again: still one entry.
    mapElement(ptr(refTo(widget)));
    EXPECT_EQ(generator.coClasses.size(), 1u);
}

// Members kept from an earlier collection make its changes again: the run must end with the same
// entries, the first of equal ones staying, as if each change were made again in its order.
TEST_F(TypeMappingTest, RecordedChangesMadeAgainLeaveTheSetsAsTheChangesDid) {
    const unsigned iWidget = lib->addInterface("IWidget", guidOf(17), TKIND_DISPATCH, TYPEFLAG_FDUAL);
    const unsigned color = lib->addEnum("WidgetColor", guidOf(22), {});
    const unsigned widget = lib->addCoClass("Widget", guidOf(18));
    lib->implement(widget, iWidget, IMPLTYPEFLAG_FDEFAULT);

    RecordedChanges recorded;
    generator.recordedChanges = &recorded;
    generator.registerType(lib->info(iWidget), 0);
    generator.registerType(lib->info(iWidget), IMPLTYPEFLAG_FSOURCE);  // equal entry: the first stays
    mapElement(ptr(refTo(widget)));
    generator.registerType(nullptr, 0);  // nothing to record
    generator.recordedChanges = nullptr;

    // A run that already holds one of the entries keeps its own.
    TypeRecorder later;
    later.registerType(lib->info(iWidget), 2);
    later.registerType(lib->info(color), 0);
    later.replay(recorded);
    EXPECT_THAT(namesAndKinds(later), ElementsAre("IWidget 2", "Widget 0", "WidgetColor 0"));
    ASSERT_EQ(later.coClasses.size(), 1u);
    EXPECT_EQ(later.coClasses.begin()->progId, "Widget");
    EXPECT_THAT(later.referencedLibs, ElementsAre("WidgetLib"));

    // A fresh run ends as the recording run did.
    TypeRecorder fresh;
    fresh.replay(recorded);
    EXPECT_THAT(namesAndKinds(fresh), ElementsAre("IWidget 0", "Widget 0"));
    EXPECT_EQ(fresh.referencedTypes.size(), generator.referencedTypes.size());
}

TEST_F(TypeMappingTest, CoClassEdgeCases) {
    // A coclass that implements nothing has no interface to stand for it: IUnknown, not an empty type.
    const unsigned empty = lib->addCoClass("Empty", guidOf(30));
    const ParamInfo p = mapElement(ptr(refTo(empty)));
    EXPECT_EQ(p.vt, VT_UNKNOWN);
    EXPECT_EQ(p.javaType, "IUnknown");

    // A coclass of another library is referred to by its qualified default interface.
    auto other = MemoryTypeLib::create("GadgetLib", guidOf(100));
    const unsigned iGadget = other->addInterface("IGadget", guidOf(101), TKIND_DISPATCH, 0);
    const unsigned gadget = other->addCoClass("Gadget", guidOf(102));
    other->implement(gadget, iGadget, IMPLTYPEFLAG_FDEFAULT);
    EXPECT_EQ(mapElement(ptr(refTo(gadget, other))).javaType, "com.example.widgets.GadgetLib.IGadget");

    // Without a containing library the coclass cannot be recorded.
    other->type(gadget).noContainingLib = true;
    EXPECT_THROW(mapElement(ptr(refTo(gadget, other))), ComError);
}

TEST_F(TypeMappingTest, DefaultInterfaceName) {
    auto coClassWith = [&](std::vector<std::pair<unsigned, std::int32_t>> impls) {
        const unsigned c = lib->addCoClass("C", guidOf(50));
        for (auto [iface, flags] : impls) lib->implement(c, iface, flags);
        return defaultInterfaceName(*lib->info(c));
    };
    const unsigned disp = lib->addInterface("IDisp", guidOf(60), TKIND_DISPATCH, 0);
    const unsigned disp2 = lib->addInterface("IDisp2", guidOf(61), TKIND_DISPATCH, 0);
    const unsigned vtableDispatchable = lib->addInterface("IVDisp", guidOf(62), TKIND_INTERFACE, TYPEFLAG_FDISPATCHABLE);
    const unsigned vtable = lib->addInterface("IV", guidOf(63), TKIND_INTERFACE, TYPEFLAG_FDUAL);
    constexpr std::int32_t kDefault = IMPLTYPEFLAG_FDEFAULT, kSource = IMPLTYPEFLAG_FSOURCE;

    EXPECT_EQ(coClassWith({{disp, kDefault | kSource}, {disp2, kDefault}}), "IDisp2");
    EXPECT_EQ(coClassWith({{disp, 0}, {disp2, kDefault}}), "IDisp2");
    EXPECT_EQ(coClassWith({{vtableDispatchable, kDefault | kSource}}), "IVDisp");
    EXPECT_EQ(coClassWith({{vtableDispatchable, kDefault}}), "IUnknown");
    EXPECT_EQ(coClassWith({{vtable, kDefault | kSource}}), "IUnknown");
    EXPECT_EQ(coClassWith({}), "");
    const unsigned unreadable = lib->addCoClass("U", guidOf(51));
    lib->type(unreadable).attrStatus = kFail;
    EXPECT_EQ(defaultInterfaceName(*lib->info(unreadable)), "");
}

}  // namespace
}  // namespace tessivar::test
