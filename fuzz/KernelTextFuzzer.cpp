// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes at all as pp_od_clk_voltage, a fan_ctrl file, a sensor file or a connector's edid: the readers may
// find values or not, but they never read out of bounds, every number they report is written in
// the text, trailing NUL padding changes nothing, and a reading printed the kernel's way reads
// back the same. A monitor name is printable text that stands in the bytes as given.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Render.h"
#include "formats/Edid.h"
#include "formats/FanCtrl.h"
#include "formats/OdClkVoltage.h"
#include "formats/Sensors.h"

namespace {

using namespace amdgpu;

void require(bool condition) {
    if (!condition) std::abort();
}

// The digits of the value are in the text (a reader may drop a sign or leading zeros, never
// make digits up).
void fromText(std::string_view text, int value) {
    const std::int64_t magnitude = value < 0 ? -static_cast<std::int64_t>(value) : value;
    require(text.find(std::to_string(magnitude)) != std::string_view::npos);
}

void fromText(std::string_view text, const std::optional<int>& value) {
    if (value) fromText(text, *value);
}

void fromText(std::string_view text, const std::optional<Range>& range) {
    if (!range) return;
    require(range->min <= range->max);
    fromText(text, range->min);
    fromText(text, range->max);
}

// Each entry is the one its list finds by its index, and its index and numbers are in the text.
template <class Entry, class Find, class... Fields>
void entriesFromText(std::string_view text, const std::vector<Entry>& entries, Find&& find,
                     Fields Entry::*... fields) {
    for (const Entry& e : entries) {
        require(find(entries, e.index) == &e);
        fromText(text, e.index);
        (fromText(text, e.*fields), ...);
    }
}

// A level of a negative index is never found.
const ClockLevel* findLevelAtIndex(const std::vector<ClockLevel>& levels, int index) {
    return index >= 0 ? findLevel(levels, index) : nullptr;
}

// The point of an index, in either kind of curve.
const auto findPointAtIndex = [](const auto& points, int index) { return findPoint(points, index); };

void checkOdClkVoltage(std::string_view text) {
    const OdClkVoltage od = parseOdClkVoltage(text);
    for (const auto* levels : {&od.sclk, &od.mclk, &od.cclk})
        entriesFromText(text, *levels, findLevelAtIndex, &ClockLevel::mhz, &ClockLevel::mv);
    entriesFromText(text, od.vddcCurve, findPointAtIndex, &CurvePoint::mhz, &CurvePoint::mv);
    fromText(text, od.sclkOffsetMhz);
    fromText(text, od.vddgfxOffsetMv);
    fromText(text, od.cclkCore);
    const OdRanges& r = od.ranges;
    for (const auto* range :
         {&r.sclk, &r.mclk, &r.vddc, &r.sclkOffset, &r.vddgfxOffset, &r.vddcCurve, &r.cclk}) {
        fromText(text, *range);
    }
    for (const auto* list : {&r.curveSclk, &r.curveVolt}) {
        for (const IndexedRange& e : *list) {
            require(findRange(*list, e.index) == &e.range);
            fromText(text, e.index);
            fromText(text, std::optional<Range>(e.range));
        }
    }
    require(od.unparsedLines >= 0);
    if (!od.recognised) require(od == OdClkVoltage{});

    require(parseOdClkVoltage(std::string(text) + std::string(64, '\0')) == od);

    const std::string rendered = amdgpu::samples::render(od);
    OdClkVoltage expected = od;
    expected.recognised = !rendered.empty();
    expected.unparsedLines = 0;
    require(parseOdClkVoltage(rendered) == expected);
}

void checkFanCtrl(std::string_view text) {
    const FanCurve curve = parseFanCurve(text);
    entriesFromText(text, curve.points, findPointAtIndex, &FanCurvePoint::celsius, &FanCurvePoint::percent);
    fromText(text, curve.celsius);
    fromText(text, curve.percent);
    require(parseFanCurve(std::string(text) + std::string(64, '\0')) == curve);

    const FanSetting setting = parseFanSetting(text);
    fromText(text, setting.value);
    fromText(text, setting.range);
    require(setting.range.has_value() == !setting.rangeKey.empty());
    require(text.find(setting.rangeKey) != std::string_view::npos);
    require(text.find(setting.header) != std::string_view::npos);
}

// A sensor's number is in the text, and a page of NUL padding changes nothing.
void checkSensors(std::string_view text) {
    const std::string padded = std::string(text) + std::string(64, '\0');
    const std::optional<int> clock = parseActiveDpmClock(text);
    fromText(text, clock);
    if (clock) require(*clock >= 0 && text.find('*') != std::string_view::npos);
    require(parseActiveDpmClock(padded) == clock);
    require(parseRuntimeStatus(padded) == parseRuntimeStatus(text));
    const std::optional<int> busy = parseBusyPercent(text);
    if (busy) require(*busy >= 0 && *busy <= 100);
    fromText(text, busy);
    const std::optional<double> pwm = percentFromPwm(text);
    if (pwm) require(*pwm >= 0 && *pwm <= 100);
    fromText(text, parseRpm(text));
    for (auto* convert : {&celsiusFromMillidegrees, &wattsFromMicrowatts, &mhzFromHz, &mibFromBytes, &percentFromPwm})
        require(convert(padded) == convert(text));
}

void checkEdid(std::string_view bytes) {
    const std::optional<std::string> name = edidMonitorName(bytes);
    if (!name) return;
    require(!name->empty() && name->size() <= 13 && name->front() != ' ' && name->back() != ' ');
    for (const char c : *name) require(c >= 0x20 && c <= 0x7E);
    require(bytes.substr(0, kEdidBlockSize).find(*name) != std::string_view::npos);
    require(edidMonitorName(std::string(bytes) + std::string(128, '\0')) == name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkOdClkVoltage(text);
    checkFanCtrl(text);
    checkSensors(text);
    checkEdid(text);
    return 0;
}
