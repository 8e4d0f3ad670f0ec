// The GUID text form of generated code and registry keys: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>


namespace tessivar {

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};
    friend bool operator==(const Guid&, const Guid&) = default;
    friend auto operator<=>(const Guid&, const Guid&) = default;
};

// StringFromGUID2 / StringFromCLSID: braced, upper-case hexadecimal, 38 characters.
std::string guidText(const Guid& guid);

// CLSIDFromString for the braced form (hexadecimal digits of either case); nothing when malformed.
std::optional<Guid> parseGuidText(std::string_view text);

}  // namespace tessivar
