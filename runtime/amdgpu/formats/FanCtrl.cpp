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

bool isHeader(const text::KeyedLine& line) {
    return line.hasColon && line.rest.empty() && text::isName(line.key);
}

}  // namespace

FanCurve parseFanCurve(std::string_view input) {
    enum class Section { None, Unknown, Points, Range };
    FanCurve curve;
    Section section = Section::None;
    for (const std::string_view raw : text::lines(input)) {
        const text::KeyedLine line = text::splitKey(raw);
        const bool rangeKeyCutShort = section == Section::Range && line.key.starts_with("FAN_CURVE(");
        if (isHeader(line) && !rangeKeyCutShort) {
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
        bool read = false;
        if (section == Section::None || section == Section::Unknown) continue;
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
        } else if (line.hasColon && line.key == "FAN_CURVE(hotspot temp)") {
            read = readRange(curve.celsius, line.rest, "C");
        } else if (line.hasColon && line.key == "FAN_CURVE(fan speed)") {
            read = readRange(curve.percent, line.rest, "%");
        } else if (line.hasColon && text::isName(line.key)) {
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
    for (const std::string_view raw : text::lines(input)) {
        const text::KeyedLine line = text::splitKey(raw);
        if (isHeader(line) && line.key == "OD_RANGE") {
            section = Section::Range;
            continue;
        }
        if (isHeader(line) && !setting.recognised) {
            setting.recognised = true;
            setting.header = std::string(line.key);
            section = Section::Value;
            continue;
        }
        bool read = false;
        if (section == Section::None) continue;
        if (section == Section::Value) {
            const auto values = text::quantities(line.rest);
            if (!line.hasColon && !setting.value && values && values->size() == 1 && (*values)[0].unit.empty()) {
                setting.value = (*values)[0].value;
                read = true;
            }
        } else if (line.hasColon && text::isName(line.key) && setting.rangeKey.empty()) {
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
