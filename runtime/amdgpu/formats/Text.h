// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The reading rules every kernel text here shares. The kernel prints with sysfs_emit_at into one
// page, and some paths leave NUL runs between sections, so NUL ends a line like '\n' does; columns
// come from printf widths (%10u), so any run of blanks separates tokens; units are glued to their
// number ("800Mhz", "-450mv") and their case differs between generations.

#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <vector>

namespace amdgpu::text {

bool isBlank(char c);
std::string_view trim(std::string_view s);

// The lines of a text, split at '\n' and '\0', trimmed, empty ones dropped.
std::vector<std::string_view> lines(std::string_view text);

enum class NumberRead { Ok, Malformed, OutOfRange };

// The whole of s as one number of base into value, by std::from_chars's rules: the digits of the
// base and, for a signed type, a leading minus; no blanks and no "0x". A signed number may carry a
// plus too, as the kernel's own kstrtoint takes one. A number beyond
// T is OutOfRange, anything else that is not all of one number Malformed.
template <class T>
NumberRead readWhole(std::string_view s, T& value, int base = 10) {
    const char* first = s.data();
    const char* const last = first + s.size();
    if constexpr (std::is_signed_v<T>) {
        if (last - first > 1 && *first == '+' && first[1] != '-') ++first;
    }
    const auto [end, error] = std::from_chars(first, last, value, base);
    if (end != last || error == std::errc::invalid_argument) return NumberRead::Malformed;
    return error == std::errc::result_out_of_range ? NumberRead::OutOfRange : NumberRead::Ok;
}

// An optionally signed decimal integer that fits int, the whole of s; nullopt otherwise.
std::optional<int> toInt(std::string_view s);

// "SCLK:     800Mhz       2000Mhz" -> key "SCLK", rest "800Mhz       2000Mhz". A line without a
// colon has an empty key and no colon.
struct KeyedLine {
    bool hasColon = false;
    std::string_view key;
    std::string_view rest;
};
KeyedLine splitKey(std::string_view line);

// The key with every run of blanks made one space: "CCLK_RANGE  in\tCore0" -> "CCLK_RANGE in Core0".
std::string collapseBlanks(std::string_view key);

// A key that names a section or a range entry starts with a letter; one that starts with a digit
// or a sign is a level index.
bool isName(std::string_view key);

// A section header: a key that is not a number, then the colon, then nothing.
bool isHeader(const KeyedLine& line);

// A line that begins with a digit or a sign: a level, a curve point or a lone value. Inside a
// section of those, any other line is a header damaged in the text (cut by a NUL, say), and the
// lines after it may belong to another section, so the reader stops taking them as this one's.
bool startsWithNumber(std::string_view line);

struct Quantity {
    int value = 0;
    std::string_view unit;  // as printed, possibly empty
};
// Blank-separated numbers, each with an optional unit of letters or '%' (glued, or as the next
// token). nullopt when any token is something else or a number does not fit int.
std::optional<std::vector<Quantity>> quantities(std::string_view rest);

// Unit comparison without regard to case ("Mhz" == "MHz" == "mhz").
bool unitIs(std::string_view unit, std::string_view expected);

}  // namespace amdgpu::text
