// SPDX-License-Identifier: GPL-3.0-or-later
// Sensor texts: single numbers in the kernel's units, the dpm level lists and the runtime power
// state. Only non-negative values are believed where the quantity cannot be negative (a power
// draw, a clock, a byte count); temperatures may be below zero.

#include "formats/Sensors.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "formats/Text.h"
#include "formats/Values.h"

namespace amdgpu {

namespace {

std::optional<std::int64_t> number(std::string_view text, std::int64_t min, std::int64_t max) {
    const Int64Value v = parseDecimalFile(text);
    if (!v.ok() || v.value < min || v.value > max) return std::nullopt;
    return v.value;
}

constexpr std::int64_t kNoLimit = std::numeric_limits<std::int64_t>::max();

std::optional<double> scaled(std::string_view text, std::int64_t min, double divisor) {
    const auto v = number(text, min, kNoLimit);
    if (!v) return std::nullopt;
    return static_cast<double>(*v) / divisor;
}

// The one word of the file, without its newline (or the NUL padding of a capture).
std::string_view word(std::string_view text) {
    const std::vector<std::string_view> lines = text::lines(text);
    return lines.size() == 1 ? lines.front() : std::string_view();
}

// A level's index, or "S" for the deep-sleep level the newer kernels print first.
bool isLevelKey(std::string_view key) {
    if (key == "S") return true;
    return !key.empty() && std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::optional<RuntimeStatus> parseRuntimeStatus(std::string_view text) {
    const std::string_view w = word(text);
    if (w == "active") return RuntimeStatus::Active;
    if (w == "resuming") return RuntimeStatus::Resuming;
    if (w == "suspending") return RuntimeStatus::Suspending;
    if (w == "suspended") return RuntimeStatus::Suspended;
    if (w == "error") return RuntimeStatus::Error;
    if (w == "unsupported") return RuntimeStatus::Unsupported;
    return std::nullopt;
}

bool isAsleep(RuntimeStatus status) {
    return status == RuntimeStatus::Suspended || status == RuntimeStatus::Suspending;
}

std::optional<int> parseActiveDpmClock(std::string_view text) {
    std::optional<int> active;
    bool anyLevel = false;
    for (std::string_view line : text::lines(text)) {
        const text::KeyedLine keyed = text::splitKey(line);
        if (!keyed.hasColon || !isLevelKey(keyed.key)) return std::nullopt;
        std::string_view rest = text::trim(keyed.rest);
        const bool marked = !rest.empty() && rest.back() == '*';
        if (marked) rest = text::trim(rest.substr(0, rest.size() - 1));
        const auto values = text::quantities(rest);
        if (!values || values->size() != 1 || !text::unitIs(values->front().unit, "mhz") ||
            values->front().value < 0) {
            return std::nullopt;
        }
        anyLevel = true;
        if (!marked) continue;
        if (active && *active != values->front().value) return std::nullopt;
        active = values->front().value;
    }
    return anyLevel ? active : std::nullopt;
}

std::optional<double> celsiusFromMillidegrees(std::string_view text) {
    return scaled(text, std::numeric_limits<std::int64_t>::min(), 1000.0);
}
std::optional<double> wattsFromMicrowatts(std::string_view text) { return scaled(text, 0, 1e6); }
std::optional<double> mhzFromHz(std::string_view text) { return scaled(text, 0, 1e6); }
std::optional<double> mibFromBytes(std::string_view text) { return scaled(text, 0, 1024.0 * 1024.0); }

std::optional<double> percentFromPwm(std::string_view text) {
    const auto v = number(text, 0, 255);
    if (!v) return std::nullopt;
    return static_cast<double>(*v) * 100.0 / 255.0;
}

std::optional<int> parseRpm(std::string_view text) {
    const auto v = number(text, 0, std::numeric_limits<int>::max());
    if (!v) return std::nullopt;
    return static_cast<int>(*v);
}

std::optional<int> parseBusyPercent(std::string_view text) {
    const auto v = number(text, 0, 100);
    if (!v) return std::nullopt;
    return static_cast<int>(*v);
}

}  // namespace amdgpu
