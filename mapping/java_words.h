// Names from a type library or the registry as Java identifiers: Java's reserved words and literals, the
// names generated code already uses, and the one mapping every identifier of a generated file goes through.
#pragma once

#include <string>
#include <string_view>

namespace tessivar {

// A keyword, a literal (true, false, null) or "_": none can name a Java method or variable.
bool isJavaReservedWord(std::string_view name);

// Where a name stands in generated Java; each use adds its own rule to the common ones.
enum class JavaNameUse {
    Type,         // a class or interface, and the file named after it
    PackagePart,  // a library's part of a package name, and its folder; an empty name stays empty
    Method,       // a proxy or listener method, an accessor get/set + property among them
    Parameter,    // a method parameter
    Constant,     // an enum constant
    NamePart,     // a part that follows a prefix of the generator's own ("get", "set", "id", "new")
};

// The Java identifier for `name` used as `use`. A name that already is a fitting identifier is returned
// unchanged. Otherwise, in this order:
// - every character that cannot be part of a Java identifier becomes '_' (each byte of invalid UTF-8);
// - a name that cannot start an identifier (empty, a digit first) gets '_' in front (not a NamePart);
// - a reserved word or literal gets '_' in front (not a NamePart), and so do the names the use avoids:
//   for a Type the restricted type names (var, record, ...), the runtime's and Java's classes that generated
//   files name without a package (String, GUID, DispatchPtr, ...) and Windows device names (CON, NUL, ...),
//   as the file is named after the type; for a PackagePart the device names; for a Method the reserved
//   member names (ReservedNames) and the methods every proxy declares (getTypeInfoToken).
std::string javaIdentifier(std::string_view name, JavaNameUse use);

// The last of those steps alone, for `id` made of identifier characters that can start one (a prefix of
// the generator's own followed by a NamePart).
std::string clearOfReservedWords(std::string id, JavaNameUse use);

}  // namespace tessivar
