// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The files of gpu_od/fan_ctrl (RDNA3 and later). They share one staged table with
// pp_od_clk_voltage, and each prints its current value followed by its own OD_RANGE section. A
// curve of all zeros means "no custom curve"; the kernel does not check that the points rise.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/OdClkVoltage.h"

namespace amdgpu {

struct FanCurvePoint {
    int index = 0;
    int celsius = 0;
    int percent = 0;
    bool operator==(const FanCurvePoint&) const = default;
};

// fan_curve: `OD_FAN_CURVE:` with `<i>: <C>C <P>%` lines, then OD_RANGE with
// `FAN_CURVE(hotspot temp): <min>C <max>C` and `FAN_CURVE(fan speed): <min>% <max>%`.
struct FanCurve {
    bool recognised = false;            // an OD_FAN_CURVE section was found
    std::vector<FanCurvePoint> points;  // in the order printed, indices unique
    std::optional<Range> celsius;       // FAN_CURVE(hotspot temp)
    std::optional<Range> percent;       // FAN_CURVE(fan speed)
    int unparsedLines = 0;
    bool operator==(const FanCurve&) const = default;
};

// acoustic_limit_rpm_threshold, acoustic_target_rpm_threshold, fan_minimum_pwm,
// fan_target_temperature, fan_zero_rpm_enable, fan_zero_rpm_stop_temperature:
// `<HEADER>:\n<value>\nOD_RANGE:\n<KEY>: <min> <max>\n`, plain numbers without units.
struct FanSetting {
    bool recognised = false;  // a header line was found
    std::string header;       // e.g. "OD_ACOUSTIC_LIMIT", "FAN_ZERO_RPM_ENABLE"
    std::optional<int> value;
    std::string rangeKey;  // e.g. "ACOUSTIC_LIMIT"; empty when no range was read
    std::optional<Range> range;
    int unparsedLines = 0;
    bool operator==(const FanSetting&) const = default;
};

// Never throw; same tolerance as parseOdClkVoltage (NULs, CRs, spacing, unit case); a value that
// does not fit an int is left out, never clamped. The curve's lines carry units, so its last line
// may lack the newline; the single-value files' numbers have none, and a last line without its
// newline may have been cut short, so parseFanSetting does not read it (counted as unparsed).
FanCurve parseFanCurve(std::string_view text);
FanSetting parseFanSetting(std::string_view text);

const FanCurvePoint* findPoint(const std::vector<FanCurvePoint>& points, int index);

}  // namespace amdgpu
