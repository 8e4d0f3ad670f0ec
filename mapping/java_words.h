// Java's reserved words and literals, which names taken from a type library must step around to compile.
#pragma once

#include <string>
#include <string_view>

namespace tessivar {

// A keyword, a literal (true, false, null) or "_": none can name a Java method or variable.
bool isJavaReservedWord(std::string_view name);

// The identifier rule for a member name that stands alone in Java (a method, not get/set + name):
// safeIdentifier, and "_" in front of a Java reserved word as well.
std::string javaMemberName(std::string_view name);

}  // namespace tessivar
