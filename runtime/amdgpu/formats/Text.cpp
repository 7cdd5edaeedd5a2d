// SPDX-License-Identifier: GPL-3.0-or-later
// Reading rules shared by the kernel's text formats: see Text.h for the quirks they absorb.

#include "formats/Text.h"

#include <algorithm>
#include <cstring>

namespace amdgpu::text {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isUnitChar(char c) { return isLetter(c) || c == '%'; }
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view s) {
    std::size_t begin = 0;
    std::size_t end = s.size();
    while (begin < end && isBlank(s[begin])) ++begin;
    while (end > begin && isBlank(s[end - 1])) --end;
    return s.substr(begin, end - begin);
}

std::vector<std::string_view> lines(std::string_view text) {
    std::vector<std::string_view> out;
    if (text.empty()) return out;
    // The breaks are found with memchr: the text may be a page of anything, and this is the one
    // pass every reader makes over all of it. The next break of each kind is kept, so no byte is
    // searched twice.
    const char* const end = text.data() + text.size();
    const auto next = [end](const char* from, char c) {
        const void* found = std::memchr(from, c, static_cast<std::size_t>(end - from));
        return found != nullptr ? static_cast<const char*>(found) : end;
    };
    const char* newline = next(text.data(), '\n');
    const char* nul = next(text.data(), '\0');
    for (const char* start = text.data();;) {
        if (newline < start) newline = next(start, '\n');
        if (nul < start) nul = next(start, '\0');
        const char* const stop = std::min(newline, nul);
        const std::string_view line = trim(std::string_view(start, static_cast<std::size_t>(stop - start)));
        if (!line.empty()) out.push_back(line);
        if (stop == end) break;
        start = stop + 1;
    }
    return out;
}

std::optional<int> toInt(std::string_view s) {
    int value = 0;
    if (readWhole(s, value) != NumberRead::Ok) return std::nullopt;
    return value;
}

KeyedLine splitKey(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return {false, {}, trim(line)};
    return {true, trim(line.substr(0, colon)), trim(line.substr(colon + 1))};
}

std::string collapseBlanks(std::string_view key) {
    key = trim(key);
    std::string out;
    out.reserve(key.size());
    // Whole words at a time: a key may be a long run of anything.
    for (std::size_t i = 0; i < key.size();) {
        std::size_t end = i;
        while (end < key.size() && !isBlank(key[end])) ++end;
        if (!out.empty()) out.push_back(' ');
        out.append(key.substr(i, end - i));
        i = end;
        while (i < key.size() && isBlank(key[i])) ++i;
    }
    return out;
}

bool isName(std::string_view key) { return !key.empty() && isLetter(key.front()); }

bool isHeader(const KeyedLine& line) {
    return line.hasColon && line.rest.empty() && !line.key.empty() && !startsWithNumber(line.key);
}

bool startsWithNumber(std::string_view line) {
    return !line.empty() && (isDigit(line.front()) || line.front() == '-' || line.front() == '+');
}

std::optional<std::vector<Quantity>> quantities(std::string_view rest) {
    std::vector<Quantity> out;
    bool lastHasUnit = true;
    std::size_t i = 0;
    while (i < rest.size()) {
        if (isBlank(rest[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < rest.size() && !isBlank(rest[end])) ++end;
        const std::string_view token = rest.substr(i, end - i);
        i = end;

        std::size_t numberEnd = 0;
        if (token.front() == '-' || token.front() == '+') numberEnd = 1;
        while (numberEnd < token.size() && isDigit(token[numberEnd])) ++numberEnd;
        const std::string_view number = token.substr(0, numberEnd);
        const std::string_view unit = token.substr(numberEnd);
        for (const char c : unit) {
            if (!isUnitChar(c)) return std::nullopt;
        }
        if (number.empty()) {
            // A unit standing apart from its number ("800 Mhz").
            if (lastHasUnit || out.empty()) return std::nullopt;
            out.back().unit = unit;
            lastHasUnit = true;
            continue;
        }
        const std::optional<int> value = toInt(number);
        if (!value) return std::nullopt;
        out.push_back({*value, unit});
        lastHasUnit = !unit.empty();
    }
    return out;
}

bool unitIs(std::string_view unit, std::string_view expected) {
    if (unit.size() != expected.size()) return false;
    for (std::size_t i = 0; i < unit.size(); ++i) {
        if (lower(unit[i]) != lower(expected[i])) return false;
    }
    return true;
}

}  // namespace amdgpu::text
