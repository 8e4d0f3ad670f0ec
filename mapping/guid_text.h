// The GUID text form of generated code and registry keys: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "typelib/typelib_api.h"

namespace tessivar {

// StringFromGUID2 / StringFromCLSID: braced, upper-case hexadecimal, 38 characters.
std::string guidText(const Guid& guid);

// CLSIDFromString for the braced form (hexadecimal digits of either case); nothing when malformed.
std::optional<Guid> parseGuidText(std::string_view text);

}  // namespace tessivar
