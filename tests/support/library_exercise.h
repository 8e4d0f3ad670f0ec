// Drives a loaded type library through everything the program does with one: the full walk of the
// seam and the generation of every coclass. Shared by the robustness tests and the fuzz targets, which
// feed it damaged files and only ask that it ends without a crash, a hang or a sanitizer report.
#pragma once

#include <cstddef>
#include <string>

#include "engine/file_system.h"
#include "engine/request.h"
#include "typelib/typelib_api.h"

namespace tessivar::test {

// Walks every type (both views of a dual), function, variable, name and documentation text, asks for
// each index one past the end, and resolves every reference the library holds, following resolved
// types into their own members and references. Returns a count of the calls that succeeded, so callers
// can tell a walk that saw something from one that saw nothing.
std::size_t walkLibrary(const TypeLib& lib);

// `tessivar generate --all` for the library at `path`: every coclass the loader finds there, written
// below `destination` with the real emitters. `runtime` must name a folder holding the runtime files
// (see makeRuntimeFolder). Settings are kept in memory, log lines dropped.
RequestOutcome generateWholeLibrary(TypeLibLoader& loader, const std::string& path, FileSystem& files,
                                    const std::string& destination, const std::string& runtime);

// Makes `folder` (whose parent exists) with the runtime files the class run looks for; false on failure.
bool makeRuntimeFolder(FileSystem& files, const std::string& folder);

}  // namespace tessivar::test
