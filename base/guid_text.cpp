// GUID <-> text conversions.
#include "base/guid_text.h"

#include <cstdint>

namespace tessivar {

std::string guidText(const Guid& g) {
    // "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", written out: it is formatted for every type a
    // run meets, often enough for a formatted print to show.
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(38, '-');
    std::size_t at = 0;
    const auto put = [&](std::uint32_t value, int digits) {
        for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) text[at++] = kDigits[(value >> shift) & 0xF];
    };
    text[at++] = '{';
    put(g.data1, 8);
    ++at;
    put(g.data2, 4);
    ++at;
    put(g.data3, 4);
    ++at;
    put(g.data4[0], 2);
    put(g.data4[1], 2);
    ++at;
    for (int k = 2; k < 8; ++k) put(g.data4[k], 2);
    text[at] = '}';
    return text;
}

std::optional<Guid> parseGuidText(std::string_view text) {
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') return std::nullopt;
    std::uint8_t bytes[16];
    int n = 0;
    for (std::size_t i = 1; i < 37;) {
        if (i == 9 || i == 14 || i == 19 || i == 24) {
            if (text[i] != '-') return std::nullopt;
            ++i;
            continue;
        }
        auto hex = [](char c) -> int {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            if (c >= 'A' && c <= 'F') return c - 'A' + 10;
            return -1;
        };
        const int hi = hex(text[i]), lo = hex(text[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes[n++] = static_cast<std::uint8_t>(hi * 16 + lo);
        i += 2;
    }
    Guid g;
    g.data1 = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) | bytes[3];
    g.data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
    g.data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
    for (int k = 0; k < 8; ++k) g.data4[k] = bytes[8 + k];
    return g;
}

}  // namespace tessivar
