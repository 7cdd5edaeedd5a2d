// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the tuning objects share: the card of an object, the overdrive table read once per call
// and written the way the card's kernel takes it, and the power cap's files. The objects
// themselves live one feature per file: clocks, voltage and memory in GpuTuning.cpp, the power
// limit in PowerTuning.cpp, the fan curve and zero RPM in FanTuning.cpp.

#include <cstdint>
#include <optional>
#include <string>

#include "Cards.h"
#include "Family.h"
#include "Kernel.h"
#include "adlx/ADLX.h"
#include "formats/OdClkVoltage.h"

namespace amdgpu {

inline constexpr std::int64_t kMicrowattsPerWatt = 1000000;
inline constexpr const char* kPerformanceLevel = "power_dpm_force_performance_level";

const Card& cardAt(int index);
std::int64_t clampToInt(std::int64_t v);
ADLX_IntRange intRange(const Range& r);
bool contains(const Range& r, int v);

// ---- Overdrive: pp_od_clk_voltage, read once per call.

struct Overdrive {
    bool present = false;  // the file exists and could be read
    int error = 0;         // why it could not be read
    OdClkVoltage od;
    const FamilyRules* rules = nullptr;  // null: overdrive is off (or the file is not readable)

    // Overdrive is off when the file is missing or holds no overdrive section; a card that cannot
    // answer now (asleep, in reset) says nothing about it.
    bool off() const { return present ? rules == nullptr : error == ENOENT; }
};

Overdrive readOverdrive(Kernel& kernel, const Card& card);
// Says once per process why clocks, voltage and memory cannot be tuned, and how to change that.
void noteOverdriveOff(Kernel& kernel, const Card& card, const Overdrive& o);
// Says once per process why a reset left the clocks as they were.
void noteResetKeepsClocks(const Card& card, const FamilyRules& rules);

// Where the kernel takes overdrive edits only in the `manual` performance level (the APUs), the
// card is put into it first; `left` is the level it was in, to go back to when the edit is refused.
struct LevelSwitch {
    int error = 0;
    std::optional<std::string> left;
};

LevelSwitch enterManualLevel(Kernel& kernel, const Card& card, const FamilyRules* rules);
void leaveManualLevel(Kernel& kernel, const Card& card, const LevelSwitch& s);

// Stages the plan on one file of the overdrive table and commits it, the way the card's kernel
// takes it: in the manual performance level where it needs that, and with the power cap written
// again where a commit may drop it. Nothing is written when the plan is empty.
ADLX_RESULT stageOverdrive(Kernel& kernel, const Card& card, const FamilyRules* rules,
                           const std::string& file, const Plan& plan);

// ---- Power: hwmon power1_cap in microwatts.

struct PowerFiles {
    std::int64_t cap = 0;
    std::int64_t defaultCap = 0;
    std::optional<std::int64_t> min;
    std::optional<std::int64_t> max;
};

// A file of one non-negative decimal number (microwatts, bytes).
std::optional<std::int64_t> readNumber(Kernel& kernel, const std::string& path);
std::optional<PowerFiles> readPower(Kernel& kernel, const Card& card, bool withLimits);

// ---- The feature objects of the other files.

IADLXInterface* makePowerTuning(int card);
IADLXInterface* makeFanTuning(int card);
bool hasFanCurve(Kernel& kernel, const Card& card);

}  // namespace amdgpu
