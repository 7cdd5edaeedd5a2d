// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// pp_od_clk_voltage as plain data. Every generation prints its own set of sections (Polaris levels
// with voltages, Navi1x's voltage curve, the offsets of RDNA2 and later, RDNA4's clock offset, the
// APUs' CPU clocks), so each section is optional here and nothing is filled in that the kernel did
// not print. A value that does not parse, or does not fit an int, leaves its entry out and is
// counted in unparsedLines: the caller can tell "the kernel did not offer it" from "the kernel
// printed something we could not read".

#include <optional>
#include <string_view>
#include <vector>

namespace amdgpu {

struct Range {
    int min = 0;
    int max = 0;
    bool operator==(const Range&) const = default;
};

// One line of OD_SCLK, OD_MCLK or the CPU clock section: `<index>: <MHz> [<mV>]`. Only Polaris
// and Vega10 print the voltage.
struct ClockLevel {
    int index = 0;
    int mhz = 0;
    std::optional<int> mv;
    bool operator==(const ClockLevel&) const = default;
};

// One point of OD_VDDC_CURVE. Navi1x/Vega20 print `<i>: <MHz> <mV>`; RDNA3 kernels before 6.7
// printed `<i>: <mV>` (a signed voltage offset per zone), so mhz is absent there.
struct CurvePoint {
    int index = 0;
    std::optional<int> mhz;
    int mv = 0;
    bool operator==(const CurvePoint&) const = default;
};

struct IndexedRange {
    int index = 0;
    Range range;
    bool operator==(const IndexedRange&) const = default;
};

// The OD_RANGE section: the limits the kernel accepts for each writable value.
struct OdRanges {
    std::optional<Range> sclk;            // SCLK (MHz)
    std::optional<Range> mclk;            // MCLK (MHz)
    std::optional<Range> vddc;            // VDDC (mV), Polaris/Vega10
    std::optional<Range> sclkOffset;      // SCLK_OFFSET (MHz), RDNA4
    std::optional<Range> vddgfxOffset;    // VDDGFX_OFFSET (mV), RDNA3 6.7+ and RDNA4
    std::optional<Range> vddcCurve;       // VDDC_CURVE (mV), RDNA3 before 6.7
    std::optional<Range> cclk;            // CCLK (MHz), APUs
    std::vector<IndexedRange> curveSclk;  // VDDC_CURVE_SCLK[i] (MHz), in the order printed
    std::vector<IndexedRange> curveVolt;  // VDDC_CURVE_VOLT[i] (mV)
    bool operator==(const OdRanges&) const = default;
};

struct OdClkVoltage {
    // False when the text holds no section this parser knows: overdrive is off (the kernel then
    // prints an empty text or a lone newline) or the text is not pp_od_clk_voltage at all.
    bool recognised = false;
    std::vector<ClockLevel> sclk;       // OD_SCLK, in the order printed, indices unique
    std::vector<ClockLevel> mclk;       // OD_MCLK (Navi1x prints only level 1)
    std::vector<CurvePoint> vddcCurve;  // OD_VDDC_CURVE
    std::optional<int> sclkOffsetMhz;   // OD_SCLK_OFFSET, RDNA4
    std::optional<int> vddgfxOffsetMv;  // OD_VDDGFX_OFFSET, RDNA2 and later
    std::optional<int> cclkCore;        // N of `CCLK_RANGE in CoreN:`
    std::vector<ClockLevel> cclk;       // CCLK_RANGE in CoreN: / OD_CCLK levels 0 (min) and 1 (max)
    OdRanges ranges;
    // Lines inside known sections that could not be read (bad number, unit, shape, duplicate
    // index, a number beyond int). Zero for every well-formed kernel text.
    int unparsedLines = 0;
    bool operator==(const OdClkVoltage&) const = default;
};

// Never throws. NUL bytes end a line (the kernel leaves NUL runs between sections), CRs and any
// run of blanks separate tokens, units are matched without regard to case, the final newline may
// be missing, and unknown sections and keys are skipped.
OdClkVoltage parseOdClkVoltage(std::string_view text);

// The entry with this index, or nullptr.
const ClockLevel* findLevel(const std::vector<ClockLevel>& levels, int index);
const CurvePoint* findPoint(const std::vector<CurvePoint>& points, int index);
const Range* findRange(const std::vector<IndexedRange>& ranges, int index);

}  // namespace amdgpu
