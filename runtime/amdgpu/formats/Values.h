// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Single-value sysfs files: hwmon numbers (power in microwatts, which exceed int on big cards),
// boot_vga, pwm1_enable. A live read returns the text and a newline; some captured trees are
// padded with NUL bytes to the page size, so both are trimmed before the number is read.

#include <cstdint>
#include <optional>
#include <string_view>

namespace amdgpu {

enum class NumberStatus {
    Ok,
    Empty,       // nothing but blanks, newlines or NULs
    Malformed,   // anything else than one optionally signed decimal number
    OutOfRange,  // a decimal number beyond int64
};

struct Int64Value {
    NumberStatus status = NumberStatus::Empty;
    std::int64_t value = 0;  // meaningful only when status is Ok
    bool ok() const { return status == NumberStatus::Ok; }
};

// A file holding one decimal integer (power1_cap, temp1_input, fan1_input, pwm1, ...).
Int64Value parseDecimalFile(std::string_view text);

// module/amdgpu/parameters/ppfeaturemask: "0xfff7bfff\n", or a decimal number. nullopt when it
// starts with neither or does not fit.
std::optional<unsigned long> parseFeatureMask(std::string_view text);

// boot_vga: "1" for the card the firmware booted on, "0" otherwise; anything else is nullopt.
std::optional<bool> parseBootVga(std::string_view text);

// pwm1_enable: the fan control mode.
enum class PwmMode { None = 0, Manual = 1, Automatic = 2 };
std::optional<PwmMode> parsePwmEnable(std::string_view text);

}  // namespace amdgpu
