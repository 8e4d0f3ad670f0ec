// The naming rules: reserved member names, package and folder texts.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

#include "base/text.h"

namespace tessivar {

// The member names a generated proxy must not declare as they are (methods of Java's Object, the
// runtime's base classes and the calls generated code makes).
class ReservedNames {
public:
    static const ReservedNames& instance();
    bool contains(std::string_view name) const;
    std::size_t size() const { return names_.size(); }

private:
    ReservedNames();
    std::unordered_set<std::string_view> names_;  // asked for every member name a proxy declares
};

// Every '/' and '\' becomes '.'.
std::string pathToPackage(std::string_view text);

// Unchanged when it begins with '.', otherwise every '.' and '/' becomes the path separator.
std::string packageToFolder(std::string_view text);

// The Java package of a generated file: package + "." + library, or whichever is not empty; the library
// part is the library's Java name (javaIdentifier), which names its folder as well.
std::string javaPackage(std::string_view package, std::string_view libName);

}  // namespace tessivar
