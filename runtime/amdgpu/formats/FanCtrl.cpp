// SPDX-License-Identifier: GPL-3.0-or-later
// The fan_ctrl files print a value section and an OD_RANGE section each. A curve point or a range
// the reader cannot read is left out and counted, so the runtime never shows a limit the kernel
// did not state.

#include "formats/FanCtrl.h"

#include "formats/Text.h"

namespace amdgpu {

namespace {

// `<KEY>: <min><unit> <max><unit>`, both with the given unit (empty for none).
bool readRange(std::optional<Range>& range, std::string_view rest, std::string_view unit) {
    if (range.has_value()) return false;
    const auto values = text::quantities(rest);
    if (!values || values->size() != 2) return false;
    if (!text::unitIs((*values)[0].unit, unit) || !text::unitIs((*values)[1].unit, unit)) return false;
    if ((*values)[0].value > (*values)[1].value) return false;
    range = Range{(*values)[0].value, (*values)[1].value};
    return true;
}

// Whether the text's last line ends in a newline (or NUL). A number without a unit that was cut
// short ("30" of "3000") looks like a whole one, so the single-value files, which always end in a
// newline, do not trust a last line that lacks it.
bool lastLineEnded(std::string_view input) {
    while (!input.empty() && text::isBlank(input.back())) input.remove_suffix(1);
    return input.empty() || input.back() == '\n' || input.back() == '\0';
}

}  // namespace

FanCurve parseFanCurve(std::string_view input) {
    enum class Section { None, Unknown, Points, Range };
    FanCurve curve;
    Section section = Section::None;
    for (const std::string_view raw : text::lines(input)) {
        const text::KeyedLine line = text::splitKey(raw);
        const bool header = text::isHeader(line);
        // Outside a section this reader knows, only a header means anything.
        if (!header && (section == Section::None || section == Section::Unknown)) continue;
        const std::string key = text::collapseBlanks(line.key);
        const bool rangeKeyCutShort = section == Section::Range && key.starts_with("FAN_CURVE(");
        if (header && !rangeKeyCutShort) {
            if (line.key == "OD_FAN_CURVE") {
                section = Section::Points;
                curve.recognised = true;
            } else if (line.key == "OD_RANGE") {
                section = Section::Range;
            } else {
                section = Section::Unknown;
            }
            continue;
        }
        if (section == Section::None || section == Section::Unknown) continue;
        if (section == Section::Points ? !text::startsWithNumber(raw)
                                       : !(line.hasColon && text::isName(key))) {
            section = Section::Unknown;  // a damaged header: what follows may not be ours
            ++curve.unparsedLines;
            continue;
        }
        bool read = false;
        if (section == Section::Points) {
            std::optional<int> index;
            if (line.hasColon) index = text::toInt(line.key);
            const auto values = text::quantities(line.rest);
            if (index && *index >= 0 && values && values->size() == 2 &&
                text::unitIs((*values)[0].unit, "C") && text::unitIs((*values)[1].unit, "%") &&
                findPoint(curve.points, *index) == nullptr) {
                curve.points.push_back({*index, (*values)[0].value, (*values)[1].value});
                read = true;
            }
        } else if (line.hasColon && key == "FAN_CURVE(hotspot temp)") {
            read = readRange(curve.celsius, line.rest, "C");
        } else if (line.hasColon && key == "FAN_CURVE(fan speed)") {
            read = readRange(curve.percent, line.rest, "%");
        } else {
            continue;  // a range of a newer kernel
        }
        if (!read) ++curve.unparsedLines;
    }
    return curve;
}

FanSetting parseFanSetting(std::string_view input) {
    enum class Section { None, Value, Range };
    FanSetting setting;
    Section section = Section::None;
    int linesInSection = 0;
    const std::vector<std::string_view> lines = text::lines(input);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const text::KeyedLine line = text::splitKey(lines[i]);
        if (i + 1 == lines.size() && !lastLineEnded(input) && !text::isHeader(line)) {
            ++setting.unparsedLines;
            break;
        }
        if (text::isHeader(line) && line.key == "OD_RANGE") {
            section = Section::Range;
            linesInSection = 0;
            continue;
        }
        if (text::isHeader(line) && !setting.recognised) {
            setting.recognised = true;
            setting.header = std::string(line.key);
            section = Section::Value;
            linesInSection = 0;
            continue;
        }
        if (section == Section::None) continue;
        // Each section holds exactly one line. A second one means the text was damaged (a NUL in
        // "3000" reads as "30" and "00"), and then the first is not trusted either.
        if (++linesInSection > 1) {
            if (section == Section::Value && setting.value) ++setting.unparsedLines;
            if (section == Section::Range && setting.range) ++setting.unparsedLines;
            if (section == Section::Value) setting.value.reset();
            if (section == Section::Range) {
                setting.range.reset();
                setting.rangeKey.clear();
            }
            ++setting.unparsedLines;
            continue;
        }
        bool read = false;
        if (section == Section::Value) {
            const auto values = text::quantities(line.rest);
            if (!line.hasColon && values && values->size() == 1 && (*values)[0].unit.empty()) {
                setting.value = (*values)[0].value;
                read = true;
            }
        } else if (line.hasColon && text::isName(line.key)) {
            read = readRange(setting.range, line.rest, "");
            if (read) setting.rangeKey = std::string(line.key);
        }
        if (!read) ++setting.unparsedLines;
    }
    return setting;
}

const FanCurvePoint* findPoint(const std::vector<FanCurvePoint>& points, int index) {
    for (const FanCurvePoint& point : points) {
        if (point.index == index) return &point;
    }
    return nullptr;
}

}  // namespace amdgpu
