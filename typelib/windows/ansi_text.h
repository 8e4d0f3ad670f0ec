// Conversions between the program's UTF-8 texts and the narrow texts of the platform's ANSI calls.
#pragma once

#include <string>
#include <string_view>

namespace tessivar {

// Characters the code page cannot show become its replacement character.
std::string toAnsiCodePage(std::string_view utf8);
std::string fromAnsiCodePage(std::string_view ansi);

}  // namespace tessivar
