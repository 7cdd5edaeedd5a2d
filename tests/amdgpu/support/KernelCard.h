// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One card of the kernel model: its files, its overdrive table (boot, staged, committed) and the
// rules its family's kernel follows when a file is written. The kernel function each rule follows
// is named beside it.

#include <cerrno>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "KernelModel.h"
#include "KernelText.h"

namespace kernelmodel {

// ---- the card ----------------------------------------------------------------------------------

struct KernelModel::Card {
    int index = 0;
    Family family = Family::None;
    bool removed = false;
    std::map<std::string, std::string> files;  // relative to the device folder -> current bytes
    std::set<std::string> dirs;                // "" is the device folder itself
    std::vector<std::string> connectors;       // "card<N>-DP-1", ...
    std::string hwmon;                         // "hwmon/hwmon<M>", empty without one
    bool overdrive = false;                    // pp_od_clk_voltage prints a table
    std::string odTemplate;
    std::map<std::string, std::string> fanTemplates;  // fan_ctrl file name -> its original text
    std::map<std::string, Range> ranges;              // OD_RANGE keys and "<fan file>/<KEY>"
    OdTable boot, staged, committed;
    bool tableTouched = false;
    int fanMode = 2;  // 0 none, 1 manual, 2 automatic
    bool sleeping = false;
    int sleepAnswer = EPERM;  // what a read of a sleeping card answers
    bool resetting = false;
    int wakeError = 0;
    int wakes = 0;
    std::map<std::string, Range> endLimits;  // "SCLK[0]" -> the limits of that end
    std::optional<long long> effectiveCap;   // where it differs from what power1_cap prints

    bool Has(const std::string& rel) const { return files.count(rel) != 0; }
    std::optional<long long> Number(const std::string& rel) const {
        const auto it = files.find(rel);
        return it == files.end() ? std::nullopt : FirstNumber(it->second);
    }
    std::optional<Range> RangeOf(const std::string& key) const {
        const auto it = ranges.find(key);
        if (it == ranges.end()) return std::nullopt;
        return it->second;
    }

    void RenderTable() {
        if (!tableTouched) return;
        if (overdrive) files["pp_od_clk_voltage"] = RenderOd(odTemplate, staged);
        for (const auto& [name, tmpl] : fanTemplates)
            files["gpu_od/fan_ctrl/" + name] = RenderFan(name, tmpl, staged);
    }

    // Limits of one end of a clock: its own where a test gave them, else the printed range.
    std::optional<Range> EndLimits(const std::string& clock, int level) const {
        const auto it = endLimits.find(clock + "[" + std::to_string(level) + "]");
        return it != endLimits.end() ? std::optional(it->second) : RangeOf(clock);
    }

    // The files amdgpu_pm.c serves: their show functions go through amdgpu_pm_get_access_if_active
    // (a sleeping card: EPERM from 6.13, EBUSY from 6.18; a reset: EBUSY from 6.18).
    // The hwmon name, the labels, the temperature limits (amdgpu_hwmon_show_temp_thresh,
    // amdgpu_hwmon_show_temp_emergency) and pwm1_min/pwm1_max are answered without the card.
    bool IsPowerFile(const std::string& rel) const {
        if (StartsWith(rel, "pp_") || StartsWith(rel, "power_dpm_") || StartsWith(rel, "gpu_od/"))
            return true;
        if (hwmon.empty() || !StartsWith(rel, hwmon + "/")) return false;
        const std::string file = rel.substr(hwmon.size() + 1);
        const bool temperatureLimit = StartsWith(file, "temp") &&
                                      (file.ends_with("_crit") || file.ends_with("_crit_hyst") ||
                                       file.ends_with("_emergency"));
        return file != "name" && !file.ends_with("_label") && !temperatureLimit && file != "pwm1_min" &&
               file != "pwm1_max";
    }

    void Commit() {
        committed = staged;
        tableTouched = true;
    }

    // smu_v13_0_0_set_power_limit / smu_v14_0_2_set_power_limit: a cap above the card's message
    // limit (the model takes power1_cap_default for it) is the staged overdrive table's Ppt, so a
    // commit (`c`, or a fan_ctrl file's `r`) sends it again and the cap holds; a full `r` of
    // pp_od_clk_voltage (smu_v13_0_0_od_edit_dpm_table, smu_v14_0_2_od_edit_dpm_table copy the
    // boot table, Ppt included, and commit it) drops the cap the card runs to the default while
    // smu->current_power_limit, which power1_cap prints, keeps the chosen one.
    void RestoreBootPpt() {
        if ((family != Family::Navi3x && family != Family::Rdna4) || hwmon.empty()) return;
        const auto defaultCap = Number(hwmon + "/power1_cap_default");
        const auto cap = effectiveCap ? effectiveCap : Number(hwmon + "/power1_cap");
        if (defaultCap && cap && *cap > *defaultCap) effectiveCap = *defaultCap;
    }

    // The error a store function answers from its own parsing, before it asks for the card.
    int RefusedBeforeAccess(const std::string& rel, std::string_view command) const;
    int EditOd(std::string_view command);
    int EditOdTable(char type, const std::vector<long long>& p);
    int EditFan(const std::string& name, std::string_view command);
    int WriteHwmon(const std::string& file, std::string_view command);
    int WritePerformanceLevel(std::string_view command);
};

}  // namespace kernelmodel
