// Names from a type library as parts of output paths: made safe so no library can write outside the
// destination, the same way for every kind of generated file.
#pragma once

#include <string>
#include <string_view>

#include "engine/wrapper_generator.h"
#include "mapping/type_entry.h"

namespace tessivar {

// One path part (a folder or a file name without ".java") from a type library name. Path separators,
// ':' (drives and streams) and the other characters Windows refuses become '_'; so do trailing dots
// and blanks, which also covers "." and ".."; a Windows device name (CON, NUL, COM1, ...) gets a leading
// '_'. An empty name stays empty, and a safe name is returned unchanged.
std::string safePathPart(std::string_view name);

// safePathPart, logging the change when there is one.
std::string safePathPart(WrapperGenerator& generator, std::string_view name);

// The name as a log line can show it: control characters (line ends and terminal escapes among them)
// become "\xNN".
std::string printableName(std::string_view name);

// Where a generated Java file goes: root [/ package folders] [/ library] / type.java.
struct JavaFileLocation {
    std::string folder;
    std::string path;
    std::string fileStem;  // the safe type name
};

// root [/ package folders] [/ safe library name]: the folder of a library's generated files.
std::string javaSourceFolder(WrapperGenerator& generator, std::string_view root, std::string_view libName);

// The file of type `typeName` (made safe) in `folder`.
JavaFileLocation javaFileIn(WrapperGenerator& generator, std::string folder, std::string_view typeName);

// The location of type `typeName` of library `libName` under `root` with the generator's package; the
// library and type names are made safe (and logged when changed).
JavaFileLocation javaFileLocation(WrapperGenerator& generator, std::string_view root, std::string_view libName,
                                  std::string_view typeName);

// markWritten keyed by the file's folder and safe name, so one file per folder and type is written and
// same-named types of two libraries are both written. True when the file was written before in this run.
bool markFileWritten(WrapperGenerator& generator, const TypeEntry& entry, const JavaFileLocation& location);

}  // namespace tessivar
