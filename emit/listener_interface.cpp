// The Java listener interface of one event source dispatch interface: class part in interface mode,
// one listener member per event method, closing brace.
#include "emit/listener_interface.h"

#include "emit/class_part.h"
#include "emit/containing_library.h"
#include "emit/listener_member.h"
#include "emit/member_collector.h"
#include "emit/proxy_members.h"
#include "mapping/path_names.h"

namespace tessivar {
namespace {

// Event methods of dispatch kind give listener text; other functions are collected (so the types they
// use are generated) but give none.
void appendListenerMembers(TypeRecorder& run, std::string& text, NameChanges& changes, const TypeEntry& entry,
                           const TypeAttr& attr) {
    for (unsigned i = 0; i < attr.cFuncs; ++i) {
        FuncDesc func;
        Documentation doc;
        if (!readFunction(run, *entry.typeInfo, i, func, doc)) continue;
        if (isExcludedName(run, doc.name.value_or("")) || func.invkind != INVOKE_FUNC) continue;
        MemberInfo member;
        std::string docString = std::move(doc.docString).value_or("");
        if (func.funckind == FUNC_DISPATCH) {
            collectDispatchFunction(run, entry.typeInfo, func, std::move(docString), member);
            text += listenerMemberText(member, &changes);
            addLine(text);
        } else {
            collectVtableFunction(run, entry.typeInfo, func, std::move(docString), member);
        }
    }
}

}  // namespace

void generateListenerInterface(EmitRun& run, TypeEntry entry, const std::string& sourceRoot) {
    const auto [lib, index] = enterContainingLibrary(run, entry.typeInfo);

    const JavaFileLocation location =
        javaFileLocation(run, sourceRoot, run.currentLibName, entry.name);
    if (markFileWritten(run, location)) return;
    run.ensureFolder(location.folder);
    run.logLine("Generating stub: " + location.path);

    TypeAttr attr;
    const bool attrRead = entry.typeInfo->typeAttr(attr) == kOk;
    const std::unique_ptr<OutputText> opened = run.openFile(location.path);
    if (!opened->isOpen()) return;
    OutputText& file = *opened;
    if (entry.typeLibPath.empty())
        entry.typeLibPath = run.interfaceTypeLibPath(entry);

    writeClassPart(run, entry.typeLibPath, file, javaNamed(entry, location), false, true);
    if (attrRead) {
        const auto members = listenerMembersOf(run, lib, index, attr, [&](std::string& text, NameChanges& changes) {
            appendListenerMembers(run, text, changes, entry, attr);
        });
        logNameChanges(run, members->nameChanges);
        file.write(members->text);
    }
    file.writeLine("");
    file.writeLine("}");
    file.close();
    run.reportLosses(entry);
}

}  // namespace tessivar
