// TypeRecorder: the part of a class run's state that naming and type mapping read and change.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/type_entry.h"
#include "base/class_entry.h"
#include "typelib/typelib_api.h"

namespace tessivar {

// What could not be read of a type being written because a type-information call failed. Each count
// is of things the file then lacks or has in a lesser form.
struct TypeLosses {
    unsigned functions = 0;   // functions left out: their description or name could not be read
    unsigned variables = 0;   // properties and constants left out, the same way
    unsigned names = 0;       // members written without the names of their parameters
    unsigned references = 0;  // referenced types not obtained: written as IUnknown, or not generated
    unsigned interfaces = 0;  // implemented interfaces of a coclass that could not be obtained
    HResult firstFailure = kOk;

    bool any() const { return functions || variables || names || references || interfaces; }
    void add(const TypeLosses& other);
};

// What collecting a type's members added to the run state. The state is made of sets in which the
// first of equal entries stays, so adding these sets to a run (their entries kept the first of each
// recorded) leaves it as making each recorded change again, in its order, would.
struct RecordedChanges {
    TypeEntrySet types;
    std::set<std::string, CodeUnitLess> libs;
    ClassEntrySet coClasses;
    TypeLosses losses;
    // The files written in this class run, by package path and name.
    std::set<std::string, CodeUnitLess> writtenNames;
    // The "Name changed" lines logged in this request, each logged once.
    std::set<std::string, CodeUnitLess> loggedNameChanges;
};

// Collecting reads the library being written, the package and the request's switches, and records the
// types and coclasses the members refer to. Nothing else of the run reaches it, so the members of a type
// collected in an earlier class run can serve a later one, with their changes made again there.
class TypeRecorder {
public:
    virtual ~TypeRecorder() = default;
    // A line of the run's log (the "Name changed for Java" lines); a recorder on its own logs nothing.
    virtual void logLine(const std::string& text);
    // Records a referenced type (and its library) so that a later pass generates it.
    void registerType(const std::shared_ptr<const TypeInfo>& typeInfo, std::int32_t kind);
    // Adds a coclass met as a type to coClasses.
    void addCoClass(ClassEntry entry);
    // Notes that one thing of the kind `what` of the type being written was lost to the failure `hr`.
    void noteLoss(unsigned TypeLosses::*what, HResult hr);
    // While set, what registerType and addCoClass add is also added here.
    RecordedChanges* recordedChanges = nullptr;
    // Makes the recorded changes again.
    void replay(const RecordedChanges& changes);

    std::string currentLibName;
    std::string package;
    bool hiddenSwitch = false;
    std::vector<std::string> excludedNames;

    // Records the key pathToPackage(prefix) + entry.name; true when it was recorded before.
    bool markWritten(const TypeEntry& entry, const std::string& prefix);

    TypeEntrySet referencedTypes;
    ClassEntrySet coClasses;
    std::set<std::string, CodeUnitLess> referencedLibs;
    // Of the type being written; whoever writes it reports and empties them.
    TypeLosses losses;
    // The files written in this class run, by package path and name.
    std::set<std::string, CodeUnitLess> writtenNames;
    // The "Name changed" lines logged in this request, each logged once.
    std::set<std::string, CodeUnitLess> loggedNameChanges;
};

// Records the interfaces and dispatch interfaces that `coClass` implements, each with its flags, so the
// passes generate them; one that cannot be obtained is noted as a lost interface.
void registerCoClassInterfaces(TypeRecorder& recorder, const std::shared_ptr<const TypeInfo>& coClass);

}  // namespace tessivar
