// GPU tuning over the kernel's files: pp_od_clk_voltage for clocks and voltage, hwmon power1_cap
// for the power limit, gpu_od/fan_ctrl for the fan curve and zero RPM. Every call reads what it
// needs when it is made and writes only what changes; nothing is remembered between calls.

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <limits>
#include <memory>

#include "Family.h"
#include "Kernel.h"
#include "Objects.h"
#include "Session.h"
#include "formats/Commands.h"
#include "formats/FanCtrl.h"
#include "formats/Values.h"

namespace amdgpu {

namespace {

constexpr std::int64_t kMicrowattsPerWatt = 1000000;
constexpr unsigned kOverdriveBit = 0x4000;
constexpr const char* kFeatureMask = "module/amdgpu/parameters/ppfeaturemask";

const Card& cardAt(int index) { return session().cards.at(static_cast<std::size_t>(index)); }

// ---- Overdrive: pp_od_clk_voltage, read once per call.

struct Overdrive {
    bool present = false;  // the file exists and could be read
    OdClkVoltage od;
    const FamilyRules* rules = nullptr;  // null: overdrive is off (or the file is not readable)
};

Overdrive readOverdrive(Kernel& kernel, const Card& card) {
    Overdrive o;
    if (const std::string* text = kernel.text(card.file("pp_od_clk_voltage"))) {
        o.present = true;
        o.od = parseOdClkVoltage(*text);
        o.rules = rulesFor(o.od);
    }
    return o;
}

std::optional<unsigned long> parseMask(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    const int base = text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0 ? 16 : 10;
    if (base == 16) i += 2;
    unsigned long value = 0;
    bool digits = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            break;
        if (value > (std::numeric_limits<unsigned long>::max() - d) / base) return std::nullopt;
        value = value * base + d;
        digits = true;
    }
    return digits ? std::optional<unsigned long>(value) : std::nullopt;
}

// Says once per process why clocks, voltage and memory cannot be tuned, and how to change that.
void noteOverdriveOff(Kernel& kernel, const Card& card, const Overdrive& o) {
    Session& s = session();
    if (s.overdriveHintShown) return;
    s.overdriveHintShown = true;
    const char* why =
        o.present ? "its pp_od_clk_voltage holds no overdrive section" : "it has no pp_od_clk_voltage";
    std::optional<unsigned long> mask;
    if (const std::string* text = kernel.text(kFeatureMask)) mask = parseMask(*text);
    if (mask && (*mask & kOverdriveBit) != 0) {
        std::fprintf(stderr,
                     "tachyon-amdgpu: card%d offers no overdrive (%s) although amdgpu.ppfeaturemask (0x%lx) "
                     "switches it on: clocks, voltage and memory cannot be tuned on this card.\n",
                     card.number, why, *mask);
        return;
    }
    const unsigned long wanted = (mask ? *mask : 0xfff7bffful) | kOverdriveBit;
    std::fprintf(
        stderr,
        "tachyon-amdgpu: card%d: overdrive is off (%s), so clocks, voltage and memory cannot be tuned. "
        "Switch it on with amdgpu.ppfeaturemask=0x%lx on the kernel command line (bit 0x4000 added to "
        "%s) and restart.\n",
        card.number, why, wanted, mask ? "the current mask" : "the kernel's default mask");
}

std::int64_t clampToInt(std::int64_t v) {
    return std::clamp<std::int64_t>(v, std::numeric_limits<adlx_int>::min(),
                                    std::numeric_limits<adlx_int>::max());
}

ADLX_IntRange intRange(const Range& r) { return {r.min, r.max, 1}; }

// ---- Power: hwmon power1_cap in microwatts, shown as an offset from the default cap in percent.

struct PowerFiles {
    std::int64_t cap = 0;
    std::int64_t defaultCap = 0;
    std::optional<std::int64_t> min;
    std::optional<std::int64_t> max;
};

// A file of one non-negative decimal number (microwatts, bytes).
std::optional<std::int64_t> readNumber(Kernel& kernel, const std::string& path) {
    const std::string* text = kernel.text(path);
    if (text == nullptr) return std::nullopt;
    const Int64Value v = parseDecimalFile(*text);
    if (!v.ok() || v.value < 0) return std::nullopt;
    return v.value;
}

std::optional<PowerFiles> readPower(Kernel& kernel, const Card& card, bool withLimits) {
    const auto cap = readNumber(kernel, card.hwmonFile("power1_cap"));
    const auto def = readNumber(kernel, card.hwmonFile("power1_cap_default"));
    if (!cap || !def || *def <= 0) return std::nullopt;
    PowerFiles p{*cap, *def, std::nullopt, std::nullopt};
    if (withLimits) {
        p.min = readNumber(kernel, card.hwmonFile("power1_cap_min"));
        p.max = readNumber(kernel, card.hwmonFile("power1_cap_max"));
    }
    return p;
}

// Rounded to the nearest percent, so a cap set from a percentage reads back as that percentage.
std::int64_t percentOf(const PowerFiles& p) {
    return clampToInt((p.cap * 100 + p.defaultCap / 2) / p.defaultCap - 100);
}

// The cap for a percentage, in whole watts as the kernel keeps it (it truncates microwatts).
std::optional<std::int64_t> capFor(const PowerFiles& p, std::int64_t offset) {
    const std::int64_t percent = offset + 100;
    if (percent < 0 || percent > 100000) return std::nullopt;
    const std::int64_t watts =
        (p.defaultCap * percent + 50 * kMicrowattsPerWatt) / (100 * kMicrowattsPerWatt);
    return watts * kMicrowattsPerWatt;
}

// A minimum of 0 is how the kernel says it knows no lower limit; a cap of 0 W would not limit the
// card but stop it, so the lowest cap taken is 1 W.
bool capAllowed(const PowerFiles& p, std::int64_t offset) {
    const auto cap = capFor(p, offset);
    if (!cap || *cap < kMicrowattsPerWatt || *cap > std::numeric_limits<std::uint32_t>::max()) return false;
    if (p.min && *cap < *p.min) return false;
    if (p.max && *cap > *p.max) return false;
    return true;
}

std::optional<ADLX_IntRange> powerRange(const PowerFiles& p) {
    if (!p.min || !p.max) return std::nullopt;
    const std::int64_t lowest = std::max(*p.min, kMicrowattsPerWatt);
    std::int64_t lo = (lowest * 100 + p.defaultCap - 1) / p.defaultCap - 100;
    while (lo > -100 && capAllowed(p, lo - 1)) --lo;
    while (lo < 100000 && !capAllowed(p, lo)) ++lo;
    std::int64_t hi = *p.max * 100 / p.defaultCap - 100;
    while (capAllowed(p, hi + 1)) ++hi;
    while (hi > lo && !capAllowed(p, hi)) --hi;
    if (!capAllowed(p, lo) || !capAllowed(p, hi)) return std::nullopt;
    return ADLX_IntRange{static_cast<adlx_int>(clampToInt(lo)), static_cast<adlx_int>(clampToInt(hi)), 1};
}

// ---- Fans: gpu_od/fan_ctrl (RDNA3 and later).

struct FanPoint {
    int speed = 0;
    int temperature = 0;
};
using Curve = std::vector<FanPoint>;

struct FanCurveView {
    std::vector<FanCurvePoint> points;  // by index
    Range celsius;
    Range percent;
};

std::optional<FanCurveView> readFanCurve(Kernel& kernel, const Card& card) {
    const std::string* text = kernel.text(card.file("gpu_od/fan_ctrl/fan_curve"));
    if (text == nullptr) return std::nullopt;
    FanCurve curve = parseFanCurve(*text);
    if (!curve.recognised || curve.points.empty() || !curve.celsius || !curve.percent) return std::nullopt;
    std::sort(curve.points.begin(), curve.points.end(),
              [](const auto& a, const auto& b) { return a.index < b.index; });
    return FanCurveView{std::move(curve.points), *curve.celsius, *curve.percent};
}

std::optional<FanSetting> readZeroRpm(Kernel& kernel, const Card& card) {
    const std::string* text = kernel.text(card.file("gpu_od/fan_ctrl/fan_zero_rpm_enable"));
    if (text == nullptr) return std::nullopt;
    FanSetting setting = parseFanSetting(*text);
    if (!setting.recognised || !setting.value) return std::nullopt;
    return setting;
}

bool contains(const Range& r, int v) { return v >= r.min && v <= r.max; }

// The first point the kernel would refuse or that makes no curve (out of range, lower than the
// point before it, missing or extra); -1 when the whole curve may be set.
int firstInvalidPoint(const FanCurveView& fan, const Curve& points) {
    const std::size_t n = std::max(points.size(), fan.points.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (i >= points.size() || i >= fan.points.size()) return static_cast<int>(i);
        const FanPoint& p = points[i];
        if (!contains(fan.percent, p.speed) || !contains(fan.celsius, p.temperature))
            return static_cast<int>(i);
        if (i > 0 && (p.speed < points[i - 1].speed || p.temperature < points[i - 1].temperature))
            return static_cast<int>(i);
    }
    return -1;
}

// ---- The feature objects.

class GfxTuning final : public Counted<IADLXManualGraphicsTuning2> {
public:
    explicit GfxTuning(int card) : Counted(Kind::Other, card) {}

    ADLX_RESULT GetGPUMinFrequencyRange(ADLX_IntRange* out) override { return clockRange(out); }
    ADLX_RESULT GetGPUMaxFrequencyRange(ADLX_IntRange* out) override { return clockRange(out); }
    ADLX_RESULT GetGPUMinFrequency(adlx_int* out) override { return clock(out, PairEnd::Low); }
    ADLX_RESULT GetGPUMaxFrequency(adlx_int* out) override { return clock(out, PairEnd::High); }
    ADLX_RESULT SetGPUMinFrequency(adlx_int v) override { return setClock(PairEnd::Low, v); }
    ADLX_RESULT SetGPUMaxFrequency(adlx_int v) override { return setClock(PairEnd::High, v); }

    ADLX_RESULT GetGPUVoltageRange(ADLX_IntRange* out) override {
        return withVoltage(out, [&](const Voltage& v) { *out = intRange(v.range); });
    }
    ADLX_RESULT GetGPUVoltage(adlx_int* out) override {
        return withVoltage(out, [&](const Voltage& v) { *out = v.mv; });
    }
    ADLX_RESULT SetGPUVoltage(adlx_int mv) override {
        return guarded(*this, [&]() -> ADLX_RESULT {
            Kernel kernel;
            const Overdrive o = readOverdrive(kernel, cardAt(card));
            const auto v = o.rules ? voltage(*o.rules, o.od) : std::nullopt;
            if (!v) return ADLX_NOT_SUPPORTED;
            if (!contains(v->range, mv)) return ADLX_INVALID_ARGS;
            const Plan plan = setVoltage(*o.rules, o.od, mv);
            if (plan.commands.empty()) return ADLX_OK;
            return stage(kernel, cardAt(card).file("pp_od_clk_voltage"), plan.commands, plan.undo);
        });
    }

private:
    template <class T, class Use>
    ADLX_RESULT withClocks(T* out, Use&& use) {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [&]() -> ADLX_RESULT {
            Kernel kernel;
            const Overdrive o = readOverdrive(kernel, cardAt(card));
            const auto clocks = o.rules ? engineClocks(*o.rules, o.od) : std::nullopt;
            if (!clocks) return ADLX_NOT_SUPPORTED;
            use(*clocks);
            return ADLX_OK;
        });
    }
    ADLX_RESULT clockRange(ADLX_IntRange* out) {
        return withClocks(out, [&](const EngineClocks& c) { *out = intRange(c.range); });
    }
    ADLX_RESULT clock(adlx_int* out, PairEnd end) {
        return withClocks(out, [&](const EngineClocks& c) {
            *out = end == PairEnd::Low ? c.levels.low.mhz : c.levels.high.mhz;
        });
    }
    ADLX_RESULT setClock(PairEnd end, adlx_int mhz) {
        return guarded(*this, [&]() -> ADLX_RESULT {
            Kernel kernel;
            const Overdrive o = readOverdrive(kernel, cardAt(card));
            const auto clocks = o.rules ? engineClocks(*o.rules, o.od) : std::nullopt;
            if (!clocks) return ADLX_NOT_SUPPORTED;
            if (!contains(clocks->range, mhz)) return ADLX_INVALID_ARGS;
            const Plan plan = moveClock(*o.rules, ClockKind::Engine, clocks->levels, end, mhz);
            if (plan.commands.empty()) return ADLX_OK;
            return stage(kernel, cardAt(card).file("pp_od_clk_voltage"), plan.commands, plan.undo);
        });
    }
    template <class T, class Use>
    ADLX_RESULT withVoltage(T* out, Use&& use) {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [&]() -> ADLX_RESULT {
            Kernel kernel;
            const Overdrive o = readOverdrive(kernel, cardAt(card));
            const auto v = o.rules ? voltage(*o.rules, o.od) : std::nullopt;
            if (!v) return ADLX_NOT_SUPPORTED;
            use(*v);
            return ADLX_OK;
        });
    }
};

class VramTuning final : public Counted<IADLXManualVRAMTuning2> {
public:
    explicit VramTuning(int card) : Counted(Kind::Other, card) {}

    // The kernel offers no memory timing levels.
    ADLX_RESULT IsSupportedMemoryTiming(adlx_bool* out) override {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [&] {
            *out = false;
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetSupportedMemoryTimingDescriptionList(IADLXMemoryTimingDescriptionList** pp) override {
        return handOut(*this, pp, [](IADLXMemoryTimingDescriptionList*&) { return ADLX_NOT_SUPPORTED; });
    }
    ADLX_RESULT GetMemoryTimingDescription(ADLX_MEMORYTIMING_DESCRIPTION* out) override {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [] { return ADLX_NOT_SUPPORTED; });
    }
    ADLX_RESULT SetMemoryTimingDescription(ADLX_MEMORYTIMING_DESCRIPTION) override {
        return guarded(*this, [] { return ADLX_NOT_SUPPORTED; });
    }
    ADLX_RESULT GetMaxVRAMFrequencyRange(ADLX_IntRange* out) override {
        return withClocks(out, [&](const EngineClocks& c) { *out = intRange(c.range); });
    }
    ADLX_RESULT GetMaxVRAMFrequency(adlx_int* out) override {
        return withClocks(out, [&](const EngineClocks& c) { *out = c.levels.high.mhz; });
    }
    ADLX_RESULT SetMaxVRAMFrequency(adlx_int mhz) override {
        return guarded(*this, [&]() -> ADLX_RESULT {
            Kernel kernel;
            const Overdrive o = readOverdrive(kernel, cardAt(card));
            const auto clocks = o.rules ? memoryClocks(*o.rules, o.od) : std::nullopt;
            if (!clocks) return ADLX_NOT_SUPPORTED;
            if (!contains(clocks->range, mhz)) return ADLX_INVALID_ARGS;
            const Plan plan = moveClock(*o.rules, ClockKind::Memory, clocks->levels, PairEnd::High, mhz);
            if (plan.commands.empty()) return ADLX_OK;
            return stage(kernel, cardAt(card).file("pp_od_clk_voltage"), plan.commands, plan.undo);
        });
    }

private:
    template <class T, class Use>
    ADLX_RESULT withClocks(T* out, Use&& use) {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [&]() -> ADLX_RESULT {
            Kernel kernel;
            const Overdrive o = readOverdrive(kernel, cardAt(card));
            const auto clocks = o.rules ? memoryClocks(*o.rules, o.od) : std::nullopt;
            if (!clocks) return ADLX_NOT_SUPPORTED;
            use(*clocks);
            return ADLX_OK;
        });
    }
};

class PowerTuning final : public Counted<IADLXManualPowerTuning> {
public:
    explicit PowerTuning(int card) : Counted(Kind::Other, card) {}

    ADLX_RESULT GetPowerLimitRange(ADLX_IntRange* out) override {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [&]() -> ADLX_RESULT {
            Kernel kernel;
            const auto p = readPower(kernel, cardAt(card), true);
            if (!p) return ADLX_NOT_SUPPORTED;
            const auto range = powerRange(*p);
            if (!range) return ADLX_FAIL;
            *out = *range;
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetPowerLimit(adlx_int* out) override {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [&]() -> ADLX_RESULT {
            Kernel kernel;
            const auto p = readPower(kernel, cardAt(card), false);
            if (!p) return ADLX_NOT_SUPPORTED;
            *out = static_cast<adlx_int>(percentOf(*p));
            return ADLX_OK;
        });
    }
    ADLX_RESULT SetPowerLimit(adlx_int offset) override {
        return guarded(*this, [&]() -> ADLX_RESULT {
            Kernel kernel;
            const Card& c = cardAt(card);
            const auto p = readPower(kernel, c, true);
            if (!p) return ADLX_NOT_SUPPORTED;
            // The percentage shown is rounded: setting it back must not move the cap.
            if (percentOf(*p) == offset) return ADLX_OK;
            if (!capAllowed(*p, offset)) return ADLX_INVALID_ARGS;
            const auto cap = capFor(*p, offset);
            return resultOf(
                kernel.write(c.hwmonFile("power1_cap"), powerCapCommand(static_cast<std::uint32_t>(*cap))));
        });
    }
    // The kernel exposes no current (TDC) limit.
    ADLX_RESULT IsSupportedTDCLimit(adlx_bool* out) override {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [&] {
            *out = false;
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetTDCLimitRange(ADLX_IntRange* out) override {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [] { return ADLX_NOT_SUPPORTED; });
    }
    ADLX_RESULT GetTDCLimit(adlx_int* out) override {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [] { return ADLX_NOT_SUPPORTED; });
    }
    ADLX_RESULT SetTDCLimit(adlx_int) override {
        return guarded(*this, [] { return ADLX_NOT_SUPPORTED; });
    }
};

class FanState final : public Counted<IADLXManualFanTuningState> {
public:
    FanState(int card, std::shared_ptr<Curve> curve, std::size_t index)
        : Counted(Kind::Other, card), m_curve(std::move(curve)), m_index(index) {}

    // A state is a scratch value of its list: the kernel sees it only when the list is set.
    ADLX_RESULT GetFanSpeed(adlx_int* out) override { return get(out, &FanPoint::speed); }
    ADLX_RESULT SetFanSpeed(adlx_int v) override { return set(v, &FanPoint::speed); }
    ADLX_RESULT GetTemperature(adlx_int* out) override { return get(out, &FanPoint::temperature); }
    ADLX_RESULT SetTemperature(adlx_int v) override { return set(v, &FanPoint::temperature); }

private:
    ADLX_RESULT get(adlx_int* out, int FanPoint::*field) {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [&] {
            *out = (*m_curve)[m_index].*field;
            return ADLX_OK;
        });
    }
    ADLX_RESULT set(adlx_int v, int FanPoint::*field) {
        return guarded(*this, [&] {
            (*m_curve)[m_index].*field = v;
            return ADLX_OK;
        });
    }
    std::shared_ptr<Curve> m_curve;
    const std::size_t m_index;
};

class FanStateList final : public Counted<IADLXManualFanTuningStateList> {
public:
    FanStateList(int card, Curve points)
        : Counted(Kind::FanStateList, card), curve(std::make_shared<Curve>(std::move(points))) {}

    adlx_uint Size() override {
        return guardedCount(*this, [&] { return size(); });
    }
    adlx_uint Begin() override {
        return guardedCount(*this, [] { return 0u; });
    }
    adlx_uint End() override {
        return guardedCount(*this, [&] { return size(); });
    }
    ADLX_RESULT At(adlx_uint location, IADLXManualFanTuningState** pp) override {
        return handOut(*this, pp, [&](IADLXManualFanTuningState*& out) {
            if (location >= size()) return ADLX_INVALID_ARGS;
            out = session().make<FanState>(card, curve, location);
            return ADLX_OK;
        });
    }

    const std::shared_ptr<Curve> curve;

private:
    adlx_uint size() const { return static_cast<adlx_uint>(curve->size()); }
};

class FanTuning final : public Counted<IADLXManualFanTuning> {
public:
    explicit FanTuning(int card) : Counted(Kind::Other, card) {}

    ADLX_RESULT GetFanTuningRanges(ADLX_IntRange* speed, ADLX_IntRange* temperature) override {
        if (speed == nullptr || temperature == nullptr) return ADLX_INVALID_ARGS;
        return withCurve([&](Kernel&, const FanCurveView& fan) {
            *speed = intRange(fan.percent);
            *temperature = intRange(fan.celsius);
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetFanTuningStates(IADLXManualFanTuningStateList** pp) override { return list(pp, false); }
    ADLX_RESULT GetEmptyFanTuningStates(IADLXManualFanTuningStateList** pp) override {
        return list(pp, true);
    }

    ADLX_RESULT IsValidFanTuningStates(IADLXManualFanTuningStateList* states, adlx_int* errorIndex) override {
        if (errorIndex == nullptr) return ADLX_INVALID_ARGS;
        return withCurve([&](Kernel&, const FanCurveView& fan) -> ADLX_RESULT {
            const Curve* points = curveOf(states);
            if (points == nullptr) return ADLX_INVALID_ARGS;
            *errorIndex = firstInvalidPoint(fan, *points);
            return *errorIndex < 0 ? ADLX_OK : ADLX_INVALID_ARGS;
        });
    }
    ADLX_RESULT SetFanTuningStates(IADLXManualFanTuningStateList* states) override {
        return withCurve([&](Kernel& kernel, const FanCurveView& fan) -> ADLX_RESULT {
            const Curve* points = curveOf(states);
            if (points == nullptr || firstInvalidPoint(fan, *points) >= 0) return ADLX_INVALID_ARGS;
            Plan plan;
            for (std::size_t i = 0; i < fan.points.size(); ++i) {
                const FanCurvePoint& was = fan.points[i];
                const FanPoint& wanted = (*points)[i];
                if (was.celsius == wanted.temperature && was.percent == wanted.speed) continue;
                plan.commands.push_back(fanCurvePointCommand(was.index, wanted.temperature, wanted.speed));
                plan.undo.push_back(fanCurvePointCommand(was.index, was.celsius, was.percent));
            }
            if (plan.commands.empty()) return ADLX_OK;
            return stage(kernel, cardAt(card).file("gpu_od/fan_ctrl/fan_curve"), plan.commands, plan.undo);
        });
    }
    ADLX_RESULT IsSupportedZeroRPM(adlx_bool* out) override {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [&] {
            Kernel kernel;
            *out = readZeroRpm(kernel, cardAt(card)).has_value();
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetZeroRPMState(adlx_bool* out) override {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [&]() -> ADLX_RESULT {
            Kernel kernel;
            const auto setting = readZeroRpm(kernel, cardAt(card));
            if (!setting) return ADLX_NOT_SUPPORTED;
            *out = *setting->value != 0;
            return ADLX_OK;
        });
    }
    ADLX_RESULT SetZeroRPMState(adlx_bool enabled) override {
        return guarded(*this, [&]() -> ADLX_RESULT {
            Kernel kernel;
            const auto setting = readZeroRpm(kernel, cardAt(card));
            if (!setting) return ADLX_NOT_SUPPORTED;
            const int was = *setting->value;
            const int wanted = enabled ? 1 : 0;
            if ((was != 0) == enabled) return ADLX_OK;
            return stage(kernel, cardAt(card).file("gpu_od/fan_ctrl/fan_zero_rpm_enable"),
                         {fanSettingCommand(wanted)}, {fanSettingCommand(was)});
        });
    }

private:
    template <class Use>
    ADLX_RESULT withCurve(Use&& use) {
        return guarded(*this, [&]() -> ADLX_RESULT {
            Kernel kernel;
            const auto fan = readFanCurve(kernel, cardAt(card));
            if (!fan) return ADLX_NOT_SUPPORTED;
            return use(kernel, *fan);
        });
    }
    ADLX_RESULT list(IADLXManualFanTuningStateList** pp, bool empty) {
        return handOut(*this, pp, [&](IADLXManualFanTuningStateList*& out) -> ADLX_RESULT {
            Kernel kernel;
            const auto fan = readFanCurve(kernel, cardAt(card));
            if (!fan) return ADLX_NOT_SUPPORTED;
            Curve points(fan->points.size());
            if (!empty) {
                for (std::size_t i = 0; i < points.size(); ++i)
                    points[i] = {fan->points[i].percent, fan->points[i].celsius};
            }
            out = session().make<FanStateList>(card, std::move(points));
            return ADLX_OK;
        });
    }
    // Only a live state list of this runtime and this card is read; anything else is refused.
    const Curve* curveOf(IADLXManualFanTuningStateList* states) const {
        if (states == nullptr) return nullptr;
        Object* o = session().find(static_cast<IADLXInterface*>(states));
        if (o == nullptr || o->kind != Kind::FanStateList || o->dead ||
            o->generation != session().generation || o->card != card)
            return nullptr;
        return static_cast<FanStateList*>(o)->curve.get();
    }
};

class SmartAccessMemory final : public Counted<IADLXSmartAccessMemory> {
public:
    explicit SmartAccessMemory(int card) : Counted(Kind::Other, card) {}

    // Resizable BAR is decided by the firmware at boot; a running system cannot switch it.
    ADLX_RESULT IsSupported(adlx_bool* out) override {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [&] {
            *out = false;
            return ADLX_OK;
        });
    }
    // Whether it is on the kernel does tell: the CPU sees all of the memory.
    ADLX_RESULT IsEnabled(adlx_bool* out) override {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [&]() -> ADLX_RESULT {
            Kernel kernel;
            const Card& c = cardAt(card);
            const auto total = readNumber(kernel, c.file("mem_info_vram_total"));
            const auto visible = readNumber(kernel, c.file("mem_info_vis_vram_total"));
            if (!total || !visible || *total == 0) return ADLX_NOT_SUPPORTED;
            *out = *visible >= *total;
            return ADLX_OK;
        });
    }
    ADLX_RESULT SetEnabled(adlx_bool) override {
        return guarded(*this, [] { return ADLX_NOT_SUPPORTED; });
    }
};

class GpuTuningServices final : public Counted<IADLXGPUTuningServices1, IADLXGPUTuningServices> {
public:
    GpuTuningServices() : Counted(Kind::Other, -1) {}

    ADLX_RESULT IsSupportedManualGFXTuning(IADLXGPU* gpu, adlx_bool* out) override {
        return support(gpu, out, [](Kernel& kernel, const Card& c) {
            const Overdrive o = readOverdrive(kernel, c);
            if (o.rules == nullptr) noteOverdriveOff(kernel, c, o);
            return o.rules != nullptr && engineClocks(*o.rules, o.od).has_value();
        });
    }
    ADLX_RESULT IsSupportedManualVRAMTuning(IADLXGPU* gpu, adlx_bool* out) override {
        return support(gpu, out, [](Kernel& kernel, const Card& c) {
            const Overdrive o = readOverdrive(kernel, c);
            if (o.rules == nullptr) noteOverdriveOff(kernel, c, o);
            return o.rules != nullptr && memoryClocks(*o.rules, o.od).has_value();
        });
    }
    ADLX_RESULT IsSupportedManualPowerTuning(IADLXGPU* gpu, adlx_bool* out) override {
        return support(gpu, out,
                       [](Kernel& kernel, const Card& c) { return readPower(kernel, c, false).has_value(); });
    }
    ADLX_RESULT IsSupportedManualFanTuning(IADLXGPU* gpu, adlx_bool* out) override {
        return support(gpu, out,
                       [](Kernel& kernel, const Card& c) { return readFanCurve(kernel, c).has_value(); });
    }
    ADLX_RESULT GetManualGFXTuning(IADLXGPU* gpu, IADLXInterface** pp) override {
        return tuning<GfxTuning>(gpu, pp);
    }
    ADLX_RESULT GetManualVRAMTuning(IADLXGPU* gpu, IADLXInterface** pp) override {
        return tuning<VramTuning>(gpu, pp);
    }
    ADLX_RESULT GetManualPowerTuning(IADLXGPU* gpu, IADLXInterface** pp) override {
        return tuning<PowerTuning>(gpu, pp);
    }
    ADLX_RESULT GetManualFanTuning(IADLXGPU* gpu, IADLXInterface** pp) override {
        return tuning<FanTuning>(gpu, pp);
    }

    // The overdrive table first (clocks, voltage and, on RDNA3 and later, the fan settings that share
    // it), then the power cap. Every part is tried; the first refusal is the result.
    ADLX_RESULT ResetToFactory(IADLXGPU* gpu) override {
        return guarded(*this, [&]() -> ADLX_RESULT {
            const int index = cardOf(gpu);
            if (index < 0) return ADLX_INVALID_ARGS;
            const Card& c = cardAt(index);
            Kernel kernel;
            ADLX_RESULT result = ADLX_OK;
            const Overdrive o = readOverdrive(kernel, c);
            if (o.rules != nullptr) {
                const auto commands = resetCommands(*o.rules);
                for (const auto& command : commands) {
                    const int error = kernel.write(c.file("pp_od_clk_voltage"), command);
                    if (error != 0) {
                        result = resultOf(error);
                        break;
                    }
                }
            }
            if (const auto p = readPower(kernel, c, false); p && p->cap != p->defaultCap) {
                const int error = kernel.write(c.hwmonFile("power1_cap"),
                                               powerCapCommand(static_cast<std::uint32_t>(p->defaultCap)));
                if (error != 0 && result == ADLX_OK) result = resultOf(error);
            }
            return result;
        });
    }
    ADLX_RESULT GetSmartAccessMemory(IADLXGPU* gpu, IADLXSmartAccessMemory** pp) override {
        return handOut(*this, pp, [&](IADLXSmartAccessMemory*& out) {
            const int index = cardOf(gpu);
            if (index < 0) return ADLX_INVALID_ARGS;
            out = session().make<SmartAccessMemory>(index);
            return ADLX_OK;
        });
    }

private:
    template <class Ask>
    ADLX_RESULT support(IADLXGPU* gpu, adlx_bool* out, Ask&& ask) {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [&]() -> ADLX_RESULT {
            const int index = cardOf(gpu);
            if (index < 0) return ADLX_INVALID_ARGS;
            Kernel kernel;
            *out = ask(kernel, cardAt(index));
            return ADLX_OK;
        });
    }
    // Handed out whether or not the card offers the feature: its own calls say so.
    template <class T>
    ADLX_RESULT tuning(IADLXGPU* gpu, IADLXInterface** pp) {
        return handOut(*this, pp, [&](IADLXInterface*& out) {
            const int index = cardOf(gpu);
            if (index < 0) return ADLX_INVALID_ARGS;
            out = session().make<T>(index);
            return ADLX_OK;
        });
    }
};

}  // namespace

IADLXGPUTuningServices* makeGpuTuningServices() { return session().make<GpuTuningServices>(); }

}  // namespace amdgpu
