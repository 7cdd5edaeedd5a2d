// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sensor files a status reads: hwmon's temperatures (millidegrees Celsius), fan (RPM, PWM
// 0-255), power draw (microwatts) and clocks (Hz); the device's gpu_busy_percent, mem_info_vram_*
// (bytes), the pp_dpm_sclk/pp_dpm_mclk level lists, and the runtime power state of the PCI device.
// Each reader gives the value in the unit the contract speaks, or nothing when the text is not
// what the kernel prints: a text that cannot be understood is never turned into a number.

#include <optional>
#include <string_view>

namespace amdgpu {

// device/power/runtime_status, as the kernel's power management core prints it.
enum class RuntimeStatus { Active, Resuming, Suspending, Suspended, Error, Unsupported };
std::optional<RuntimeStatus> parseRuntimeStatus(std::string_view text);
// Suspended, or on its way there: a read now would wake the card (or, from kernel 6.13, be refused).
bool isAsleep(RuntimeStatus status);

// pp_dpm_sclk / pp_dpm_mclk: "0: 500Mhz\n1: 800Mhz *\n2: 1900Mhz\n", the level the card runs at
// marked with '*' (the deep-sleep level is printed as "S:"). The clock of the marked level in MHz;
// nothing when no level or two levels of different clocks are marked (some APUs mark two levels of
// the same clock), or a line is not a level.
std::optional<int> parseActiveDpmClock(std::string_view text);

// One decimal number of a hwmon or device file, converted.
std::optional<double> celsiusFromMillidegrees(std::string_view text);  // temp*_input
std::optional<double> wattsFromMicrowatts(std::string_view text);      // power1_average, power1_input
std::optional<double> mhzFromHz(std::string_view text);                // freq*_input
std::optional<double> mibFromBytes(std::string_view text);             // mem_info_vram_*
std::optional<double> percentFromPwm(std::string_view text);           // pwm1, 0 to 255
std::optional<int> parseRpm(std::string_view text);                    // fan1_input
std::optional<int> parseBusyPercent(std::string_view text);            // gpu_busy_percent, 0 to 100

}  // namespace amdgpu
