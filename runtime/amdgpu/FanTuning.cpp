// SPDX-License-Identifier: GPL-3.0-or-later
// The fan curve and zero RPM: gpu_od/fan_ctrl (RDNA3 and later), which shares the overdrive
// table with pp_od_clk_voltage.

#include <algorithm>
#include <memory>

#include "Session.h"
#include "Tuning.h"
#include "formats/Commands.h"
#include "formats/FanCtrl.h"

namespace amdgpu {

namespace {

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

}  // namespace

IADLXInterface* makeFanTuning(int card) { return session().make<FanTuning>(card); }

bool hasFanCurve(Kernel& kernel, const Card& card) { return readFanCurve(kernel, card).has_value(); }

}  // namespace amdgpu
