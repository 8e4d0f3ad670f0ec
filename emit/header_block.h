// The block of lines that opens every generated Java file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessivar {

// The maker's web address printed in the header of every generated file.
inline constexpr std::string_view kMakerWebAddress = "https://www.ostrelle.example/tessivar";

// `typeLibPath` absent leaves out the "// from TypeLib at " line; `enumForm` adds the "//DO NOT EDIT."
// line first.
std::string headerBlock(bool enumForm, const std::optional<std::string>& typeLibPath, std::string_view javaPackage);

}  // namespace tessivar
