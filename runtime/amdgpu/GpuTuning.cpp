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
    int error = 0;         // why it could not be read
    OdClkVoltage od;
    const FamilyRules* rules = nullptr;  // null: overdrive is off (or the file is not readable)

    // Overdrive is off when the file is missing or holds no overdrive section; a card that cannot
    // answer now (asleep, in reset) says nothing about it.
    bool off() const { return present ? rules == nullptr : error == ENOENT; }
};

Overdrive readOverdrive(Kernel& kernel, const Card& card) {
    Overdrive o;
    const ReadResult& read = kernel.read(card.file("pp_od_clk_voltage"));
    o.error = read.error;
    if (read.error == 0) {
        o.present = true;
        o.od = parseOdClkVoltage(read.text);
        o.rules = rulesFor(o.od, card.pciDevice);
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

// Says once per process why a reset left the clocks as they were.
void noteResetKeepsClocks(const Card& card, const FamilyRules& rules) {
    Session& s = session();
    if (s.resetHintShown) return;
    s.resetHintShown = true;
    std::fprintf(stderr,
                 "tachyon-amdgpu: card%d (%s): the kernel's reset gives back the overdrive table last "
                 "committed, not the factory one, so clocks and voltage keep their values until the next "
                 "boot; the power limit is reset all the same.\n",
                 card.number, rules.name);
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
std::int64_t percentOf(std::int64_t cap, std::int64_t defaultCap) {
    return clampToInt((cap * 100 + defaultCap / 2) / defaultCap - 100);
}
std::int64_t percentOf(const PowerFiles& p) { return percentOf(p.cap, p.defaultCap); }

// A minimum of 0 is how the kernel says it knows no lower limit; a cap of 0 W would not limit the
// card but stop it, so the lowest cap taken is 1 W.
std::int64_t lowestCap(const PowerFiles& p) { return std::max(p.min.value_or(0), kMicrowattsPerWatt); }

// The range is the kernel's minimum and maximum cap as percentages of the default; the minimum is
// rounded up, so the lowest percentage never stands for a cap below the kernel's minimum.
std::optional<ADLX_IntRange> powerRange(const PowerFiles& p) {
    if (!p.max || *p.max < lowestCap(p)) return std::nullopt;
    const std::int64_t low = clampToInt((lowestCap(p) * 100 + p.defaultCap - 1) / p.defaultCap - 100);
    return ADLX_IntRange{static_cast<adlx_int>(low), static_cast<adlx_int>(percentOf(*p.max, p.defaultCap)),
                         1};
}

// The cap for a percentage, in whole watts as the kernel keeps them (it truncates microwatts).
// Inside the range the percentage is rounded, so its cap is kept within the kernel's limits: the
// percentage of the maximum may otherwise round to a cap a little above it.
std::optional<std::int64_t> capFor(const PowerFiles& p, std::int64_t offset) {
    const auto range = powerRange(p);
    if (range && (offset < range->minValue || offset > range->maxValue)) return std::nullopt;
    if (offset < -100 || offset > 100000) return std::nullopt;
    std::int64_t cap = (p.defaultCap * (offset + 100) + 50 * kMicrowattsPerWatt) /
                       (100 * kMicrowattsPerWatt) * kMicrowattsPerWatt;
    cap = std::max(cap, lowestCap(p));
    if (p.max) cap = std::min(cap, *p.max);
    if (cap < kMicrowattsPerWatt || cap > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    return cap;
}

// ---- Writing the overdrive table (pp_od_clk_voltage and the gpu_od/fan_ctrl files that share it).

constexpr const char* kPerformanceLevel = "power_dpm_force_performance_level";

// The word the kernel prints, without its newline (or the NUL padding of a capture).
std::string firstWord(const std::string& text) {
    const std::size_t end = text.find_first_of(" \t\n\r", 0);
    std::string word = text.substr(0, end);
    return word.substr(0, word.find('\0'));
}

// The levels a card is put back into; the privileged writer takes exactly these.
bool isPerformanceLevel(const std::string& level) {
    for (const char* known : {"auto", "low", "high", "manual", "profile_standard", "profile_min_sclk",
                              "profile_min_mclk", "profile_peak"}) {
        if (level == known) return true;
    }
    return false;
}

// Where the kernel takes overdrive edits only in the `manual` performance level (the APUs), the
// card is put into it first; `left` is the level it was in, to go back to when the edit is refused.
struct LevelSwitch {
    int error = 0;
    std::optional<std::string> left;
};

LevelSwitch enterManualLevel(Kernel& kernel, const Card& card, const FamilyRules* rules) {
    LevelSwitch s;
    if (rules == nullptr || !rules->editsNeedManualLevel) return s;
    const std::string file = card.file(kPerformanceLevel);
    const std::string* text = kernel.text(file);
    const std::string level = text != nullptr ? firstWord(*text) : std::string();
    if (level == "manual") return s;
    s.error = kernel.write(file, "manual\n");
    if (s.error == 0) s.left = level;
    return s;
}

void leaveManualLevel(Kernel& kernel, const Card& card, const LevelSwitch& s) {
    if (s.left && isPerformanceLevel(*s.left)) kernel.write(card.file(kPerformanceLevel), *s.left + "\n");
}

// Stages the plan on one file of the overdrive table and commits it, the way the card's kernel
// takes it: in the manual performance level where it needs that, and with the power cap written
// again where a commit may drop it. Nothing is written when the plan is empty.
ADLX_RESULT stageOverdrive(Kernel& kernel, const Card& card, const FamilyRules* rules,
                           const std::string& file, const Plan& plan) {
    if (plan.commands.empty()) return ADLX_OK;
    // Read before the commit, as this call's only read of the cap: after it the kernel may show
    // the default already.
    std::optional<std::int64_t> keptCap;
    if (rules != nullptr && rules->commitMayDropPowerCap) {
        const auto p = readPower(kernel, card, false);
        if (p && p->cap != p->defaultCap && p->cap <= std::numeric_limits<std::uint32_t>::max())
            keptCap = p->cap;
    }
    const LevelSwitch level = enterManualLevel(kernel, card, rules);
    if (level.error != 0) return resultOf(level.error);
    auto writeKeptCap = [&] {
        return kernel.write(card.hwmonFile("power1_cap"),
                            powerCapCommand(static_cast<std::uint32_t>(*keptCap)));
    };
    const ADLX_RESULT result = stage(kernel, file, plan.commands, plan.undo);
    if (result != ADLX_OK) {
        leaveManualLevel(kernel, card, level);
        // An undo by `r` commits, and may drop the cap as any commit does.
        if (keptCap && std::find(plan.undo.begin(), plan.undo.end(), resetCommand()) != plan.undo.end())
            writeKeptCap();
        return result;
    }
    if (!keptCap) return ADLX_OK;
    return resultOf(writeKeptCap());
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

// Runs `use(kernel, overdrive, part)` on the part of the card's overdrive table that `pick` finds
// (its engine clocks, memory clocks or voltage); a table without that part does not support the call.
template <class Pick, class Use>
ADLX_RESULT onOverdrivePart(Object& self, Pick&& pick, Use&& use) {
    return guarded(self, [&]() -> ADLX_RESULT {
        Kernel kernel;
        const Overdrive o = readOverdrive(kernel, cardAt(self.card));
        const auto part = o.rules ? pick(*o.rules, o.od) : std::nullopt;
        if (!part) return kernel.failIfUnavailable(ADLX_NOT_SUPPORTED);
        return use(kernel, o, *part);
    });
}

// A Get of the part: `use` fills `out` from it.
template <class T, class Pick, class Use>
ADLX_RESULT readOverdrivePart(Object& self, T* out, Pick&& pick, Use&& use) {
    if (out == nullptr) return ADLX_INVALID_ARGS;
    return onOverdrivePart(self, pick, [&](Kernel&, const Overdrive&, const auto& part) {
        use(part);
        return ADLX_OK;
    });
}

// A Set of one value of the part: `held` is what the kernel holds, `plan` the commands for `v`.
// What the kernel holds is no change, even where its own table lies outside its range (a Navi 1x
// card may boot with a minimum below the OD_RANGE it prints); anything else must lie in the range.
template <class Pick, class Held, class MakePlan>
ADLX_RESULT setOverdrivePart(Object& self, adlx_int v, Pick&& pick, Held&& held, MakePlan&& plan) {
    return onOverdrivePart(self, pick,
                           [&](Kernel& kernel, const Overdrive& o, const auto& part) -> ADLX_RESULT {
                               if (held(part) == v) return ADLX_OK;
                               if (!contains(part.range, v)) return ADLX_INVALID_ARGS;
                               const Card& c = cardAt(self.card);
                               return stageOverdrive(kernel, c, o.rules, c.file("pp_od_clk_voltage"),
                                                     plan(*o.rules, o.od, part));
                           });
}

const auto kEngineClocks = [](const FamilyRules& rules, const OdClkVoltage& od) {
    return engineClocks(rules, od);
};
const auto kMemoryClocks = [](const FamilyRules& rules, const OdClkVoltage& od) {
    return memoryClocks(rules, od);
};
const auto kVoltage = [](const FamilyRules& rules, const OdClkVoltage& od) { return voltage(rules, od); };

int levelOf(const EngineClocks& c, PairEnd end) {
    return end == PairEnd::Low ? c.levels.low.mhz : c.levels.high.mhz;
}

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
        return readOverdrivePart(*this, out, kVoltage, [&](const Voltage& v) { *out = intRange(v.range); });
    }
    ADLX_RESULT GetGPUVoltage(adlx_int* out) override {
        return readOverdrivePart(*this, out, kVoltage, [&](const Voltage& v) { *out = v.mv; });
    }
    ADLX_RESULT SetGPUVoltage(adlx_int mv) override {
        return setOverdrivePart(
            *this, mv, kVoltage, [](const Voltage& v) { return v.mv; },
            [&](const FamilyRules& rules, const OdClkVoltage& od, const Voltage&) {
                return setVoltage(rules, od, mv);
            });
    }

private:
    ADLX_RESULT clockRange(ADLX_IntRange* out) {
        return readOverdrivePart(*this, out, kEngineClocks,
                                 [&](const EngineClocks& c) { *out = intRange(c.range); });
    }
    ADLX_RESULT clock(adlx_int* out, PairEnd end) {
        return readOverdrivePart(*this, out, kEngineClocks,
                                 [&](const EngineClocks& c) { *out = levelOf(c, end); });
    }
    ADLX_RESULT setClock(PairEnd end, adlx_int mhz) {
        return setOverdrivePart(
            *this, mhz, kEngineClocks, [&](const EngineClocks& c) { return levelOf(c, end); },
            [&](const FamilyRules& rules, const OdClkVoltage&, const EngineClocks& c) {
                return moveClock(rules, ClockKind::Engine, c.levels, end, mhz);
            });
    }
};

class VramTuning final : public Counted<IADLXManualVRAMTuning2> {
public:
    explicit VramTuning(int card) : Counted(Kind::Other, card) {}

    // The kernel offers no memory timing levels.
    ADLX_RESULT IsSupportedMemoryTiming(adlx_bool* out) override { return answerNo(*this, out); }
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
        return readOverdrivePart(*this, out, kMemoryClocks,
                                 [&](const EngineClocks& c) { *out = intRange(c.range); });
    }
    ADLX_RESULT GetMaxVRAMFrequency(adlx_int* out) override {
        return readOverdrivePart(*this, out, kMemoryClocks,
                                 [&](const EngineClocks& c) { *out = c.levels.high.mhz; });
    }
    ADLX_RESULT SetMaxVRAMFrequency(adlx_int mhz) override {
        return setOverdrivePart(
            *this, mhz, kMemoryClocks, [](const EngineClocks& c) { return c.levels.high.mhz; },
            [&](const FamilyRules& rules, const OdClkVoltage&, const EngineClocks& c) {
                return moveClock(rules, ClockKind::Memory, c.levels, PairEnd::High, mhz);
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
            if (!p) return kernel.failIfUnavailable(ADLX_NOT_SUPPORTED);
            const auto range = powerRange(*p);
            if (!range) return ADLX_NOT_SUPPORTED;
            *out = *range;
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetPowerLimit(adlx_int* out) override {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [&]() -> ADLX_RESULT {
            Kernel kernel;
            const auto p = readPower(kernel, cardAt(card), false);
            if (!p) return kernel.failIfUnavailable(ADLX_NOT_SUPPORTED);
            *out = static_cast<adlx_int>(percentOf(*p));
            return ADLX_OK;
        });
    }
    ADLX_RESULT SetPowerLimit(adlx_int offset) override {
        return guarded(*this, [&]() -> ADLX_RESULT {
            Kernel kernel;
            const Card& c = cardAt(card);
            const auto p = readPower(kernel, c, true);
            if (!p) return kernel.failIfUnavailable(ADLX_NOT_SUPPORTED);
            // The percentage shown is rounded: setting it back must not move the cap.
            if (percentOf(*p) == offset) return ADLX_OK;
            const auto cap = capFor(*p, offset);
            if (!cap) return ADLX_INVALID_ARGS;
            return resultOf(
                kernel.write(c.hwmonFile("power1_cap"), powerCapCommand(static_cast<std::uint32_t>(*cap))));
        });
    }
    // The kernel exposes no current (TDC) limit.
    ADLX_RESULT IsSupportedTDCLimit(adlx_bool* out) override { return answerNo(*this, out); }
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

class FanStateList final : public CountedList<IADLXManualFanTuningStateList> {
public:
    FanStateList(int card, Curve points)
        : CountedList(Kind::FanStateList, card), curve(std::make_shared<Curve>(std::move(points))) {}

    ADLX_RESULT At(adlx_uint location, IADLXManualFanTuningState** pp) override {
        return handOut(*this, pp, [&](IADLXManualFanTuningState*& out) {
            if (location >= size()) return ADLX_INVALID_ARGS;
            out = session().make<FanState>(card, curve, location);
            return ADLX_OK;
        });
    }

    const std::shared_ptr<Curve> curve;

private:
    adlx_uint size() const override { return static_cast<adlx_uint>(curve->size()); }
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
            if (points == nullptr) return ADLX_INVALID_ARGS;
            // The zeros of "no custom curve" are no change: the kernel cannot take them.
            const bool same =
                points->size() == fan.points.size() &&
                std::equal(fan.points.begin(), fan.points.end(), points->begin(),
                           [](const FanCurvePoint& was, const FanPoint& wanted) {
                               return was.celsius == wanted.temperature && was.percent == wanted.speed;
                           });
            const bool noCustomCurve =
                std::all_of(fan.points.begin(), fan.points.end(),
                            [](const FanCurvePoint& p) { return p.celsius == 0 && p.percent == 0; });
            if (same && noCustomCurve) return ADLX_OK;
            if (!same && firstInvalidPoint(fan, *points) >= 0) return ADLX_INVALID_ARGS;
            Plan plan;
            for (std::size_t i = 0; i < fan.points.size(); ++i) {
                const FanCurvePoint& was = fan.points[i];
                const FanPoint& wanted = (*points)[i];
                if (was.celsius == wanted.temperature && was.percent == wanted.speed) continue;
                plan.commands.push_back(fanCurvePointCommand(was.index, wanted.temperature, wanted.speed));
                plan.undo.push_back(fanCurvePointCommand(was.index, was.celsius, was.percent));
            }
            // Editing another fan setting, or `r` on a fan file, sets the fan back to automatic
            // while fan_curve still prints the old points (smu_v13_0_0_od_edit_dpm_table,
            // smu_v14_0_2_od_edit_dpm_table): the printed curve may not be the one the fan
            // follows, so an unchanged curve is written too, one point and the commit, which
            // makes it the active one.
            if (plan.commands.empty()) {
                const FanCurvePoint& first = fan.points.front();
                plan.commands.push_back(fanCurvePointCommand(first.index, first.celsius, first.percent));
                plan.undo = plan.commands;
            }
            // The kernel refuses the zeros of "no custom curve", so they cannot be staged back;
            // left staged, the points taken before a refusal would go live with the next commit
            // (zero RPM's, in the same Set). Only the fan curve's own `r` gives the card back the
            // curve it ran, the boot one, and commits it at once.
            if (noCustomCurve) plan.undo = {resetCommand()};
            const Card& c = cardAt(card);
            return stageOverdrive(kernel, c, readOverdrive(kernel, c).rules,
                                  c.file("gpu_od/fan_ctrl/fan_curve"), plan);
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
            if (!setting) return kernel.failIfUnavailable(ADLX_NOT_SUPPORTED);
            *out = *setting->value != 0;
            return ADLX_OK;
        });
    }
    ADLX_RESULT SetZeroRPMState(adlx_bool enabled) override {
        return guarded(*this, [&]() -> ADLX_RESULT {
            Kernel kernel;
            const auto setting = readZeroRpm(kernel, cardAt(card));
            if (!setting) return kernel.failIfUnavailable(ADLX_NOT_SUPPORTED);
            const int was = *setting->value;
            const int wanted = enabled ? 1 : 0;
            if ((was != 0) == enabled) return ADLX_OK;
            const Card& c = cardAt(card);
            return stageOverdrive(kernel, c, readOverdrive(kernel, c).rules,
                                  c.file("gpu_od/fan_ctrl/fan_zero_rpm_enable"),
                                  Plan{{fanSettingCommand(wanted)}, {fanSettingCommand(was)}});
        });
    }

private:
    template <class Use>
    ADLX_RESULT withCurve(Use&& use) {
        return guarded(*this, [&]() -> ADLX_RESULT {
            Kernel kernel;
            const auto fan = readFanCurve(kernel, cardAt(card));
            if (!fan) return kernel.failIfUnavailable(ADLX_NOT_SUPPORTED);
            return use(kernel, *fan);
        });
    }
    ADLX_RESULT list(IADLXManualFanTuningStateList** pp, bool empty) {
        return handOut(*this, pp, [&](IADLXManualFanTuningStateList*& out) -> ADLX_RESULT {
            Kernel kernel;
            const auto fan = readFanCurve(kernel, cardAt(card));
            if (!fan) return kernel.failIfUnavailable(ADLX_NOT_SUPPORTED);
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
        Object* o = session().current(static_cast<const IADLXInterface*>(states), Kind::FanStateList);
        if (o == nullptr || o->card != card) return nullptr;
        return static_cast<FanStateList*>(o)->curve.get();
    }
};

class SmartAccessMemory final : public Counted<IADLXSmartAccessMemory> {
public:
    explicit SmartAccessMemory(int card) : Counted(Kind::Other, card) {}

    // Resizable BAR is decided by the firmware at boot; a running system cannot switch it.
    ADLX_RESULT IsSupported(adlx_bool* out) override { return answerNo(*this, out); }
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
            if (o.off()) noteOverdriveOff(kernel, c, o);
            return o.rules != nullptr && engineClocks(*o.rules, o.od).has_value();
        });
    }
    ADLX_RESULT IsSupportedManualVRAMTuning(IADLXGPU* gpu, adlx_bool* out) override {
        return support(gpu, out, [](Kernel& kernel, const Card& c) {
            const Overdrive o = readOverdrive(kernel, c);
            if (o.off()) noteOverdriveOff(kernel, c, o);
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
            const auto p = readPower(kernel, c, false);
            // Nothing to reset is no success either (overdrive off on a card without a cap, or a
            // card whose files are gone).
            if (o.rules == nullptr && !p) return kernel.failIfUnavailable(ADLX_NOT_SUPPORTED);
            if (o.rules != nullptr && !o.rules->resetRestoresFactory) {
                // Its `r` would stage the clocks it runs again: the clock reset cannot happen.
                result = ADLX_FAIL;
                noteResetKeepsClocks(c, *o.rules);
            } else if (o.rules != nullptr) {
                const LevelSwitch level = enterManualLevel(kernel, c, o.rules);
                int error = level.error;
                for (const auto& command : resetCommands(*o.rules)) {
                    if (error != 0) break;
                    error = kernel.write(c.file("pp_od_clk_voltage"), command);
                }
                if (error != 0) {
                    result = resultOf(error);
                    leaveManualLevel(kernel, c, level);
                } else if (o.rules->editsNeedManualLevel) {
                    // The factory state: the kernel chooses the clocks again.
                    result = resultOf(kernel.write(c.file(kPerformanceLevel), "auto\n"));
                }
            }
            if (p && p->cap != p->defaultCap) {
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
            // A card that cannot answer now has not said it lacks the feature.
            if (!*out && kernel.cardUnavailable()) return ADLX_FAIL;
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
