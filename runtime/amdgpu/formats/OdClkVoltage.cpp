// SPDX-License-Identifier: GPL-3.0-or-later
// pp_od_clk_voltage differs per generation and per kernel version, and the kernel only prints the
// sections the card supports, so the reader takes each section on its own terms and fills only
// what it could read. A line it cannot read is counted, never guessed at.

#include "formats/OdClkVoltage.h"

#include <string_view>

#include "formats/Text.h"

namespace amdgpu {

namespace {

using text::Quantity;

enum class Section { None, Unknown, Sclk, Mclk, Curve, SclkOffset, VddgfxOffset, Cclk, Range };

constexpr std::string_view kCclkCorePrefix = "CCLK_RANGE in Core";

Section sectionNamed(std::string_view name) {
    if (name == "OD_SCLK") return Section::Sclk;
    if (name == "OD_MCLK") return Section::Mclk;
    if (name == "OD_VDDC_CURVE") return Section::Curve;
    if (name == "OD_SCLK_OFFSET") return Section::SclkOffset;
    if (name == "OD_VDDGFX_OFFSET") return Section::VddgfxOffset;
    if (name == "OD_CCLK") return Section::Cclk;
    if (name.starts_with(kCclkCorePrefix)) return Section::Cclk;
    if (name == "OD_RANGE") return Section::Range;
    return Section::Unknown;
}

// "VDDC_CURVE_SCLK[2]" -> 2 when key has that base; nullopt when it has another base; -1 when it
// has the base but no readable index.
std::optional<int> indexedKey(std::string_view key, std::string_view base) {
    if (!key.starts_with(base)) return std::nullopt;
    const std::string_view rest = key.substr(base.size());
    if (rest.size() < 3 || rest.front() != '[' || rest.back() != ']') return -1;
    const std::optional<int> index = text::toInt(rest.substr(1, rest.size() - 2));
    if (!index || *index < 0) return -1;
    return index;
}

struct RangeSlot {
    std::optional<Range>* single = nullptr;
    std::vector<IndexedRange>* indexed = nullptr;
    int index = -1;
    std::string_view unit;
};

// Where a range key's values go; nullopt for keys this reader does not know.
std::optional<RangeSlot> rangeSlot(OdRanges& ranges, std::string_view key) {
    if (key == "SCLK") return RangeSlot{&ranges.sclk, nullptr, -1, "MHz"};
    if (key == "MCLK") return RangeSlot{&ranges.mclk, nullptr, -1, "MHz"};
    if (key == "VDDC") return RangeSlot{&ranges.vddc, nullptr, -1, "mV"};
    if (key == "SCLK_OFFSET") return RangeSlot{&ranges.sclkOffset, nullptr, -1, "MHz"};
    if (key == "VDDGFX_OFFSET") return RangeSlot{&ranges.vddgfxOffset, nullptr, -1, "mV"};
    if (key == "VDDC_CURVE") return RangeSlot{&ranges.vddcCurve, nullptr, -1, "mV"};
    if (key == "CCLK") return RangeSlot{&ranges.cclk, nullptr, -1, "MHz"};
    if (const auto i = indexedKey(key, "VDDC_CURVE_SCLK"))
        return RangeSlot{nullptr, &ranges.curveSclk, *i, "MHz"};
    if (const auto i = indexedKey(key, "VDDC_CURVE_VOLT"))
        return RangeSlot{nullptr, &ranges.curveVolt, *i, "mV"};
    return std::nullopt;
}

bool readRange(const RangeSlot& slot, std::string_view rest) {
    const auto values = text::quantities(rest);
    if (!values || values->size() != 2) return false;
    const Quantity& low = (*values)[0];
    const Quantity& high = (*values)[1];
    if (!text::unitIs(low.unit, slot.unit) || !text::unitIs(high.unit, slot.unit)) return false;
    if (low.value > high.value) return false;
    const Range range{low.value, high.value};
    if (slot.single != nullptr) {
        if (slot.single->has_value()) return false;
        *slot.single = range;
        return true;
    }
    if (slot.index < 0 || findRange(*slot.indexed, slot.index) != nullptr) return false;
    slot.indexed->push_back({slot.index, range});
    return true;
}

std::optional<int> levelIndex(const text::KeyedLine& line) {
    if (!line.hasColon) return std::nullopt;
    const std::optional<int> index = text::toInt(line.key);
    if (!index || *index < 0) return std::nullopt;
    return index;
}

// `<i>: <MHz>` or `<i>: <MHz> <mV>`.
bool readLevel(std::vector<ClockLevel>& levels, const text::KeyedLine& line) {
    const std::optional<int> index = levelIndex(line);
    const auto values = text::quantities(line.rest);
    if (!index || !values || values->empty() || values->size() > 2) return false;
    if (findLevel(levels, *index) != nullptr) return false;
    if (!text::unitIs((*values)[0].unit, "MHz")) return false;
    ClockLevel level{*index, (*values)[0].value, std::nullopt};
    if (values->size() == 2) {
        if (!text::unitIs((*values)[1].unit, "mV")) return false;
        level.mv = (*values)[1].value;
    }
    levels.push_back(level);
    return true;
}

// `<i>: <MHz> <mV>` or, on RDNA3 before 6.7, `<i>: <mV>`.
bool readCurvePoint(std::vector<CurvePoint>& points, const text::KeyedLine& line) {
    const std::optional<int> index = levelIndex(line);
    const auto values = text::quantities(line.rest);
    if (!index || !values || values->empty() || values->size() > 2) return false;
    if (findPoint(points, *index) != nullptr) return false;
    CurvePoint point{*index, std::nullopt, 0};
    if (values->size() == 2) {
        if (!text::unitIs((*values)[0].unit, "MHz")) return false;
        point.mhz = (*values)[0].value;
    }
    if (!text::unitIs(values->back().unit, "mV")) return false;
    point.mv = values->back().value;
    points.push_back(point);
    return true;
}

// The lone value line of OD_SCLK_OFFSET ("0Mhz") or OD_VDDGFX_OFFSET ("-10mV"). The kernel prints
// exactly one; a second line means the text was damaged ("-2\05mV" reads as "-2" and "5mV"), and
// then neither is trusted.
bool readOffset(std::optional<int>& offset, const text::KeyedLine& line, std::string_view unit,
                int& linesSeen, int& unparsed) {
    if (++linesSeen > 1) {
        if (offset.has_value()) ++unparsed;
        offset.reset();
        return false;
    }
    if (line.hasColon) return false;
    const auto values = text::quantities(line.rest);
    if (!values || values->size() != 1 || !text::unitIs((*values)[0].unit, unit)) return false;
    offset = (*values)[0].value;
    return true;
}

}  // namespace

OdClkVoltage parseOdClkVoltage(std::string_view input) {
    OdClkVoltage od;
    Section section = Section::None;
    int linesInSection = 0;
    for (const std::string_view raw : text::lines(input)) {
        const text::KeyedLine line = text::splitKey(raw);
        const bool header = text::isHeader(line);
        // Outside a section this reader knows, only a header means anything.
        if (!header && (section == Section::None || section == Section::Unknown)) continue;
        const std::string key = text::collapseBlanks(line.key);
        // A name followed by nothing opens a section, except a range key cut short.
        if (header && !(section == Section::Range && rangeSlot(od.ranges, key))) {
            section = sectionNamed(key);
            linesInSection = 0;
            if (section == Section::Unknown) continue;
            od.recognised = true;
            if (std::string_view(key).starts_with(kCclkCorePrefix)) {
                const std::optional<int> core =
                    text::toInt(std::string_view(key).substr(kCclkCorePrefix.size()));
                if (core && *core >= 0 && !od.cclkCore) {
                    od.cclkCore = core;
                } else {
                    ++od.unparsedLines;
                }
            }
            continue;
        }
        if (section == Section::None || section == Section::Unknown) continue;
        const bool rangeShaped = line.hasColon && text::isName(key);
        if (section == Section::Range ? !rangeShaped : !text::startsWithNumber(raw)) {
            section = Section::Unknown;
            ++od.unparsedLines;
            continue;
        }
        bool read = false;
        switch (section) {
            case Section::None:
            case Section::Unknown:
                break;
            case Section::Sclk:
                read = readLevel(od.sclk, line);
                break;
            case Section::Mclk:
                read = readLevel(od.mclk, line);
                break;
            case Section::Cclk:
                read = readLevel(od.cclk, line);
                break;
            case Section::Curve:
                read = readCurvePoint(od.vddcCurve, line);
                break;
            case Section::SclkOffset:
                read = readOffset(od.sclkOffsetMhz, line, "MHz", linesInSection, od.unparsedLines);
                break;
            case Section::VddgfxOffset:
                read = readOffset(od.vddgfxOffsetMv, line, "mV", linesInSection, od.unparsedLines);
                break;
            case Section::Range: {
                const std::optional<RangeSlot> slot = rangeSlot(od.ranges, key);
                if (!slot) continue;  // a key of a newer kernel
                read = readRange(*slot, line.rest);
                break;
            }
        }
        if (!read) ++od.unparsedLines;
    }
    return od;
}

const ClockLevel* findLevel(const std::vector<ClockLevel>& levels, int index) {
    for (const ClockLevel& level : levels) {
        if (level.index == index) return &level;
    }
    return nullptr;
}

const CurvePoint* findPoint(const std::vector<CurvePoint>& points, int index) {
    for (const CurvePoint& point : points) {
        if (point.index == index) return &point;
    }
    return nullptr;
}

const Range* findRange(const std::vector<IndexedRange>& ranges, int index) {
    for (const IndexedRange& entry : ranges) {
        if (entry.index == index) return &entry.range;
    }
    return nullptr;
}

}  // namespace amdgpu
