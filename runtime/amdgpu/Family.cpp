// SPDX-License-Identifier: GPL-3.0-or-later
#include "Family.h"

#include <algorithm>

#include "formats/Commands.h"

namespace amdgpu {

namespace {

// clang-format off
constexpr FamilyRules kRules[] = {
    //  family            name       absolute  voltage  voltage source                 memory  r at once  r factory  manual  cap drops
    {Family::Polaris, "Polaris",     true,     true,    VoltageSource::TopClockLevel,  true,   false,     true,      false,  false},
    {Family::Vega20,  "Vega 20",     true,     false,   VoltageSource::TopCurvePoint,  true,   false,     false,     false,  false},
    {Family::Navi1x,  "Navi 1x",     true,     false,   VoltageSource::TopCurvePoint,  true,   false,     true,      false,  false},
    {Family::Navi2x,  "Navi 2x",     true,     false,   VoltageSource::None,           true,   true,      true,      false,  false},
    {Family::Navi3x,  "Navi 3x",     true,     false,   VoltageSource::None,           true,   true,      true,      false,  true},
    {Family::Rdna4,   "RDNA4",       false,    false,   VoltageSource::None,           true,   true,      true,      false,  true},
    {Family::Apu,     "APU",         true,     false,   VoltageSource::None,           false,  false,     true,      true,   false},
};
// clang-format on

std::optional<LevelPair> levelPair(std::vector<ClockLevel> levels) {
    if (levels.empty()) return std::nullopt;
    std::sort(levels.begin(), levels.end(),
              [](const ClockLevel& a, const ClockLevel& b) { return a.index < b.index; });
    LevelPair pair{levels.front(), levels.back(), {}};
    if (levels.size() > 2) pair.between.assign(levels.begin() + 1, levels.end() - 1);
    return pair;
}

std::string levelCommand(const FamilyRules& rules, ClockKind kind, const ClockLevel& level, int mhz) {
    if (rules.levelsCarryVoltage) {
        // Polaris takes the voltage with every level; the level keeps the one it has.
        const int mv = level.mv.value_or(0);
        return kind == ClockKind::Engine ? sclkLevelWithVoltageCommand(level.index, mhz, mv)
                                         : mclkLevelWithVoltageCommand(level.index, mhz, mv);
    }
    return kind == ClockKind::Engine ? sclkLevelCommand(level.index, mhz)
                                     : mclkLevelCommand(level.index, mhz);
}

const CurvePoint* topCurvePoint(const OdClkVoltage& od) {
    const CurvePoint* top = nullptr;
    for (const auto& p : od.vddcCurve) {
        if (p.mhz && (top == nullptr || p.index > top->index)) top = &p;
    }
    return top;
}

}  // namespace

const FamilyRules& rulesOf(Family family) {
    for (const auto& r : kRules) {
        if (r.family == family) return r;
    }
    return kRules[0];
}

const FamilyRules* rulesFor(const OdClkVoltage& od, std::uint16_t pciDevice) {
    if (!od.recognised) return nullptr;
    if (od.sclkOffsetMhz || od.ranges.sclkOffset) return &rulesOf(Family::Rdna4);
    const bool levelVoltages =
        std::any_of(od.sclk.begin(), od.sclk.end(), [](const auto& l) { return l.mv.has_value(); });
    if (levelVoltages) return &rulesOf(Family::Polaris);
    const bool absoluteCurve = std::any_of(od.vddcCurve.begin(), od.vddcCurve.end(),
                                           [](const auto& p) { return p.mhz.has_value(); });
    // A Navi 1x or Vega20 card without the curve capability prints no OD_VDDC_CURVE, but only
    // level 1 of OD_MCLK (navi10_print_clk_levels, vega20_print_clk_levels); Navi 2x and later
    // print levels 0 and 1.
    const bool memoryTopOnly = od.mclk.size() == 1 && od.mclk.front().index == 1 && od.vddcCurve.empty() &&
                               !od.vddgfxOffsetMv && !od.ranges.vddgfxOffset;
    if (absoluteCurve || memoryTopOnly) {
        const bool vega20 = pciDevice >= 0x66A0 && pciDevice <= 0x66AF;
        return &rulesOf(vega20 ? Family::Vega20 : Family::Navi1x);
    }
    // RDNA3 prints the offset's range (or, before 6.7, an offset curve); RDNA2 only the offset.
    if (od.ranges.vddgfxOffset || od.ranges.vddcCurve || !od.vddcCurve.empty())
        return &rulesOf(Family::Navi3x);
    if (od.vddgfxOffsetMv) return &rulesOf(Family::Navi2x);
    // The APUs print engine clocks only (and the CPU's on some), never a memory clock.
    if (od.mclk.empty()) return &rulesOf(Family::Apu);
    return &rulesOf(Family::Navi2x);
}

std::optional<EngineClocks> engineClocks(const FamilyRules& rules, const OdClkVoltage& od) {
    if (!rules.absoluteEngineClock || !od.ranges.sclk) return std::nullopt;
    const auto levels = levelPair(od.sclk);
    if (!levels || levels->low.index == levels->high.index) return std::nullopt;
    return EngineClocks{*levels, *od.ranges.sclk};
}

std::optional<EngineClocks> memoryClocks(const FamilyRules& rules, const OdClkVoltage& od) {
    if (!rules.memoryClock || !od.ranges.mclk) return std::nullopt;
    const auto levels = levelPair(od.mclk);
    if (!levels) return std::nullopt;
    return EngineClocks{*levels, *od.ranges.mclk};
}

std::optional<Voltage> voltage(const FamilyRules& rules, const OdClkVoltage& od) {
    switch (rules.voltage) {
        case VoltageSource::TopClockLevel: {
            const auto levels = levelPair(od.sclk);
            if (!levels || !levels->high.mv || !od.ranges.vddc) return std::nullopt;
            return Voltage{*levels->high.mv, *od.ranges.vddc};
        }
        case VoltageSource::TopCurvePoint: {
            const CurvePoint* top = topCurvePoint(od);
            const Range* range = top != nullptr ? findRange(od.ranges.curveVolt, top->index) : nullptr;
            if (range == nullptr) return std::nullopt;
            return Voltage{top->mv, *range};
        }
        case VoltageSource::None:
            break;
    }
    return std::nullopt;
}

Plan moveClock(const FamilyRules& rules, ClockKind kind, const LevelPair& levels, PairEnd end, int mhz) {
    Plan plan;
    const ClockLevel& moved = end == PairEnd::Low ? levels.low : levels.high;
    const ClockLevel& other = end == PairEnd::Low ? levels.high : levels.low;
    if (moved.mhz == mhz) return plan;
    const bool single = levels.low.index == levels.high.index;
    const bool crosses = !single && (end == PairEnd::Low ? mhz > other.mhz : mhz < other.mhz);
    if (crosses) plan.commands.push_back(levelCommand(rules, kind, other, mhz));
    plan.commands.push_back(levelCommand(rules, kind, moved, mhz));
    const int newLow = end == PairEnd::Low || crosses ? mhz : levels.low.mhz;
    const int newHigh = end == PairEnd::High || crosses ? mhz : levels.high.mhz;
    std::vector<std::string> undoBetween;
    for (const ClockLevel& level : levels.between) {
        const int kept = std::clamp(level.mhz, newLow, newHigh);
        if (kept == level.mhz) continue;
        plan.commands.push_back(levelCommand(rules, kind, level, kept));
        undoBetween.push_back(levelCommand(rules, kind, level, level.mhz));
    }
    // Undone in reverse, so the staged pair never crosses on the way back either.
    plan.undo.assign(undoBetween.rbegin(), undoBetween.rend());
    plan.undo.push_back(levelCommand(rules, kind, moved, moved.mhz));
    if (crosses) plan.undo.push_back(levelCommand(rules, kind, other, other.mhz));
    return plan;
}

Plan setVoltage(const FamilyRules& rules, const OdClkVoltage& od, int mv) {
    Plan plan;
    if (rules.voltage == VoltageSource::TopClockLevel) {
        const auto levels = levelPair(od.sclk);
        if (!levels || !levels->high.mv || *levels->high.mv == mv) return plan;
        plan.commands.push_back(sclkLevelWithVoltageCommand(levels->high.index, levels->high.mhz, mv));
        plan.undo.push_back(
            sclkLevelWithVoltageCommand(levels->high.index, levels->high.mhz, *levels->high.mv));
    } else if (rules.voltage == VoltageSource::TopCurvePoint) {
        const CurvePoint* top = topCurvePoint(od);
        if (top == nullptr || top->mv == mv) return plan;
        plan.commands.push_back(voltageCurvePointCommand(top->index, *top->mhz, mv));
        plan.undo.push_back(voltageCurvePointCommand(top->index, *top->mhz, top->mv));
    }
    return plan;
}

std::vector<std::string> resetCommands(const FamilyRules& rules) {
    if (rules.resetCommitsAtOnce) return {resetCommand()};
    return {resetCommand(), commitCommand()};
}

}  // namespace amdgpu
