// hwmon and PCI attribute files hold one number. Power is in microwatts, beyond int on big cards,
// so numbers are read in 64 bits; captured trees can be NUL-padded to a page, so NULs are trimmed
// like the final newline.

#include "formats/Values.h"

#include <cstdint>
#include <limits>

namespace amdgpu {

namespace {

bool isPadding(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0' || c == '\v' || c == '\f';
}

std::string_view trimPadding(std::string_view s) {
    while (!s.empty() && isPadding(s.front())) s.remove_prefix(1);
    while (!s.empty() && isPadding(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace

Int64Value parseDecimalFile(std::string_view text) {
    std::string_view s = trimPadding(text);
    if (s.empty()) return {NumberStatus::Empty, 0};
    bool negative = false;
    if (s.front() == '-' || s.front() == '+') {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) return {NumberStatus::Malformed, 0};
    for (const char c : s) {
        if (c < '0' || c > '9') return {NumberStatus::Malformed, 0};
    }
    // Gathered as a negative number, whose range is one wider, and checked before every step.
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    for (const char c : s) {
        const int digit = c - '0';
        if (value < (kMin + digit) / 10) return {NumberStatus::OutOfRange, 0};
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == kMin) return {NumberStatus::OutOfRange, 0};
        value = -value;
    }
    return {NumberStatus::Ok, value};
}

std::optional<bool> parseBootVga(std::string_view text) {
    const Int64Value v = parseDecimalFile(text);
    if (!v.ok() || (v.value != 0 && v.value != 1)) return std::nullopt;
    return v.value == 1;
}

std::optional<PwmMode> parsePwmEnable(std::string_view text) {
    const Int64Value v = parseDecimalFile(text);
    if (!v.ok() || v.value < 0 || v.value > 2) return std::nullopt;
    return static_cast<PwmMode>(v.value);
}

}  // namespace amdgpu
