// TypeRecorder: the part of a class run's state that collecting a type's members reads and changes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "mapping/text.h"
#include "mapping/type_entry.h"
#include "typelib/class_entry.h"
#include "typelib/typelib_api.h"

namespace tessivar {

// One change that collecting a type's members made to the run state: a registerType call (whatever it
// did) or a coclass met as a type.
struct RunStateChange {
    std::shared_ptr<const TypeInfo> type;  // for registerType
    std::int32_t kind = 0;
    std::optional<ClassEntry> coClass;     // set for a coclass met
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
    // While set, registerType and addCoClass calls are also appended here.
    std::vector<RunStateChange>* recordedChanges = nullptr;
    // Makes the recorded changes again, in their order.
    void replay(const std::vector<RunStateChange>& changes);

    std::string currentLibName;
    std::string package;
    bool hiddenSwitch = false;
    std::vector<std::string> excludedNames;

    TypeEntrySet referencedTypes;
    ClassEntrySet coClasses;
    std::set<std::string, CodeUnitLess> referencedLibs;
};

}  // namespace tessivar
