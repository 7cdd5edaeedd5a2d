// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The exact bytes of each command the runtime writes, one command per write(). The kernel reads
// numbers with base 0, so a leading zero would turn a value into octal: numbers are written in
// plain decimal, never padded, negatives with a minus sign. Every command ends with "\n", as
// `echo` sends it and as the kernel's parsers skip it; every command fits the kernel's 127-byte
// limit. Commits (`c`) and resets (`r`) are commands of their own, never appended to another.

#include <cstdint>
#include <string>

namespace amdgpu {

// pp_od_clk_voltage
std::string sclkLevelWithVoltageCommand(int level, int mhz, int mv);  // "s <level> <MHz> <mV>" Polaris/Vega10
std::string mclkLevelWithVoltageCommand(int level, int mhz, int mv);  // "m <level> <MHz> <mV>" Polaris/Vega10
std::string sclkLevelCommand(int level, int mhz);                     // "s 0|1 <MHz>" Navi and later, APUs
std::string mclkLevelCommand(int level, int mhz);                     // "m 0|1 <MHz>"
std::string voltageCurvePointCommand(int point, int mhz, int mv);     // "vc <i> <MHz> <mV>" Navi1x/Vega20
std::string voltageCurveOffsetCommand(int point, int mv);             // "vc <i> <mV>" RDNA3 before 6.7
std::string voltageOffsetCommand(int mv);                             // "vo <mV>" RDNA2 and later
std::string sclkOffsetCommand(int mhz);                               // "s <offset MHz>" RDNA4
std::string cclkLevelCommand(int core, int level, int mhz);           // "p <core> <0|1> <MHz>" APUs

// pp_od_clk_voltage and every gpu_od/fan_ctrl file
std::string commitCommand();  // "c"
std::string resetCommand();   // "r"

// gpu_od/fan_ctrl
std::string fanCurvePointCommand(int index, int celsius, int percent);  // "<i> <C> <P>"
std::string fanSettingCommand(int value);                               // the single-value files: "<value>"

// hwmon power1_cap, in microwatts (the kernel truncates to whole watts).
std::string powerCapCommand(std::uint32_t microwatts);

}  // namespace amdgpu
