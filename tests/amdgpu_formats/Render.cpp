// SPDX-License-Identifier: GPL-3.0-or-later
#include "Render.h"

namespace amdgpu::samples {

namespace {

std::string n(int v) { return std::to_string(v); }

void levels(std::string& out, const char* header, const std::vector<ClockLevel>& list) {
    if (list.empty()) return;
    out += header;
    for (const ClockLevel& l : list) {
        out += n(l.index) + ":    " + n(l.mhz) + "Mhz";
        if (l.mv) out += "    " + n(*l.mv) + "mV";
        out += "\n";
    }
}

void range(std::string& out, const char* key, const std::optional<Range>& r, const char* unit) {
    if (r) out += std::string(key) + ":  " + n(r->min) + unit + "  " + n(r->max) + unit + "\n";
}

}  // namespace

std::string render(const OdClkVoltage& od) {
    std::string out;
    levels(out, "OD_SCLK:\n", od.sclk);
    levels(out, "OD_MCLK:\n", od.mclk);
    if (od.sclkOffsetMhz) out += "OD_SCLK_OFFSET:\n" + n(*od.sclkOffsetMhz) + "Mhz\n";
    if (!od.vddcCurve.empty()) {
        out += "OD_VDDC_CURVE:\n";
        for (const CurvePoint& p : od.vddcCurve) {
            out += n(p.index) + ": ";
            if (p.mhz) out += n(*p.mhz) + "MHz ";
            out += n(p.mv) + "mV\n";
        }
    }
    if (od.vddgfxOffsetMv) out += "OD_VDDGFX_OFFSET:\n" + n(*od.vddgfxOffsetMv) + "mV\n";
    const OdRanges& r = od.ranges;
    if (r != OdRanges{}) {
        out += "OD_RANGE:\n";
        range(out, "SCLK", r.sclk, "Mhz");
        range(out, "MCLK", r.mclk, "Mhz");
        range(out, "VDDC", r.vddc, "mV");
        range(out, "SCLK_OFFSET", r.sclkOffset, "Mhz");
        range(out, "VDDGFX_OFFSET", r.vddgfxOffset, "mv");
        range(out, "VDDC_CURVE", r.vddcCurve, "mv");
        range(out, "CCLK", r.cclk, "Mhz");
        for (const IndexedRange& e : r.curveSclk)
            range(out, ("VDDC_CURVE_SCLK[" + n(e.index) + "]").c_str(), e.range, "Mhz");
        for (const IndexedRange& e : r.curveVolt)
            range(out, ("VDDC_CURVE_VOLT[" + n(e.index) + "]").c_str(), e.range, "mV");
    }
    if (od.cclkCore) {
        out += "CCLK_RANGE in Core" + n(*od.cclkCore) + ":\n";
        levels(out, "", od.cclk);
    } else {
        levels(out, "OD_CCLK:\n", od.cclk);
    }
    return out;
}

}  // namespace amdgpu::samples
