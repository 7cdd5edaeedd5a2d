// SPDX-License-Identifier: GPL-3.0-or-later
// hwmon and PCI attribute files hold one number. Power is in microwatts, beyond int on big cards,
// so numbers are read in 64 bits; captured trees can be NUL-padded to a page, so NULs are trimmed
// like the final newline.

#include "formats/Values.h"

#include <charconv>
#include <cstdint>
#include <system_error>

#include "formats/Text.h"

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
    const std::string_view s = trimPadding(text);
    if (s.empty()) return {NumberStatus::Empty, 0};
    std::int64_t value = 0;
    switch (text::readWhole(s, value)) {
        case text::NumberRead::Ok: return {NumberStatus::Ok, value};
        case text::NumberRead::OutOfRange: return {NumberStatus::OutOfRange, 0};
        case text::NumberRead::Malformed: break;
    }
    return {NumberStatus::Malformed, 0};
}

std::optional<unsigned long> parseFeatureMask(std::string_view text) {
    // The kernel prints the mask as hex with its 0x; the command line takes decimal too. What
    // follows the digits (the newline) is not part of the number.
    std::string_view s = text;
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    int base = 10;
    if (s.starts_with("0x") || s.starts_with("0X")) {
        base = 16;
        s.remove_prefix(2);
    }
    unsigned long value = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    if (error != std::errc()) return std::nullopt;
    return value;
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
