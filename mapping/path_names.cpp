// Path-safe names and the location of generated Java files.
#include "mapping/path_names.h"

#include <array>

#include "base/path_separator.h"
#include "mapping/names.h"
#include "base/text.h"

namespace tessivar {
namespace {

// Characters no Windows file name may hold, the separators among them; control characters as well.
bool refusedCharacter(unsigned char c) {
    switch (c) {
        case '<': case '>': case ':': case '"': case '/': case '\\': case '|': case '?': case '*':
            return true;
        default:
            return c < 0x20 || c == 0x7F;
    }
}

}  // namespace

bool isWindowsDeviceName(std::string_view name) {
    static constexpr std::array<std::string_view, 4> kPlain{"CON", "PRN", "AUX", "NUL"};
    const std::string_view stem = name.substr(0, name.find('.'));
    for (std::string_view device : kPlain)
        if (equalsIgnoreCase(stem, device)) return true;
    if (stem.size() == 4 && stem[3] >= '0' && stem[3] <= '9')
        return equalsIgnoreCase(stem.substr(0, 3), "COM") || equalsIgnoreCase(stem.substr(0, 3), "LPT");
    return false;
}

std::string safePathPart(std::string_view name) {
    std::string safe(name);
    for (char& c : safe)
        if (refusedCharacter(static_cast<unsigned char>(c))) c = '_';
    // Windows drops trailing dots and blanks, which turns "." and ".." into the folder itself or its parent.
    for (auto it = safe.rbegin(); it != safe.rend() && (*it == '.' || *it == ' '); ++it) *it = '_';
    if (isWindowsDeviceName(safe)) safe.insert(safe.begin(), '_');
    return safe;
}

void logNameChange(TypeRecorder& recorder, std::string_view name, std::string_view javaName) {
    std::string line = "Name changed for Java: " + printableName(name) + " -> ";
    line += javaName;
    if (recorder.loggedNameChanges.insert(line).second) recorder.logLine(line);
}

void logNameChanges(TypeRecorder& recorder, const std::vector<std::pair<std::string, std::string>>& changes) {
    for (const auto& [name, javaName] : changes) logNameChange(recorder, name, javaName);
}

std::string javaIdentifier(TypeRecorder& recorder, std::string_view name, JavaNameUse use) {
    std::string id = javaIdentifier(name, use);
    if (id != name) logNameChange(recorder, name, id);
    return id;
}

std::string printableName(std::string_view name) {
    std::string out;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            out += c;
            continue;
        }
        static constexpr char kHex[] = "0123456789ABCDEF";
        out += "\\x";
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
    }
    return out;
}

std::string javaSourceFolder(TypeRecorder& recorder, std::string_view root, std::string_view libName) {
    std::string folder(root);
    if (!recorder.package.empty()) folder += kPathSeparator + packageToFolder(recorder.package);
    if (!libName.empty()) folder += kPathSeparator + javaIdentifier(recorder, libName, JavaNameUse::PackagePart);
    return folder;
}

JavaFileLocation javaFileIn(TypeRecorder& recorder, std::string folder, std::string_view typeName) {
    JavaFileLocation location;
    location.fileStem = javaIdentifier(recorder, typeName, JavaNameUse::Type);
    location.path = folder + kPathSeparator + location.fileStem + ".java";
    location.folder = std::move(folder);
    return location;
}

JavaFileLocation javaFileLocation(TypeRecorder& recorder, std::string_view root, std::string_view libName,
                                  std::string_view typeName) {
    return javaFileIn(recorder, javaSourceFolder(recorder, root, libName), typeName);
}

TypeEntry javaNamed(TypeEntry entry, const JavaFileLocation& location) {
    entry.name = location.fileStem;
    return entry;
}

bool markFileWritten(TypeRecorder& recorder, const JavaFileLocation& location) {
    // The key is the file's own path: two libraries' types of one name are two files, and two names
    // that are made safe into one file name are one file.
    TypeEntry keyed;
    keyed.name = location.path;
    return recorder.markWritten(keyed, "");
}

}  // namespace tessivar
