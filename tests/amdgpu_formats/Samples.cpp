// SPDX-License-Identifier: GPL-3.0-or-later
#include "Samples.h"

#include <string_view>

using namespace std::string_literals;

namespace amdgpu::samples {

namespace {

std::vector<ClockLevel> levels(std::initializer_list<ClockLevel> l) { return l; }

}  // namespace

const std::vector<Sample>& families() {
    static const std::vector<Sample> all = [] {
        std::vector<Sample> s;

        OdClkVoltage polaris;
        polaris.recognised = true;
        polaris.sclk = levels({{0, 350, 800},
                               {1, 700, 850},
                               {2, 950, 900},
                               {3, 1100, 1000},
                               {4, 1200, 1100},
                               {5, 1250, 1125},
                               {6, 1320, 1150},
                               {7, 1400, 1175}});
        polaris.mclk = levels({{0, 400, 800}, {1, 1100, 850}, {2, 1800, 950}});
        polaris.ranges.sclk = Range{350, 2100};
        polaris.ranges.mclk = Range{400, 2300};
        polaris.ranges.vddc = Range{800, 1250};
        s.push_back({"Polaris",
                     "OD_SCLK:\n"
                     "0:        350Mhz        800mV\n1:        700Mhz        850mV\n"
                     "2:        950Mhz        900mV\n3:       1100Mhz       1000mV\n"
                     "4:       1200Mhz       1100mV\n5:       1250Mhz       1125mV\n"
                     "6:       1320Mhz       1150mV\n7:       1400Mhz       1175mV\n"
                     "OD_MCLK:\n"
                     "0:        400Mhz        800mV\n1:       1100Mhz        850mV\n"
                     "2:       1800Mhz        950mV\n"
                     "OD_RANGE:\n"
                     "SCLK:     350MHz       2100MHz\nMCLK:     400MHz       2300MHz\n"
                     "VDDC:     800mV        1250mV\n",
                     polaris});

        OdClkVoltage navi1x;
        navi1x.recognised = true;
        navi1x.sclk = levels({{0, 700, {}}, {1, 1850, {}}});
        navi1x.mclk = levels({{1, 900, {}}});
        navi1x.vddcCurve = {{0, 700, 720}, {1, 1300, 810}, {2, 1850, 1080}};
        navi1x.ranges.sclk = Range{750, 2100};
        navi1x.ranges.mclk = Range{600, 925};
        navi1x.ranges.curveSclk = {{0, {750, 2100}}, {1, {750, 2100}}, {2, {750, 2100}}};
        navi1x.ranges.curveVolt = {{0, {720, 1180}}, {1, {720, 1180}}, {2, {720, 1180}}};
        s.push_back(
            {"Navi1x",
             "OD_SCLK:\n0: 700Mhz\n1: 1850Mhz\n"
             "OD_MCLK:\n1: 900MHz\n"
             "OD_VDDC_CURVE:\n0: 700MHz 720mV\n1: 1300MHz 810mV\n2: 1850MHz 1080mV\n"
             "OD_RANGE:\n"
             "SCLK:     750Mhz       2100Mhz\nMCLK:     600Mhz        925Mhz\n"
             "VDDC_CURVE_SCLK[0]:     750Mhz       2100Mhz\nVDDC_CURVE_VOLT[0]:     720mV        1180mV\n"
             "VDDC_CURVE_SCLK[1]:     750Mhz       2100Mhz\nVDDC_CURVE_VOLT[1]:     720mV        1180mV\n"
             "VDDC_CURVE_SCLK[2]:     750Mhz       2100Mhz\nVDDC_CURVE_VOLT[2]:     720mV        1180mV\n",
             navi1x});

        // NUL runs between sections, as the kernel leaves them.
        OdClkVoltage navi2x;
        navi2x.recognised = true;
        navi2x.sclk = levels({{0, 600, {}}, {1, 2400, {}}});
        navi2x.mclk = levels({{0, 96, {}}, {1, 1050, {}}});
        navi2x.vddgfxOffsetMv = -25;
        navi2x.ranges.sclk = Range{600, 2800};
        navi2x.ranges.mclk = Range{700, 1100};
        s.push_back({"Navi2x",
                     "OD_SCLK:\n0: 600Mhz\n1: 2400Mhz\nOD_MCLK:\n0: 96Mhz\n1: 1050MHz\n" +
                         std::string(37, '\0') + "OD_VDDGFX_OFFSET:\n-25mV\n" + std::string(12, '\0') +
                         "OD_RANGE:\nSCLK:     600Mhz       2800Mhz\nMCLK:     700Mhz       1100Mhz\n" +
                         std::string(64, '\0'),
                     navi2x});

        OdClkVoltage navi3x;
        navi3x.recognised = true;
        navi3x.sclk = levels({{0, 450, {}}, {1, 2800, {}}});
        navi3x.mclk = levels({{0, 96, {}}, {1, 1350, {}}});
        navi3x.vddgfxOffsetMv = -75;
        navi3x.ranges.sclk = Range{450, 4500};
        navi3x.ranges.mclk = Range{96, 1400};
        navi3x.ranges.vddgfxOffset = Range{-400, 0};
        s.push_back({"Navi3x",
                     "OD_SCLK:\n0: 450Mhz\n1: 2800Mhz\nOD_MCLK:\n0: 96Mhz\n1: 1350MHz\n" +
                         std::string(5, '\0') + "OD_VDDGFX_OFFSET:\n-75mV\n" + std::string(5, '\0') +
                         "OD_RANGE:\nSCLK:     450Mhz       4500Mhz\nMCLK:      96Mhz       1400Mhz\n"
                         "VDDGFX_OFFSET:    -400mv          0mv\n",
                     navi3x});

        // Kernels before 6.7: a six-point curve of voltage offsets, no MHz.
        OdClkVoltage navi3xCurve;
        navi3xCurve.recognised = true;
        navi3xCurve.sclk = levels({{0, 450, {}}, {1, 2800, {}}});
        navi3xCurve.mclk = levels({{0, 96, {}}, {1, 1350, {}}});
        navi3xCurve.vddcCurve = {{0, {}, 0},   {1, {}, -5},  {2, {}, -10},
                                 {3, {}, -15}, {4, {}, -20}, {5, {}, 0}};
        navi3xCurve.ranges.sclk = Range{450, 4500};
        navi3xCurve.ranges.mclk = Range{96, 1400};
        s.push_back({"Navi3x before 6.7",
                     "OD_SCLK:\n0: 450Mhz\n1: 2800Mhz\nOD_MCLK:\n0: 96Mhz\n1: 1350MHz\n"
                     "OD_VDDC_CURVE:\n0: 0mv\n1: -5mv\n2: -10mv\n3: -15mv\n4: -20mv\n5: 0mv\n"
                     "OD_RANGE:\nSCLK:     450Mhz       4500Mhz\nMCLK:      96Mhz       1400Mhz\n",
                     navi3xCurve});

        OdClkVoltage rdna4;
        rdna4.recognised = true;
        rdna4.sclkOffsetMhz = -120;
        rdna4.mclk = levels({{0, 96, {}}, {1, 1300, {}}});
        rdna4.vddgfxOffsetMv = -30;
        rdna4.ranges.sclkOffset = Range{-400, 900};
        rdna4.ranges.mclk = Range{96, 1450};
        rdna4.ranges.vddgfxOffset = Range{-150, 0};
        s.push_back({"RDNA4",
                     "OD_SCLK_OFFSET:\n-120Mhz\nOD_MCLK:\n0: 96Mhz\n1: 1300MHz\n" + std::string(9, '\0') +
                         "OD_VDDGFX_OFFSET:\n-30mV\n" + std::string(9, '\0') +
                         "OD_RANGE:\nSCLK_OFFSET:    -400Mhz        900Mhz\nMCLK:      96Mhz       1450Mhz\n"
                         "VDDGFX_OFFSET:    -150mv          0mv\n",
                     rdna4});

        // No final newline, as one real APU printed it.
        OdClkVoltage apu;
        apu.recognised = true;
        apu.sclk = levels({{0, 400, {}}, {1, 1500, {}}});
        apu.ranges.sclk = Range{300, 1500};
        apu.ranges.cclk = Range{1200, 3300};
        apu.cclkCore = 2;
        apu.cclk = levels({{0, 1200, {}}, {1, 3100, {}}});
        s.push_back({"APU with CPU clocks",
                     "OD_SCLK:\n0:        400Mhz\n1:       1500Mhz\n"
                     "OD_RANGE:\nSCLK:     300Mhz       1500Mhz\nCCLK:    1200Mhz       3300Mhz\n"
                     "CCLK_RANGE in Core2:\n0:       1200Mhz\n1:       3100Mhz",
                     apu});

        OdClkVoltage off;
        s.push_back({"overdrive off", "\n", off});
        return s;
    }();
    return all;
}

namespace {

template <typename T, typename Find, typename Same>
std::string entriesIn(const char* what, const std::vector<T>& part, const std::vector<T>& whole, Find find,
                      Same same) {
    for (const T& entry : part) {
        const auto* match = find(whole, entry.index);
        if (match == nullptr || !same(entry, *match))
            return std::string(what) + " " + std::to_string(entry.index);
    }
    return {};
}

std::string optionalIn(const char* what, const std::optional<Range>& part,
                       const std::optional<Range>& whole) {
    return part && part != whole ? what : "";
}

std::string optionalIn(const char* what, const std::optional<int>& part, const std::optional<int>& whole) {
    return part && part != whole ? what : "";
}

}  // namespace

std::string containedIn(const OdClkVoltage& part, const OdClkVoltage& whole) {
    const auto level = [](const ClockLevel& p, const ClockLevel& w) {
        return p.mhz == w.mhz && (!p.mv || p.mv == w.mv);
    };
    const auto point = [](const CurvePoint& p, const CurvePoint& w) { return p == w; };
    const auto range = [](const IndexedRange& p, const IndexedRange& w) { return p == w; };
    const auto findIndexed = [](const std::vector<IndexedRange>& v, int i) -> const IndexedRange* {
        for (const auto& e : v) {
            if (e.index == i) return &e;
        }
        return nullptr;
    };
    for (const std::string& diff : {
             entriesIn("sclk", part.sclk, whole.sclk, findLevel, level),
             entriesIn("mclk", part.mclk, whole.mclk, findLevel, level),
             entriesIn("cclk", part.cclk, whole.cclk, findLevel, level),
             entriesIn("curve", part.vddcCurve, whole.vddcCurve, findPoint, point),
             entriesIn("curveSclk", part.ranges.curveSclk, whole.ranges.curveSclk, findIndexed, range),
             entriesIn("curveVolt", part.ranges.curveVolt, whole.ranges.curveVolt, findIndexed, range),
             optionalIn("sclkOffset", part.sclkOffsetMhz, whole.sclkOffsetMhz),
             optionalIn("vddgfxOffset", part.vddgfxOffsetMv, whole.vddgfxOffsetMv),
             optionalIn("cclkCore", part.cclkCore, whole.cclkCore),
             optionalIn("range sclk", part.ranges.sclk, whole.ranges.sclk),
             optionalIn("range mclk", part.ranges.mclk, whole.ranges.mclk),
             optionalIn("range vddc", part.ranges.vddc, whole.ranges.vddc),
             optionalIn("range sclkOffset", part.ranges.sclkOffset, whole.ranges.sclkOffset),
             optionalIn("range vddgfxOffset", part.ranges.vddgfxOffset, whole.ranges.vddgfxOffset),
             optionalIn("range vddcCurve", part.ranges.vddcCurve, whole.ranges.vddcCurve),
             optionalIn("range cclk", part.ranges.cclk, whole.ranges.cclk),
         }) {
        if (!diff.empty()) return diff;
    }
    return {};
}

}  // namespace amdgpu::samples
