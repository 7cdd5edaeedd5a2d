// SPDX-License-Identifier: GPL-3.0-or-later
// The power limit: hwmon power1_cap in microwatts, shown as an offset from the default cap in
// percent.

#include <algorithm>
#include <limits>

#include "Session.h"
#include "Tuning.h"
#include "formats/Commands.h"
#include "formats/Values.h"

namespace amdgpu {

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

namespace {

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

}  // namespace

IADLXInterface* makePowerTuning(int card) { return session().make<PowerTuning>(card); }

}  // namespace amdgpu
