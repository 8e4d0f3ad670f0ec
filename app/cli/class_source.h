// Where a command finds its classes: the registered classes of a Wine prefix or a regedit export, or
// the coclasses of one type library file, with the loader that opens their libraries.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/type_entry.h"
#include "base/class_entry.h"
#include "typelib/class_lookups.h"
#include "typelib/registry.h"
#include "typelib/typelib_api.h"

namespace tessivar {

struct SourceOptions {
    std::string typeLib;                 // --typelib: the file's coclasses instead of registered classes
    std::optional<std::string> winePrefix;  // --wine-prefix; default $WINEPREFIX, else ~/.wine
    std::optional<std::string> regFile;  // --registry: a regedit export instead of a prefix
    std::map<char, std::string> drives;  // --drive: where the export's drives are found here
    std::vector<std::string> searchFolders;  // --search-folder: where referenced libraries may also be
};

struct ClassSource {
    std::unique_ptr<Registry> registry;
    std::unique_ptr<TypeLibLoader> loader;
    // The classes the class list would offer, in catalogue order. Registered classes that the list
    // does not show are left out, so a shown name never resolves to a hidden entry of the same ProgID.
    ClassCatalogue classes;
    std::string typeLibFile;  // the file in file mode, empty for registered classes
    bool fromRegExport = false;  // the registered classes come from a .reg export
};

// Opens the registry and the classes the options name; the message for the user when that fails.
std::optional<std::string> openClassSource(const SourceOptions& options, ClassSource& out);
// Opens only the registry and the loader, for reading the file of --typelib.
std::optional<std::string> openLibraries(const SourceOptions& options, ClassSource& out);

// The file's full path: the Open File dialog hands the program one, and the generated files name it.
std::string fullFilePath(const std::string& path);

// Fills the source from a loaded registry or a type library file (the part tests drive with fakes).
void useRegisteredClasses(ClassSource& source);
std::optional<std::string> useTypeLibFile(ClassSource& source, const std::string& path);

// The classes in the order the class list shows their names: ignoring case, then by code units;
// equal names keep catalogue order.
std::vector<const ClassEntry*> shownOrder(const ClassCatalogue& classes);
// The name a command selects by default: the first in that order (empty when there is none).
std::string firstShownName(const ClassCatalogue& classes);

// What the "Type Library Information" box shows for a name, and the interfaces the run starts from.
struct ClassView {
    bool known = false;  // the name is one the list shows
    FoundClass found;
    std::vector<TypeEntry> interfaces;
};
ClassView viewClass(ClassSource& source, const std::string& name);

// True when the source's classes come from a .reg export and `registeredPath` names no file here, as
// when the export's drives are not mapped with --drive (or mapped to the wrong folder).
bool exportedFileMissing(const ClassSource& source, const std::string& registeredPath);

// "default source" for IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE; unnamed bits in hexadecimal.
std::string implTypeFlagsText(std::int32_t flags);

}  // namespace tessivar
