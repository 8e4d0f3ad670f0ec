// The Java listener interface of one event source dispatch interface: class part in interface mode,
// one listener member per event method, closing brace.
#include "emit/listener_interface.h"

#include "emit/class_part.h"
#include "emit/listener_member.h"
#include "emit/member_collector.h"
#include "emit/proxy_members.h"
#include "mapping/path_names.h"

namespace tessivar {
namespace {

// Event methods of dispatch kind give listener text; other functions are collected (so the types they
// use are generated) but give none.
void appendListenerMembers(TypeRecorder& generator, std::string& text, NameChanges& changes, const TypeEntry& entry,
                           const TypeAttr& attr) {
    for (unsigned i = 0; i < attr.cFuncs; ++i) {
        FuncDesc func;
        Documentation doc;
        if (!readFunction(generator, *entry.typeInfo, i, func, doc)) continue;
        if (isExcludedName(generator, doc.name.value_or("")) || func.invkind != INVOKE_FUNC) continue;
        MemberInfo member;
        std::string docString = std::move(doc.docString).value_or("");
        if (func.funckind == FUNC_DISPATCH) {
            collectDispatchFunction(generator, entry.typeInfo, func, std::move(docString), member);
            text += listenerMemberText(member, &changes);
            text += "\r\n";
        } else {
            collectVtableFunction(generator, entry.typeInfo, func, std::move(docString), member);
        }
    }
}

}  // namespace

void generateListenerInterface(WrapperGenerator& generator, TypeEntry entry, const std::string& sourceRoot) {
    if (!entry.typeInfo) throw ComError(kPointerError);
    std::shared_ptr<const TypeLib> lib;
    unsigned index = 0;
    if (entry.typeInfo->containingTypeLib(lib, index) != kOk || !lib) throw ComError(kPointerError);
    generator.currentLibName = libraryName(*lib);

    const JavaFileLocation location =
        javaFileLocation(generator, sourceRoot, generator.currentLibName, entry.name);
    if (markFileWritten(generator, entry, location)) return;
    ensureFolder(generator.services.files, location.folder);
    generator.logLine("Generating stub: " + location.path);

    TypeAttr attr;
    const bool attrRead = entry.typeInfo->typeAttr(attr) == kOk;
    SourceFile file(generator.services.files, &generator);
    if (!file.open(location.path)) return;
    if (entry.typeLibPath.empty())
        entry.typeLibPath = generator.interfaceTypeLibPath(entry);

    writeClassPart(generator, entry.typeLibPath, file, javaNamed(entry, location), false, true);
    if (attrRead) {
        const auto members = listenerMembersOf(generator, lib, index, attr, [&](std::string& text, NameChanges& changes) {
            appendListenerMembers(generator, text, changes, entry, attr);
        });
        logNameChanges(generator, members->nameChanges);
        file.write(members->text);
    }
    file.write("\r\n}\r\n");
    file.close();
    generator.reportLosses(entry);
}

}  // namespace tessivar
