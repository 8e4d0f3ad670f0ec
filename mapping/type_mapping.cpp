// Java type mapping: resolveTypeDesc, the vt table behind applyVarType and refHolderName, applySpecialType,
// defaultInterfaceName and qualified names.
#include "mapping/type_mapping.h"

#include <array>

#include "base/guid_text.h"
#include "mapping/java_words.h"
#include "mapping/names.h"

namespace tessivar {
namespace {

constexpr std::uint16_t kDispatchLikeFlags = TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;

// One row of the vt table. A null javaType keeps the text resolveTypeDesc produced; a null boxedType
// means "the same as javaType".
struct VarTypeRow {
    const char* javaType;
    const char* boxedType;
    bool isPrimitive;
    const char* refHolder;
};

constexpr const char* kKept = nullptr;
constexpr const char* kSame = nullptr;

constexpr std::array<VarTypeRow, 28> kVarTypeRows{{
    /*  0 VT_EMPTY    */ {"IUnknown", "IUnknown", false, "ObjectRef"},
    /*  1 VT_NULL     */ {kKept, kSame, false, "ObjectRef"},
    /*  2 VT_I2       */ {"short", "java.lang.Short", true, "ShortRef"},
    /*  3 VT_I4       */ {"int", "java.lang.Integer", true, "IntegerRef"},
    /*  4 VT_R4       */ {"float", "java.lang.Float", true, "FloatRef"},
    /*  5 VT_R8       */ {"double", "java.lang.Double", true, "DoubleRef"},
    /*  6 VT_CY       */ {"com.corlith.kovra.CurrencyValue", kSame, false, "CurrencyValueRef"},
    /*  7 VT_DATE     */ {"java.util.Date", kSame, false, "DateRef"},
    /*  8 VT_BSTR     */ {"java.lang.String", kSame, false, "StringRef"},
    /*  9 VT_DISPATCH */ {"DispatchPtr", kSame, false, "ObjectRef"},
    /* 10 VT_ERROR    */ {"long", "java.lang.Long", true, "LongRef"},
    /* 11 VT_BOOL     */ {"boolean", "java.lang.Boolean", true, "BooleanRef"},
    /* 12 VT_VARIANT  */ {"java.lang.Object", kSame, false, "ObjectRef"},
    /* 13 VT_UNKNOWN  */ {"IUnknown", "IUnknown", false, "ObjectRef"},
    /* 14 VT_DECIMAL  */ {"com.corlith.kovra.Decimal", kSame, false, "Decimal"},  // Decimal is its own holder
    /* 15 unassigned  */ {kKept, kSame, false, "ObjectRef"},
    /* 16 VT_I1       */ {"byte", "java.lang.Byte", true, "ByteRef"},
    /* 17 VT_UI1      */ {"byte", "java.lang.Byte", true, "ByteRef"},
    /* 18 VT_UI2      */ {"char", "java.lang.Character", true, "CharRef"},
    /* 19 VT_UI4      */ {"int", "java.lang.Integer", true, "IntegerRef"},
    /* 20 VT_I8       */ {"java.math.BigInteger", kSame, false, "BigIntegerRef"},
    /* 21 VT_UI8      */ {"java.math.BigInteger", kSame, false, "BigIntegerRef"},
    /* 22 VT_INT      */ {"int", "java.lang.Integer", true, "IntegerRef"},
    /* 23 VT_UINT     */ {"int", "java.lang.Integer", true, "IntegerRef"},
    /* 24 VT_VOID     */ {"void", "", false, "ObjectRef"},
    /* 25 VT_HRESULT  */ {"int", "java.lang.Integer", true, "IntegerRef"},
    /* 26 VT_PTR      */ {kKept, kSame, false, "ObjectRef"},
    /* 27 VT_SAFEARRAY*/ {"java.lang.Object", kSame, false, "ObjectRef"},
}};

// VT_CARRAY, VT_USERDEFINED, the string pointers and every code with VT_ARRAY or VT_BYREF bits.
constexpr VarTypeRow kOtherVarTypes{kKept, kSame, false, "ObjectRef"};

const VarTypeRow& rowFor(std::uint16_t vt) { return vt < kVarTypeRows.size() ? kVarTypeRows[vt] : kOtherVarTypes; }

bool isSpecialRecord(const std::string& name) {
    return name == "tagPOINT" || name == "tagRECT" || name == "wireHDC" || name == "wireHWND";
}

// A coclass used as a type: it gets its CoClass file, its interfaces are generated, and code refers to
// it through its default interface.
TypeDesc resolveCoClass(TypeRecorder& generator, TypeDesc result, const std::shared_ptr<const TypeInfo>& coClass,
                        const TypeAttr& attr, std::string& javaType) {
    const auto lib = containingLibrary(*coClass);
    if (!lib) throw ComError(kPointerError);
    generator.addCoClass(ClassEntry{"", guidText(attr.guid), javaType, "", lib});
    registerCoClassInterfaces(generator, coClass);

    javaType = defaultInterfaceName(*coClass);
    // A coclass that implements nothing has no Java form of its own; an empty type would not compile.
    if (javaType.empty() || javaType == "IUnknown") {
        result.vt = VT_UNKNOWN;
        javaType = "IUnknown";
        return result;
    }
    javaType = qualifiedTypeName(generator, *coClass, javaType);
    return result;
}

// An alias whose target is another alias is followed to the end of the chain (a bounded number of steps,
// as the chain comes from the file): left at the first alias's bare name, the Java type would name a
// class that is never generated.
TypeDesc resolveAlias(TypeRecorder& generator, TypeDesc result, const std::shared_ptr<const TypeInfo>& alias,
                      const TypeAttr& attr, std::string& javaType, int hopsLeft = 16) {
    if (attr.tdescAlias.vt != VT_USERDEFINED) {
        result.vt = attr.tdescAlias.vt;
        javaType = qualifiedTypeName(generator, *alias, javaType);
        return result;
    }
    std::shared_ptr<const TypeInfo> target;
    TypeAttr targetAttr;
    if (const HResult hr = alias->refTypeInfo(attr.tdescAlias.hreftype, target); hr != kOk || !target) {
        generator.noteLoss(&TypeLosses::references, hr == kOk ? kPointerError : hr);
        javaType = javaIdentifier(javaType, JavaNameUse::Type);
        return result;
    }
    if (target->typeAttr(targetAttr) != kOk) {
        javaType = javaIdentifier(javaType, JavaNameUse::Type);
        return result;
    }
    if (targetAttr.typekind == TKIND_ENUM) {
        result.vt = VT_I4;
        javaType = "int";
        generator.registerType(alias, 0);
    } else if (targetAttr.typekind == TKIND_ALIAS) {
        // A chain that does not end (a cycle) names no type that is ever generated: it has no Java form.
        if (hopsLeft == 0) {
            result.vt = VT_UNKNOWN;
            javaType = "IUnknown";
            return result;
        }
        javaType = typeName(*target);
        return resolveAlias(generator, result, target, targetAttr, javaType, hopsLeft - 1);
    } else {
        javaType = javaIdentifier(javaType, JavaNameUse::Type);  // the alias's own name
    }
    return result;
}

TypeDesc resolveUserDefined(TypeRecorder& generator, const TypeDesc& desc,
                            std::shared_ptr<const TypeInfo>& context, std::string& javaType) {
    javaType.clear();
    if (!context) throw ComError(kPointerError);
    TypeDesc result = desc;
    std::shared_ptr<const TypeInfo> referenced;
    if (const HResult hr = context->refTypeInfo(desc.hreftype, referenced); hr != kOk || !referenced) {
        generator.noteLoss(&TypeLosses::references, hr == kOk ? kPointerError : hr);
        result.vt = VT_UNKNOWN;
        javaType = "IUnknown";
        return result;
    }

    javaType = typeName(*referenced);
    TypeAttr attr;
    if (referenced->typeAttr(attr) == kOk) {
        TypeKind kind = attr.typekind;
        if (kind == TKIND_INTERFACE && (attr.wTypeFlags & kDispatchLikeFlags)) kind = TKIND_DISPATCH;
        switch (kind) {
            case TKIND_ENUM:
                result.vt = VT_I4;
                javaType = "int";
                generator.registerType(referenced, 0);
                break;
            case TKIND_RECORD:
                if (!isSpecialRecord(javaType)) {
                    result.vt = VT_I4;
                    javaType = "int";
                }
                break;
            case TKIND_DISPATCH:
                javaType = qualifiedTypeName(generator, *referenced, javaType);
                break;
            case TKIND_COCLASS:
                result = resolveCoClass(generator, result, referenced, attr, javaType);
                break;
            case TKIND_ALIAS:
                result = resolveAlias(generator, result, referenced, attr, javaType);
                break;
            default:
                result.vt = VT_UNKNOWN;
                javaType = "IUnknown";
                break;
        }
    }
    context = referenced;
    return result;
}

}  // namespace

TypeDesc resolveTypeDesc(TypeRecorder& generator, const TypeDesc& desc, std::shared_ptr<const TypeInfo>& context,
                         std::string& javaType, std::int32_t& depth) {
    // Pointers are followed in a loop, not by recursion: the nesting comes from the type library.
    const TypeDesc* current = &desc;
    while (current->vt == VT_PTR && current->pointee) {
        ++depth;
        current = current->pointee.get();
    }
    if (current->vt == VT_USERDEFINED) return resolveUserDefined(generator, *current, context, javaType);
    javaType.clear();
    return *current;
}

void applyVarType(ParamInfo& info) {
    const VarTypeRow& row = rowFor(info.vt);
    info.isPrimitive = row.isPrimitive;
    if (row.javaType) info.javaType = row.javaType;
    info.boxedName = row.boxedType;
}

void applySpecialType(ParamInfo& info) {
    const std::string_view type = info.javaType;
    if (type == "tagPOINT" || type == "tagRECT") {
        info.javaType = "com.corlith.kovra.win32.POINT";
        info.boxedName = nullptr;
    } else if (type == "wireHDC" || type == "wireHWND") {
        info.javaType = "long";
        info.boxedName = "java.lang.Long";
        info.isPrimitive = true;
    }
}

std::string refHolderName(const ParamInfo& info) { return rowFor(info.vt).refHolder; }

std::string defaultInterfaceName(const TypeInfo& coClass) {
    TypeAttr attr;
    if (coClass.typeAttr(attr) != kOk) return {};
    for (unsigned i = 0; i < attr.cImplTypes; ++i) {
        HRefType ref = 0;
        std::shared_ptr<const TypeInfo> implemented;
        if (coClass.refTypeOfImplType(static_cast<std::int32_t>(i), ref) != kOk) continue;
        if (coClass.refTypeInfo(ref, implemented) != kOk || !implemented) continue;
        TypeAttr implAttr;
        if (implemented->typeAttr(implAttr) != kOk) continue;
        std::int32_t flags = 0;
        if (coClass.implTypeFlags(i, flags) != kOk) continue;
        const bool isDefault = (flags & IMPLTYPEFLAG_FDEFAULT) != 0;
        const bool isSource = (flags & IMPLTYPEFLAG_FSOURCE) != 0;
        const bool chosen = implAttr.typekind == TKIND_DISPATCH
                                ? isDefault && !isSource
                                : implAttr.typekind == TKIND_INTERFACE && isDefault && isSource &&
                                      (implAttr.wTypeFlags & TYPEFLAG_FDISPATCHABLE);
        if (!chosen) continue;
        std::string name = typeName(*implemented);
        if (!name.empty()) return name;
    }
    return attr.cImplTypes > 0 ? "IUnknown" : "";
}

std::string qualifiedTypeName(const TypeRecorder& generator, const TypeInfo& type, const std::string& name) {
    const std::string javaName = javaIdentifier(name, JavaNameUse::Type);
    const auto lib = containingLibrary(type);
    if (!lib) return javaName;
    const std::string libName = libraryName(*lib);
    if (libName == generator.currentLibName) return javaName;
    const std::string libPart = javaIdentifier(libName, JavaNameUse::PackagePart);
    const std::string package = pathToPackage(generator.package);
    return package.empty() ? libPart + "." + javaName : package + "." + libPart + "." + javaName;
}

}  // namespace tessivar
