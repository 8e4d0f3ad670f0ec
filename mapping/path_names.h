// Names from a type library as parts of output paths: made safe so no library can write outside the
// destination, the same way for every kind of generated file.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "mapping/type_recorder.h"
#include "mapping/java_words.h"
#include "base/type_entry.h"

namespace tessivar {

// Windows opens a device instead of a file for these names (CON, NUL, COM1, ...), with any extension.
bool isWindowsDeviceName(std::string_view name);

// One path part (a folder or a file name without ".java") from a type library name. Path separators,
// ':' (drives and streams) and the other characters Windows refuses become '_'; so do trailing dots
// and blanks, which also covers "." and ".."; a Windows device name (CON, NUL, COM1, ...) gets a leading
// '_'. An empty name stays empty, and a safe name is returned unchanged.
std::string safePathPart(std::string_view name);

// Logs "Name changed for Java: name -> Java name", once per name and Java name in a request.
void logNameChange(TypeRecorder& recorder, std::string_view name, std::string_view javaName);

// logNameChange for each (name, Java name) in order.
void logNameChanges(TypeRecorder& recorder, const std::vector<std::pair<std::string, std::string>>& changes);

// javaIdentifier, logging the change when there is one.
std::string javaIdentifier(TypeRecorder& recorder, std::string_view name, JavaNameUse use);

// The name as a log line can show it: control characters (line ends and terminal escapes among them)
// become "\xNN".
std::string printableName(std::string_view name);

// Where a generated Java file goes: root [/ package folders] [/ library] / type.java.
struct JavaFileLocation {
    std::string folder;
    std::string path;
    std::string fileStem;  // the type's Java name, which is path-safe
};

// root [/ package folders] [/ library's Java name]: the folder of a library's generated files.
std::string javaSourceFolder(TypeRecorder& recorder, std::string_view root, std::string_view libName);

// The file of type `typeName` (its Java name) in `folder`.
JavaFileLocation javaFileIn(TypeRecorder& recorder, std::string folder, std::string_view typeName);

// The location of type `typeName` of library `libName` under `root` with the run's package; the
// library and type names are their Java names (logged when changed).
JavaFileLocation javaFileLocation(TypeRecorder& recorder, std::string_view root, std::string_view libName,
                                  std::string_view typeName);

// The entry under its Java name, the name its file declares; the run's sets keep the entry as it is.
TypeEntry javaNamed(TypeEntry entry, const JavaFileLocation& location);

// markWritten keyed by the file's folder and safe name, so one file per folder and type is written and
// same-named types of two libraries are both written. True when the file was written before in this run.
bool markFileWritten(TypeRecorder& recorder, const JavaFileLocation& location);

}  // namespace tessivar
