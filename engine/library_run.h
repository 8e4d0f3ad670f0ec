// The library run: every type of one type library, or the chosen ones, through the class run's passes.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "engine/settings_store.h"
#include "engine/wrapper_generator.h"
#include "typelib/typelib_api.h"

namespace tessivar {

// One type of a library as a user names it.
struct LibraryType {
    std::string name;
    std::shared_ptr<const TypeInfo> info;
    TypeAttr attr;
};

// The types of the library whose type information can be read, in library order.
std::vector<LibraryType> libraryTypes(const TypeLib& lib);

// The types a chosen name selects: those of exactly that name, else those whose name matches it
// ignoring ASCII case; empty when none does.
std::vector<std::size_t> matchingTypes(const std::vector<LibraryType>& types, const std::string& name);

// One message per chosen name that no type of the library (the file `path`) has, naming the closest ones.
std::vector<std::string> unknownTypeErrors(const std::vector<LibraryType>& types, const std::string& path,
                                           const std::vector<std::string>& chosen);

// The library run over the file `path`: every type when `chosen` is empty, else the types those names
// select, and what they reach. Returns false when it ended before generating, as a class run does (no
// type gets a file, no runtime folder, no jar module name).
bool runLibrary(WrapperGenerator& generator, const std::string& path, const std::vector<std::string>& chosen,
                const GeneratorSettings& settings);

}  // namespace tessivar
