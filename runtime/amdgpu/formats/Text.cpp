// Reading rules shared by the kernel's text formats: see Text.h for the quirks they absorb.

#include "formats/Text.h"

#include <climits>
#include <cstdint>

namespace amdgpu::text {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isUnitChar(char c) { return isLetter(c) || c == '%'; }
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> lines(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n' || text[i] == '\0') {
            const std::string_view line = trim(text.substr(start, i - start));
            if (!line.empty()) out.push_back(line);
            start = i + 1;
        }
    }
    return out;
}

std::optional<int> toInt(std::string_view s) {
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) return std::nullopt;
    // Magnitudes are gathered in 64 bits and stopped as soon as they leave int's range, so no
    // digit string, however long, can overflow.
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT_MIN) : INT_MAX;
    std::int64_t magnitude = 0;
    for (const char c : s) {
        if (!isDigit(c)) return std::nullopt;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit) return std::nullopt;
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

KeyedLine splitKey(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return {false, {}, trim(line)};
    return {true, trim(line.substr(0, colon)), trim(line.substr(colon + 1))};
}

std::string collapseBlanks(std::string_view key) {
    std::string out;
    bool blank = false;
    for (const char c : trim(key)) {
        if (isBlank(c)) {
            blank = true;
            continue;
        }
        if (blank) out.push_back(' ');
        blank = false;
        out.push_back(c);
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
