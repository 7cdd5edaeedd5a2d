// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How each generation's pp_od_clk_voltage maps onto the contract. The generations differ in a few
// facts only, so each is one row of data (FamilyRules) and the functions below read the row; the
// contract's objects never ask which generation they talk to.
//
// The generation is told by what the kernel prints, not by a list of PCI ids: the sections of
// pp_od_clk_voltage are exactly what decides which commands the kernel takes.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/OdClkVoltage.h"

namespace amdgpu {

enum class Family { Polaris, Vega20, Navi1x, Navi2x, Navi3x, Rdna4, Apu };

enum class VoltageSource {
    None,           // only an offset (RDNA2 and later) or nothing: no absolute voltage to show
    TopClockLevel,  // the mV of the highest OD_SCLK level (Polaris)
    TopCurvePoint,  // the mV of the highest OD_VDDC_CURVE point (Navi1x)
};

struct FamilyRules {
    Family family;
    const char* name;
    // OD_SCLK levels hold absolute clocks; false where the kernel offers only an offset (RDNA4).
    bool absoluteEngineClock;
    // s/m commands carry the level's voltage as a third number (Polaris).
    bool levelsCarryVoltage;
    VoltageSource voltage;
    // OD_MCLK's highest level is the memory clock the program sets.
    bool memoryClock;
    // `r` takes effect at once; elsewhere it only resets the staged table and needs `c`.
    bool resetCommitsAtOnce;
    // `r` stages the factory table. Vega20's copies back the table its firmware holds, which is
    // the last committed one (vega20_odn_edit_dpm_table), so no command brings the factory
    // clocks back short of a reboot.
    bool resetRestoresFactory;
    // The kernel takes overdrive edits only while power_dpm_force_performance_level is `manual`
    // (the APUs); any other level refuses every edit with EINVAL.
    bool editsNeedManualLevel;
    // RDNA3 and RDNA4 keep a cap above the default in the overdrive table (smu_v13_0_0/
    // smu_v14_0_2_set_power_limit): a full `r` drops it, and what the firmware makes of a
    // commit whose feature mask no longer names the limit is not in the source, so a cap the
    // user chose is written again after every commit.
    bool commitMayDropPowerCap;
};

// The rules for the kernel's text, or nullptr when it holds no overdrive section (overdrive off).
// Vega20 prints what Navi 1x prints; its PCI device id (0x66A0-0x66AF) tells them apart.
const FamilyRules* rulesFor(const OdClkVoltage& od, std::uint16_t pciDevice = 0);
const FamilyRules& rulesOf(Family family);

// The lowest and the highest level of a clock (OD_SCLK or OD_MCLK) by index, and the levels in
// between (Polaris has six engine levels between its lowest and highest), all as the kernel
// printed them.
struct LevelPair {
    ClockLevel low;
    ClockLevel high;
    std::vector<ClockLevel> between;  // by index
};

// What one contract value is on this card: where the kernel keeps it and in what range.
struct EngineClocks {
    LevelPair levels;
    Range range;
};
std::optional<EngineClocks> engineClocks(const FamilyRules& rules, const OdClkVoltage& od);
std::optional<EngineClocks> memoryClocks(const FamilyRules& rules, const OdClkVoltage& od);

struct Voltage {
    int mv = 0;
    Range range;
};
std::optional<Voltage> voltage(const FamilyRules& rules, const OdClkVoltage& od);

// Commands that stage a new value and the commands that stage the value read again.
struct Plan {
    std::vector<std::string> commands;
    std::vector<std::string> undo;
};

enum class ClockKind { Engine, Memory };
enum class PairEnd { Low, High };

// Moves one end of a clock pair. When the new minimum is above the current maximum, the maximum
// is written first (to the same value), and the other way round, so the kernel never sees a
// minimum above its maximum. The levels in between that would fall outside the new minimum and
// maximum are moved to the nearer end (keeping their voltage), so the table the kernel gets
// still rises. Empty when the value is already there.
Plan moveClock(const FamilyRules& rules, ClockKind kind, const LevelPair& levels, PairEnd end, int mhz);
Plan setVoltage(const FamilyRules& rules, const OdClkVoltage& od, int mv);

// The commands of a reset to factory values, in order.
std::vector<std::string> resetCommands(const FamilyRules& rules);

}  // namespace amdgpu
