// Member collection: dispatch functions, vtable functions and variable accessors.
#include "emit/member_collector.h"

#include <algorithm>

#include "mapping/type_mapping.h"

namespace tessivar {
namespace {

constexpr std::uint16_t kAutomationFlags = TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;

bool isPutKind(std::int32_t kind) { return kind == INVOKE_PROPERTYPUT || kind == INVOKE_PROPERTYPUTREF; }

// One element: the type mapped to its Java form. An interface pointer is passed as the interface
// object, so a user-defined type loses one pointer level, and the type it names is generated too.
ParamInfo mapElement(TypeRecorder& generator, const std::shared_ptr<const TypeInfo>& owner, const TypeDesc& desc,
                     std::string name) {
    ParamInfo element;
    std::shared_ptr<const TypeInfo> context = owner;
    std::int32_t depth = 0;
    element.vt = resolveTypeDesc(generator, desc, context, element.javaType, depth).vt;
    if (element.vt == VT_USERDEFINED) {
        if (depth > 0) --depth;
        TypeAttr attr;
        if (context && context->typeAttr(attr) == kOk)
            element.kind = (attr.wTypeFlags & kAutomationFlags) ? TKIND_DISPATCH : attr.typekind;
        generator.registerType(context, 0);
    }
    element.byRef = depth;
    element.name = std::move(name);
    applyVarType(element);
    applySpecialType(element);
    if (element.byRef >= 1) element.isPrimitive = false;
    return element;
}

std::vector<std::string> memberNames(TypeRecorder& generator, const TypeInfo& owner, MemberId memid,
                                     unsigned maxNames) {
    std::vector<std::string> names;
    if (const HResult hr = owner.names(memid, maxNames, names); hr != kOk) {
        // The member keeps the name its documentation gives (the runtime calls it by that name) and all
        // its parameters, unnamed. Without a name it would not be Java at all.
        generator.noteLoss(&TypeLosses::names, hr);
        names.clear();
        Documentation doc;
        if (owner.documentation(memid, doc) == kOk && doc.name) names.push_back(*doc.name);
        names.resize(maxNames);
    }
    if (names.size() > maxNames) names.resize(maxNames);
    return names;
}

std::string nameAt(const std::vector<std::string>& names, std::size_t i) { return i < names.size() ? names[i] : ""; }

std::int16_t firstEmitCount(std::size_t elementCount, std::int16_t cParamsOpt) {
    const int count = static_cast<int>(elementCount);
    return static_cast<std::int16_t>(cParamsOpt > 0 ? count - cParamsOpt : count);
}

void startMember(MemberInfo& member, MemberId memid, std::int32_t invokeKind) {
    member.elements.clear();
    member.doc.clear();
    member.memid = memid;
    member.invokeKind = invokeKind;
}

}  // namespace

void collectDispatchFunction(TypeRecorder& generator, const std::shared_ptr<const TypeInfo>& owner,
                             const FuncDesc& func, std::string doc, MemberInfo& member) {
    if (!owner) throw ComError(kPointerError);
    startMember(member, func.memid, func.invkind);
    const std::vector<std::string> names =
        memberNames(generator, *owner, func.memid, static_cast<unsigned>(func.params.size()) + 1);
    member.doc = std::move(doc);

    // A put's value has no name of its own; it is the last element. There are never more elements
    // than the result and the parameters.
    std::size_t count = names.size() + (isPutKind(func.invkind) ? 1 : 0);
    count = std::min(count, func.params.size() + 1);
    member.elements.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const TypeDesc& desc = i == 0 ? func.elemdescFunc.tdesc : func.params[i - 1].tdesc;
        const bool propertyName = isPutKind(func.invkind) && (i == 0 || i + 1 == count);
        member.elements.push_back(mapElement(generator, owner, desc, nameAt(names, propertyName ? 0 : i)));
    }
    member.emitCount = firstEmitCount(member.elements.size(), func.cParamsOpt);
}

void collectVtableFunction(TypeRecorder& generator, const std::shared_ptr<const TypeInfo>& owner,
                           const FuncDesc& func, std::string doc, MemberInfo& member) {
    if (!owner) throw ComError(kPointerError);
    startMember(member, func.memid, func.invkind);
    const std::size_t cParams = func.params.size();
    const std::vector<std::string> names =
        memberNames(generator, *owner, func.memid,
                    static_cast<unsigned>(cParams) + (func.invkind == INVOKE_FUNC ? 1 : 0));
    member.doc = std::move(doc);

    // The [out, retval] parameter is the Java result, not a parameter.
    const bool retval = cParams > 0 && (func.params.back().paramDesc.flags & PARAMFLAG_FRETVAL);
    TypeDesc voidDesc;
    voidDesc.vt = VT_VOID;
    member.elements.push_back(
        mapElement(generator, owner, retval ? func.params.back().tdesc : voidDesc, nameAt(names, 0)));

    const bool put = isPutKind(func.invkind);
    for (std::size_t i = 1; i <= cParams; ++i) {
        if (retval && i == cParams) break;
        if (!put && i >= names.size()) continue;
        const std::string name = (put && i == names.size()) ? nameAt(names, 0) : nameAt(names, i);
        member.elements.push_back(mapElement(generator, owner, func.params[i - 1].tdesc, name));
    }
    member.emitCount = firstEmitCount(member.elements.size(), func.cParamsOpt);
}

void collectVariableAccessor(TypeRecorder& generator, const std::shared_ptr<const TypeInfo>& owner,
                             const VarDesc& var, MemberInfo& member, std::int32_t invokeKind) {
    if (!owner) throw ComError(kPointerError);
    startMember(member, var.memid, invokeKind);
    const std::string name = nameAt(memberNames(generator, *owner, var.memid, 40), 0);
    const std::size_t count = invokeKind == INVOKE_PROPERTYPUT ? 2 : 1;
    for (std::size_t i = 0; i < count; ++i)
        member.elements.push_back(mapElement(generator, owner, var.elemdescVar.tdesc, name));
    member.emitCount = static_cast<std::int16_t>(count);
}

bool readFunction(TypeRecorder& generator, const TypeInfo& owner, unsigned index, FuncDesc& func, Documentation& doc) {
    HResult hr = owner.funcDesc(index, func);
    if (hr == kOk) hr = owner.documentation(func.memid, doc);
    if (hr == kOk) return true;
    generator.noteLoss(&TypeLosses::functions, hr);
    return false;
}

bool isExcludedName(const TypeRecorder& generator, std::string_view name) {
    return std::find(generator.excludedNames.begin(), generator.excludedNames.end(), name) !=
           generator.excludedNames.end();
}

void forEachMember(TypeRecorder& generator, const std::shared_ptr<const TypeInfo>& owner, const TypeAttr& attr,
                   const std::function<void(const MemberInfo&)>& visit) {
    MemberInfo member;
    for (unsigned i = 0; i < attr.cFuncs; ++i) {
        FuncDesc func;
        Documentation doc;
        if (!readFunction(generator, *owner, i, func, doc)) continue;
        if (isExcludedName(generator, doc.name.value_or(""))) continue;
        const bool dispatch = func.funckind == FUNC_DISPATCH;
        std::string docString = std::move(doc.docString).value_or("");
        if (dispatch) collectDispatchFunction(generator, owner, func, std::move(docString), member);
        else collectVtableFunction(generator, owner, func, std::move(docString), member);
        member.overloads = func.cParamsOpt + 1;
        member.viaVtable = !dispatch;
        visit(member);
    }
    for (unsigned i = 0; i < attr.cVars; ++i) {
        VarDesc var;
        if (const HResult hr = owner->varDesc(i, var); hr != kOk) {
            generator.noteLoss(&TypeLosses::variables, hr);
            continue;
        }
        if ((var.wVarFlags & VARFLAG_FRESTRICTED) || ((var.wVarFlags & VARFLAG_FHIDDEN) && generator.hiddenSwitch))
            continue;
        Documentation doc;
        if (const HResult hr = owner->documentation(var.memid, doc); hr != kOk) {
            generator.noteLoss(&TypeLosses::variables, hr);
            continue;
        }
        if (var.varkind != VAR_DISPATCH) continue;
        for (std::int32_t kind : {INVOKE_PROPERTYPUT, INVOKE_PROPERTYGET}) {
            if (kind == INVOKE_PROPERTYPUT && (var.wVarFlags & VARFLAG_FREADONLY)) continue;
            collectVariableAccessor(generator, owner, var, member, kind);
            member.overloads = 1;
            member.viaVtable = false;
            visit(member);
        }
    }
}

}  // namespace tessivar
