// A generator over in-memory seams, for the emitter tests: files written are read back as bytes.
#pragma once

#include <string>

#include "engine/wrapper_generator.h"
#include "base/guid_text.h"
#include "support/fakes.h"
#include "support/memory_typelib.h"

namespace tessivar::test {

struct EmitFixture {
    MemoryFileSystem files;
    EmptyRegistry registry;
    MemoryLoader loader;
    MemorySettingsStore settings;
    RecordingUi ui;
    WrapperGenerator generator{Services{files, registry, loader, settings, ui}, false, Emitters{}};

    EmitFixture() {
        generator.excludedNames = {"AddRef", "Release", "QueryInterface", "GetTypeInfoCount", "GetTypeInfo",
                                   "GetIDsOfNames", "Invoke"};
        generator.sourceRoot = "/out/src";
    }

    std::string fileText(const std::string& path) const { return files.file(path).value_or("<no file>"); }
};

inline TypeEntry entryOf(const std::shared_ptr<MemoryTypeLib>& lib, unsigned index, std::string typeLibPath = "") {
    TypeEntry e;
    e.typeInfo = lib->info(index);
    e.name = lib->type(index).name;
    e.libName = lib->name;
    e.guidText = guidText(lib->type(index).attr.guid);
    e.typeLibPath = std::move(typeLibPath);
    return e;
}

}  // namespace tessivar::test
