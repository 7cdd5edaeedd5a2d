// SPDX-License-Identifier: GPL-3.0-or-later
// GPU tuning over the kernel's files: pp_od_clk_voltage for clocks, voltage and memory, and the
// services that hand out every tuning object (the power limit's in PowerTuning.cpp, the fan's in
// FanTuning.cpp). Every call reads what it needs when it is made and writes only what changes;
// nothing is remembered between calls.

#include <algorithm>
#include <cerrno>
#include <limits>
#include <memory>

#include "Objects.h"
#include "Session.h"
#include "Tuning.h"
#include "formats/Commands.h"

namespace amdgpu {

const Card& cardAt(int index) { return session().cards.at(static_cast<std::size_t>(index)); }

std::int64_t clampToInt(std::int64_t v) {
    return std::clamp<std::int64_t>(v, std::numeric_limits<adlx_int>::min(),
                                    std::numeric_limits<adlx_int>::max());
}

ADLX_IntRange intRange(const Range& r) { return {r.min, r.max, 1}; }

bool contains(const Range& r, int v) { return v >= r.min && v <= r.max; }

namespace {

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
        return support(gpu, out, [](Kernel& kernel, const Card& c) { return hasFanCurve(kernel, c); });
    }
    ADLX_RESULT GetManualGFXTuning(IADLXGPU* gpu, IADLXInterface** pp) override {
        return tuning(gpu, pp, [](int card) -> IADLXInterface* { return session().make<GfxTuning>(card); });
    }
    ADLX_RESULT GetManualVRAMTuning(IADLXGPU* gpu, IADLXInterface** pp) override {
        return tuning(gpu, pp, [](int card) -> IADLXInterface* { return session().make<VramTuning>(card); });
    }
    ADLX_RESULT GetManualPowerTuning(IADLXGPU* gpu, IADLXInterface** pp) override {
        return tuning(gpu, pp, makePowerTuning);
    }
    ADLX_RESULT GetManualFanTuning(IADLXGPU* gpu, IADLXInterface** pp) override {
        return tuning(gpu, pp, makeFanTuning);
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
    ADLX_RESULT tuning(IADLXGPU* gpu, IADLXInterface** pp, IADLXInterface* (*make)(int card)) {
        return handOut(*this, pp, [&](IADLXInterface*& out) {
            const int index = cardOf(gpu);
            if (index < 0) return ADLX_INVALID_ARGS;
            out = make(index);
            return ADLX_OK;
        });
    }
};

}  // namespace

IADLXGPUTuningServices* makeGpuTuningServices() { return session().make<GpuTuningServices>(); }

}  // namespace amdgpu
