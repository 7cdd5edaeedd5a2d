// SPDX-License-Identifier: GPL-3.0-or-later
#include "KernelCard.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>

namespace kernelmodel {

namespace {

bool IsRdna3Plus(Family f) { return f == Family::Navi3x || f == Family::Rdna4; }

// s/m pairs `<0|1> <MHz>` on the SMU generations and Vega20. Every kernel stores each pair into
// the staged table as it comes, so a refused command keeps the pairs before the refused one; a
// command without numbers changes nothing and is taken; a dangling level is EINVAL after the
// pairs before it.
// - PerEdit (navi10_od_edit_dpm_table, sienna_cichlid_od_edit_dpm_table): a minimum above the
//   staged maximum (a maximum below the staged minimum) is refused at its pair, before its range.
// - AfterCommand (smu_v13_0_0_od_edit_dpm_table, smu_v13_0_7_od_edit_dpm_table,
//   smu_v14_0_2_od_edit_dpm_table): minimum <= maximum is checked once after the last pair, so a
//   refusal keeps every pair of the command.
// - Unchecked (vega20_odn_edit_dpm_table): the order is never checked.
// Limits: navi10_od_setting_check_range, sienna_cichlid_od_setting_check_range and
// smu_v13_0_0/smu_v14_0_2_get_od_setting_limits check level 0 against the minimum clock's own
// limits and level 1 against the maximum's; Vega20 checks both against the printed range.
enum class PairOrder { PerEdit, AfterCommand, Unchecked };

template <class Limits>
int EditPairs(std::map<int, Level>& levels, const std::vector<long long>& p, Limits&& limitsOf,
              const std::set<int>& allowed, PairOrder order) {
    for (std::size_t i = 0; i < p.size(); i += 2) {
        if (i + 2 > p.size()) return EINVAL;
        if (p[i] < INT_MIN || p[i] > INT_MAX || !allowed.count(static_cast<int>(p[i]))) return EINVAL;
        const int level = static_cast<int>(p[i]);
        const long long mhz = p[i + 1];
        const auto other = levels.find(1 - level);
        if (order == PairOrder::PerEdit && other != levels.end() &&
            (level == 0 ? mhz > other->second.mhz : mhz < other->second.mhz))
            return EINVAL;
        const std::optional<Range> range = limitsOf(level);
        if (range && !range->Holds(mhz)) return EINVAL;
        levels[level].mhz = mhz;
    }
    if (order == PairOrder::AfterCommand && levels.count(0) && levels.count(1) &&
        levels.at(0).mhz > levels.at(1).mhz)
        return EINVAL;
    return 0;
}

// One `vc <point> <MHz> <mV>` triple against the point's printed ranges.
int EditCurvePoint(std::map<int, Level>& curve, const std::map<std::string, Range>& ranges,
                   long long point, long long mhz, long long mv) {
    if (point < 0 || point > 2) return EINVAL;
    const std::string n = std::to_string(point);
    const auto clock = ranges.find("VDDC_CURVE_SCLK[" + n + "]");
    const auto volt = ranges.find("VDDC_CURVE_VOLT[" + n + "]");
    if (clock != ranges.end() && !clock->second.Holds(mhz)) return EINVAL;
    if (volt != ranges.end() && !volt->second.Holds(mv)) return EINVAL;
    curve[static_cast<int>(point)] = {mhz, mv};
    return 0;
}

}  // namespace

namespace {

// amdgpu_set_pp_od_clk_voltage's own parsing, done before it asks for the card: the buffer is a C
// string of at most 127 bytes, its first byte names the command, the numbers follow.
int ParseOdCommand(std::string_view command, char& type, std::vector<long long>& p) {
    if (command.empty() || command.size() > 127) return EINVAL;
    command = command.substr(0, command.find('\0'));
    if (command.empty()) return EINVAL;
    std::size_t skip = 1;
    type = command[0];
    if (StartsWith(command, "vc"))
        type = 'v', skip = 2;
    else if (StartsWith(command, "vo"))
        type = 'o', skip = 2;
    else if (std::string_view("smprc").find(type) == std::string_view::npos)
        return EINVAL;
    std::size_t i = skip;
    while (i < command.size() && std::isspace(static_cast<unsigned char>(command[i]))) ++i;
    return ParseParams(command.substr(i), p) != 0 ? EINVAL : 0;
}

}  // namespace

int KernelModel::Card::RefusedBeforeAccess(const std::string& rel, std::string_view command) const {
    // The store functions of amdgpu_pm.c validate their input before amdgpu_pm_get_access (6.15
    // and later): a malformed command is EINVAL (ERANGE) even while the card resets.
    const std::string text(command.substr(0, command.find('\0')));
    unsigned long long u = 0;
    long long v = 0;
    if (rel == "pp_od_clk_voltage") {
        char type = 0;
        std::vector<long long> p;
        return ParseOdCommand(command, type, p);
    }
    if (hwmon.empty() || !StartsWith(rel, hwmon + "/")) return 0;
    const std::string file = rel.substr(hwmon.size() + 1);
    if (file == "power1_cap" || file == "pwm1" || file == "fan1_target") return KStrToU32(text, u);
    if (file == "pwm1_enable" || file == "fan1_enable") {
        if (const int r = KStrToInt(text, v); r != 0) return r;
        return v < 0 || v > (file == "pwm1_enable" ? 2 : 1) ? EINVAL : 0;
    }
    return 0;
}

int KernelModel::Card::EditOd(std::string_view command) {
    char type = 0;
    std::vector<long long> p;
    if (const int r = ParseOdCommand(command, type, p); r != 0) return r;

    if (!overdrive) return EINVAL;
    if (family == Family::Apu) {
        // vangogh_od_edit_dpm_table, smu_v13_0_od_edit_dpm_table (the SMU13 APUs share it),
        // yellow_carp_od_edit_dpm_table, renoir_od_edit_dpm_table: edits only in the manual level
        // (smu_od_edit_dpm_table passes them on; the APU functions refuse any other level), and
        // `r`/`c` take no numbers.
        const auto it = files.find("power_dpm_force_performance_level");
        if (it == files.end() || Trim(it->second.substr(0, it->second.find('\0'))) != "manual") return EINVAL;
        if ((type == 'r' || type == 'c') && !p.empty()) return EINVAL;
    }

    // amdgpu_set_pp_od_clk_voltage turns every error of the family's edit function into EINVAL.
    const int result = EditOdTable(type, p);
    return result == 0 ? 0 : EINVAL;
}

int KernelModel::Card::EditOdTable(char type, const std::vector<long long>& p) {
    // smu7_odn_edit_dpm_table (Polaris), navi10_od_edit_dpm_table and the APU functions stage the
    // boot table and need a commit; vega20_odn_edit_dpm_table copies the overdrive table back from
    // the firmware (the last committed one) and needs a commit; sienna_cichlid, smu_v13_0_0/7 and
    // smu_v14_0_2 restore the boot table and fall through to the commit.
    const bool resetNeedsCommit = family == Family::Polaris || family == Family::Navi1x ||
                                  family == Family::Vega20 || family == Family::Apu;
    if (type == 'r') {
        const auto fan = staged.fanCurve;
        const auto settings = staged.fanSettings;
        staged = family == Family::Vega20 ? committed : boot;
        if (!IsRdna3Plus(family)) staged.fanCurve = fan, staged.fanSettings = settings;
        if (IsRdna3Plus(family)) RestoreBootPpt();
        if (!resetNeedsCommit) Commit();
        tableTouched = true;
        return 0;
    }
    if (type == 'c') {
        if (family == Family::Apu) {
            for (const auto* m : {&staged.sclk, &staged.cclk}) {
                if (m->count(0) && m->count(1) && m->at(0).mhz > m->at(1).mhz) return EINVAL;
            }
        }
        Commit();
        return 0;
    }

    OdTable edited = staged;
    int result = EINVAL;
    bool keepOnRefusal = false;
    auto limits = [&](const char* clock) {
        return [this, clock](int level) { return EndLimits(clock, level); };
    };
    switch (family) {
        case Family::Polaris:
            if (type == 's' || type == 'm') {
                auto& levels = type == 's' ? edited.sclk : edited.mclk;
                const auto clock = RangeOf(type == 's' ? "SCLK" : "MCLK");
                const auto volt = RangeOf("VDDC");
                result = p.empty() ? EINVAL : 0;
                for (std::size_t k = 0; k < p.size(); k += 3) {
                    // smu7_odn_edit_dpm_table since its 2026 change checks every triple before it
                    // stores one: a short triple or a level beyond the table is refused (before,
                    // it was taken silently with 0 after the triples before it were stored).
                    if (k + 3 > p.size() || p[k] < 0 || !levels.count(static_cast<int>(p[k]))) {
                        result = EINVAL;
                        break;
                    }
                    if ((clock && !clock->Holds(p[k + 1])) || (volt && !volt->Holds(p[k + 2]))) {
                        result = EINVAL;
                        break;
                    }
                    levels[static_cast<int>(p[k])] = {p[k + 1], p[k + 2]};
                }
            }
            break;
        case Family::Navi1x:
            // navi10_od_edit_dpm_table: `m` reads only its first pair (level 1), `vc` only its
            // first triple; more numbers are ignored.
            keepOnRefusal = true;
            if (type == 's') {
                result = EditPairs(edited.sclk, p, limits("SCLK"), {0, 1}, PairOrder::PerEdit);
            } else if (type == 'm') {
                const auto range = EndLimits("MCLK", 1);
                result = (p.size() >= 2 && p[0] == 1 && (!range || range->Holds(p[1]))) ? 0 : EINVAL;
                if (result == 0) edited.mclk[1].mhz = p[1];
            } else if (type == 'v' && !staged.curve.empty()) {
                result = p.size() >= 3 ? EditCurvePoint(edited.curve, ranges, p[0], p[1], p[2]) : EINVAL;
            }
            break;
        case Family::Vega20:
            // vega20_odn_edit_dpm_table: pairs and triples, each stored as it comes.
            keepOnRefusal = true;
            if (type == 's') {
                const auto range = RangeOf("SCLK");
                result = EditPairs(edited.sclk, p, [&](int) { return range; }, {0, 1}, PairOrder::Unchecked);
            } else if (type == 'm') {
                result = EditPairs(edited.mclk, p, limits("MCLK"), {1}, PairOrder::Unchecked);
            } else if (type == 'v' && !staged.curve.empty()) {
                result = 0;
                for (std::size_t k = 0; k < p.size() && result == 0; k += 3)
                    result = k + 3 > p.size() ? EINVAL : EditCurvePoint(edited.curve, ranges, p[k], p[k + 1], p[k + 2]);
            }
            break;
        case Family::Navi2x:
        case Family::Navi3x:
        case Family::Rdna4:
            if (type == 's' && family == Family::Rdna4) {
                const auto range = RangeOf("SCLK_OFFSET");
                result = (p.size() == 1 && (!range || range->Holds(p[0]))) ? 0 : EINVAL;
                if (result == 0) edited.sclkOffset = p[0];
            } else if (type == 's' || type == 'm') {
                const PairOrder order = family == Family::Navi2x ? PairOrder::PerEdit : PairOrder::AfterCommand;
                result = EditPairs(type == 's' ? edited.sclk : edited.mclk, p, limits(type == 's' ? "SCLK" : "MCLK"),
                                   {0, 1}, order);
                keepOnRefusal = true;
            } else if (type == 'o' && family == Family::Navi2x) {
                // sienna_cichlid_od_edit_dpm_table: exactly one number, kept in a 16-bit field,
                // no range checked.
                result = p.size() == 1 ? 0 : EINVAL;
                if (result == 0) edited.vddgfxOffset = static_cast<int16_t>(p[0]);
            } else if (type == 'o') {
                // smu_v13_0_0/smu_v14_0_2_od_edit_dpm_table read the first number and check no
                // count (without one the kernel reads a value never written: refused here).
                const auto range = RangeOf("VDDGFX_OFFSET");
                result = (!p.empty() && (!range || range->Holds(p[0]))) ? 0 : EINVAL;
                if (result == 0) edited.vddgfxOffset = p[0];
            }
            break;
        case Family::Apu: {
            // A minimum is checked against the floor only (gfx_default_hard_min_freq), a maximum
            // against the ceiling only (gfx_default_soft_max_freq); their order at the commit.
            auto within = [](const std::optional<Range>& range, long long level, long long mhz) {
                if (!range) return true;
                return level == 0 ? mhz >= range->min : mhz <= range->max;
            };
            if (type == 's') {
                if (p.size() == 2 && (p[0] == 0 || p[0] == 1) && within(RangeOf("SCLK"), p[0], p[1])) {
                    edited.sclk[static_cast<int>(p[0])].mhz = p[1];
                    result = 0;
                }
            } else if (type == 'p' && !staged.cclk.empty()) {
                if (p.size() == 3 && p[0] >= 0 && p[0] < 4 && (p[1] == 0 || p[1] == 1) &&
                    within(RangeOf("CCLK"), p[1], p[2])) {
                    edited.cclk[static_cast<int>(p[1])].mhz = p[2];
                    result = 0;
                }
            }
            break;
        }
        case Family::None:
            break;
    }
    if (result != 0 && !keepOnRefusal) return result;
    staged = edited;
    tableTouched = true;
    return result;
}

int KernelModel::Card::EditFan(const std::string& name, std::string_view command) {
    // parse_input_od_command_lines: at most 127 bytes, leading white space skipped.
    if (command.size() > 127) return EINVAL;
    command = command.substr(0, command.find('\0'));
    std::size_t i = 0;
    while (i < command.size() && std::isspace(static_cast<unsigned char>(command[i]))) ++i;
    command.remove_prefix(i);
    if (!command.empty() && command[0] == 'c') {
        Commit();
        return 0;
    }
    if (!command.empty() && command[0] == 'r') {
        if (name == "fan_curve")
            staged.fanCurve = boot.fanCurve;
        else if (boot.fanSettings.count(name))
            staged.fanSettings[name] = boot.fanSettings.at(name);
        Commit();
        return 0;
    }
    std::vector<long long> p;
    if (ParseParams(command, p) != 0) return EINVAL;
    if (name == "fan_curve") {
        const auto temp = RangeOf("fan_curve/FAN_CURVE(hotspot temp)");
        const auto speed = RangeOf("fan_curve/FAN_CURVE(fan speed)");
        if (p.size() != 3 || p[0] < 0 || p[0] > 4) return EINVAL;
        if ((temp && !temp->Holds(p[1])) || (speed && !speed->Holds(p[2]))) return EINVAL;
        staged.fanCurve[static_cast<int>(p[0])] = {p[1], p[2]};
    } else {
        std::optional<Range> range;
        for (const auto& [key, r] : ranges) {
            if (StartsWith(key, name + "/")) range = r;
        }
        if (p.size() != 1 || (range && !range->Holds(p[0]))) return EINVAL;
        staged.fanSettings[name] = p[0];
    }
    tableTouched = true;
    return 0;
}

int KernelModel::Card::WriteHwmon(const std::string& file, std::string_view command) {
    const std::string rel = hwmon + "/" + file;
    const std::string text(command.substr(0, command.find('\0')));
    if (file == "power1_cap") {
        unsigned long long microwatts = 0;
        if (const int r = KStrToU32(text, microwatts); r != 0) return r;
        long long watts = static_cast<long long>(microwatts / 1000000);
        const long long minW = Number(hwmon + "/power1_cap_min").value_or(0) / 1000000;
        const long long maxW = Number(hwmon + "/power1_cap_max").value_or(LLONG_MAX) / 1000000;
        const long long defaultW = Number(hwmon + "/power1_cap_default").value_or(0) / 1000000;
        // pp_set_power_limit (powerplay): 0 is the default cap. smu_set_power_limit up to 6.18
        // checks the range first, so 0 is EINVAL where the minimum is above 0, and otherwise
        // keeps the current cap (6.19, "Remove second call to set_power_limit()", takes 0 as the
        // current cap before the range check: always kept).
        if (watts == 0 && family == Family::Polaris) watts = defaultW;
        if (watts < minW || watts > maxW) return EINVAL;
        if (watts == 0) watts = Number(rel).value_or(0) / 1000000;
        files[rel] = ReplaceFirstNumber(files[rel], watts * 1000000);
        effectiveCap.reset();
        return 0;
    }
    long long value = 0;
    if (file == "pwm1_enable" || file == "fan1_enable") {
        if (const int r = KStrToInt(text, value); r != 0) return r;
        if (file == "pwm1_enable" && (value < 0 || value > 2)) return EINVAL;
        if (file == "fan1_enable" && (value < 0 || value > 1)) return EINVAL;
        fanMode = file == "pwm1_enable" ? static_cast<int>(value) : (value == 1 ? 1 : 2);
        if (Has(hwmon + "/pwm1_enable"))
            files[hwmon + "/pwm1_enable"] = ReplaceFirstNumber(files[hwmon + "/pwm1_enable"], fanMode);
        if (Has(hwmon + "/fan1_enable"))
            files[hwmon + "/fan1_enable"] =
                ReplaceFirstNumber(files[hwmon + "/fan1_enable"], fanMode == 1 ? 1 : 0);
        return 0;
    }
    unsigned long long u = 0;
    if (const int r = KStrToU32(text, u); r != 0) return r;
    // amdgpu_hwmon_set_fan1_target: ENODATA outside manual mode; amdgpu_hwmon_set_pwm1: EINVAL.
    if (fanMode != 1) return file == "fan1_target" ? ENODATA : EINVAL;
    // smu_v11_0/smu_v13_0/smu7/vega10/vega20 *_set_fan_speed_pwm clamp the duty to 255.
    if (file == "pwm1") u = std::min(u, 255ull);
    // smu_v11_0/smu_v13_0_set_fan_speed_rpm refuse 0 (the tach period divides by it); a cap at
    // fan1_max is a later fix (smu->fan_max_rpm), so the model takes the stricter one. Nothing
    // checks fan1_min.
    if (file == "fan1_target" &&
        (u == 0 || static_cast<long long>(u) > Number(hwmon + "/fan1_max").value_or(LLONG_MAX)))
        return EINVAL;
    files[rel] = ReplaceFirstNumber(files[rel], static_cast<long long>(u));
    return 0;
}

int KernelModel::Card::WritePerformanceLevel(std::string_view command) {
    // amdgpu_set_power_dpm_force_performance_level compares the whole word (sysfs_streq: one
    // trailing newline allowed).
    static const char* const levels[] = {"low",
                                         "high",
                                         "auto",
                                         "manual",
                                         "profile_exit",
                                         "profile_standard",
                                         "profile_min_sclk",
                                         "profile_min_mclk",
                                         "profile_peak",
                                         "perf_determinism"};
    std::string_view word = command;
    if (!word.empty() && word.back() == '\n') word.remove_suffix(1);
    for (const char* level : levels) {
        if (word != level) continue;
        files["power_dpm_force_performance_level"] = std::string(level) + "\n";
        // vangogh_set_performance_level, smu_v13_0_4_set_performance_level (and, not re-read,
        // smu_v13_0_5 and yellow_carp): `auto` puts the engine clock limits (what OD_SCLK prints)
        // back to the card's own, `high` pins both to the ceiling and `low` both to the floor;
        // `manual` and `profile_exit` leave them.
        if (family == Family::Apu && word == "auto") {
            staged = committed = boot;
            tableTouched = true;
        }
        const auto range = RangeOf("SCLK");
        if (family == Family::Apu && range && (word == "high" || word == "low")) {
            const long long mhz = word == "high" ? range->max : range->min;
            for (OdTable* t : {&staged, &committed})
                for (int end : {0, 1}) t->sclk[end].mhz = mhz;
            tableTouched = true;
        }
        return 0;
    }
    return EINVAL;
}

}  // namespace kernelmodel
