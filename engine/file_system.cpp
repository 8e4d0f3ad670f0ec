// The names of the files written beside their targets, and which of them a killed run left behind.
#include "engine/file_system.h"

#include <atomic>
#include <charconv>
#include <cstdio>
#include <random>

namespace tessivar {
namespace {

constexpr std::string_view kReplacementStart = ".tessivar-";
constexpr std::string_view kReplacementEnd = ".tmp";
// A run holds a replacement file for well under a second; a run elsewhere on a shared folder, whose
// process cannot be asked about, is given an hour.
constexpr long long kDeadProcessAgeSeconds = 5;
constexpr long long kAnyProcessAgeSeconds = 60 * 60;

// The digits (decimal or lower-case hexadecimal) at the start of `text` up to `end`, consumed with it.
bool takeField(std::string_view& text, bool hexadecimal, char end, unsigned long long& value) {
    const std::size_t stop = text.find(end);
    if (stop == 0 || stop == std::string_view::npos || stop > 20) return false;
    for (std::size_t i = 0; i < stop; ++i) {
        const char c = text[i];
        if (!((c >= '0' && c <= '9') || (hexadecimal && c >= 'a' && c <= 'f'))) return false;
    }
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + stop, value, hexadecimal ? 16 : 10);
    if (ec != std::errc() || ptr != text.data() + stop) return false;
    text.remove_prefix(stop + 1);
    return true;
}

}  // namespace

std::string replacementFileName(unsigned long processId) {
    static const unsigned long long drawn = [] {
        std::random_device device;
        return (static_cast<unsigned long long>(device()) << 32) ^ device();
    }();
    static std::atomic<unsigned long> counter{0};
    char name[80];
    std::snprintf(name, sizeof name, ".tessivar-%lu-%llx-%lu.tmp", processId, drawn, ++counter);
    return name;
}

std::optional<unsigned long> replacementFileProcess(std::string_view name) {
    if (!name.starts_with(kReplacementStart) || !name.ends_with(kReplacementEnd)) return std::nullopt;
    name.remove_prefix(kReplacementStart.size());
    name.remove_suffix(kReplacementEnd.size() - 1);  // keeps the '.' that ends the counter
    unsigned long long process = 0, drawn = 0, counter = 0;
    if (!takeField(name, false, '-', process) || !takeField(name, true, '-', drawn) ||
        !takeField(name, false, '.', counter) || !name.empty())
        return std::nullopt;
    if (process > static_cast<unsigned long long>(static_cast<unsigned long>(-1))) return std::nullopt;
    return static_cast<unsigned long>(process);
}

bool isStaleReplacementFile(std::string_view name, long long ageSeconds, unsigned long ownProcessId,
                            bool (*running)(unsigned long processId)) {
    const auto process = replacementFileProcess(name);
    if (!process || *process == ownProcessId) return false;
    if (ageSeconds >= kAnyProcessAgeSeconds) return true;
    return ageSeconds >= kDeadProcessAgeSeconds && !running(*process);
}

}  // namespace tessivar
