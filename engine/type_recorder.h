// TypeRecorder: the part of a class run's state that collecting a type's members reads and changes.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "mapping/text.h"
#include "mapping/type_entry.h"
#include "typelib/class_entry.h"
#include "typelib/typelib_api.h"

namespace tessivar {

// What collecting a type's members added to the run state. The state is made of sets in which the
// first of equal entries stays, so adding these sets to a run (their entries kept the first of each
// recorded) leaves it as making each recorded change again, in its order, would.
struct RecordedChanges {
    TypeEntrySet types;
    std::set<std::string, CodeUnitLess> libs;
    ClassEntrySet coClasses;
};

// Collecting reads the library being written, the package and the request's switches, and records the
// types and coclasses the members refer to. Nothing else of the run reaches it, so the members of a type
// can be collected by a recorder of their own (on another thread, or in an earlier class run) and their
// changes made again here.
class TypeRecorder {
public:
    // Records a referenced type (and its library) so that a later pass generates it.
    void registerType(const std::shared_ptr<const TypeInfo>& typeInfo, std::int32_t kind);
    // Adds a coclass met as a type to coClasses.
    void addCoClass(ClassEntry entry);
    // While set, what registerType and addCoClass add is also added here.
    RecordedChanges* recordedChanges = nullptr;
    // Makes the recorded changes again.
    void replay(const RecordedChanges& changes);

    std::string currentLibName;
    std::string package;
    bool hiddenSwitch = false;
    std::vector<std::string> excludedNames;

    TypeEntrySet referencedTypes;
    ClassEntrySet coClasses;
    std::set<std::string, CodeUnitLess> referencedLibs;
};

}  // namespace tessivar
