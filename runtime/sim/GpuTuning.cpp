// SPDX-License-Identifier: GPL-3.0-or-later
// GPU tuning: the services and the manual graphics, memory, power and fan tuning objects, plus
// Smart Access Memory. Every value lives in the machine's GPU model, so all objects of one GPU see
// the same driver state.

#include <memory>

#include "Objects.h"
#include "Runtime.h"

namespace sim {

namespace {

template <class Read>
ADLX_RESULT rangeGetter(SimObject& self, const char* method, ADLX_IntRange* out, Read&& read) {
    return getter(self, method, out, [&](ADLX_IntRange& v) -> ADLX_RESULT {
        const Range* r = read();
        if (r == nullptr) return ADLX_NOT_SUPPORTED;
        v = toRange(*r);
        return ADLX_OK;
    });
}

class GfxTuningImpl final : public Impl<IADLXManualGraphicsTuning2> {
public:
    explicit GfxTuningImpl(int gpu) : Impl("IADLXManualGraphicsTuning2", gpu) {}

    ADLX_RESULT GetGPUMinFrequencyRange(ADLX_IntRange* r) override {
        return range("GetGPUMinFrequencyRange", r, &GfxTuning::minFrequency);
    }
    ADLX_RESULT GetGPUMinFrequency(adlx_int* v) override { return get("GetGPUMinFrequency", v, &GfxTuning::minFrequency); }
    ADLX_RESULT SetGPUMinFrequency(adlx_int v) override { return set("SetGPUMinFrequency", v, &GfxTuning::minFrequency); }
    ADLX_RESULT GetGPUMaxFrequencyRange(ADLX_IntRange* r) override {
        return range("GetGPUMaxFrequencyRange", r, &GfxTuning::maxFrequency);
    }
    ADLX_RESULT GetGPUMaxFrequency(adlx_int* v) override { return get("GetGPUMaxFrequency", v, &GfxTuning::maxFrequency); }
    ADLX_RESULT SetGPUMaxFrequency(adlx_int v) override { return set("SetGPUMaxFrequency", v, &GfxTuning::maxFrequency); }
    ADLX_RESULT GetGPUVoltageRange(ADLX_IntRange* r) override { return range("GetGPUVoltageRange", r, &GfxTuning::voltage); }
    ADLX_RESULT GetGPUVoltage(adlx_int* v) override { return get("GetGPUVoltage", v, &GfxTuning::voltage); }
    ADLX_RESULT SetGPUVoltage(adlx_int v) override { return set("SetGPUVoltage", v, &GfxTuning::voltage); }

private:
    GfxTuning& gfx() { return gpuModel(*this).gfx; }
    ADLX_RESULT range(const char* m, ADLX_IntRange* out, Ranged GfxTuning::*field) {
        return rangeGetter(*this, m, out, [&]() -> const Range* { return gfx().supported ? &(gfx().*field).range : nullptr; });
    }
    ADLX_RESULT get(const char* m, adlx_int* out, Ranged GfxTuning::*field) {
        return getter(*this, m, out, [&](adlx_int& v) { return readIf(gfx().supported, (gfx().*field).value, v); });
    }
    ADLX_RESULT set(const char* m, adlx_int value, Ranged GfxTuning::*field) {
        return setter(*this, m, value, [&](adlx_int v) {
            Ranged& r = gfx().*field;
            return writeRanged(gfx().supported, r.range, r.value, v);
        });
    }
};

class MemoryTimingImpl final : public Impl<IADLXMemoryTimingDescription> {
public:
    MemoryTimingImpl(int gpu, int value) : Impl("IADLXMemoryTimingDescription", gpu), m_value(value) {}
    ADLX_RESULT GetDescription(ADLX_MEMORYTIMING_DESCRIPTION* out) override {
        return getter(*this, "GetDescription", out, [&](ADLX_MEMORYTIMING_DESCRIPTION& v) {
            v = static_cast<ADLX_MEMORYTIMING_DESCRIPTION>(m_value);
            return ADLX_OK;
        });
    }

private:
    const int m_value;
};

class MemoryTimingListImpl final : public Impl<IADLXMemoryTimingDescriptionList> {
public:
    MemoryTimingListImpl(int gpu, std::vector<int> values)
        : Impl("IADLXMemoryTimingDescriptionList", gpu), m_values(std::move(values)) {}

    adlx_uint Size() override { return count(*this, "Size", [&] { return size(); }); }
    adlx_uint Begin() override { return count(*this, "Begin", [] { return 0u; }); }
    adlx_uint End() override { return count(*this, "End", [&] { return size(); }); }
    ADLX_RESULT At(adlx_uint location, IADLXMemoryTimingDescription** pp) override {
        const int subject = location > 0x7fffffffu ? -1 : static_cast<int>(location);
        return handOut(*this, "At", " " + fmt(location), subject, pp, [&](IADLXMemoryTimingDescription*& out) {
            if (location >= size()) return ADLX_INVALID_ARGS;
            out = runtime().make<MemoryTimingImpl>(device, m_values[location]);
            return ADLX_OK;
        });
    }

private:
    adlx_uint size() const { return static_cast<adlx_uint>(m_values.size()); }
    // A snapshot: the list describes the timings as they were when it was fetched.
    const std::vector<int> m_values;
};

class VramTuningImpl final : public Impl<IADLXManualVRAMTuning2> {
public:
    explicit VramTuningImpl(int gpu) : Impl("IADLXManualVRAMTuning2", gpu) {}

    ADLX_RESULT IsSupportedMemoryTiming(adlx_bool* out) override {
        return getter(*this, "IsSupportedMemoryTiming", out, [&](adlx_bool& v) {
            v = vram().supported && vram().timingSupported;
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetSupportedMemoryTimingDescriptionList(IADLXMemoryTimingDescriptionList** pp) override {
        return handOut(*this, "GetSupportedMemoryTimingDescriptionList", "", device, pp,
                       [&](IADLXMemoryTimingDescriptionList*& out) {
                           if (!timingSupported()) return ADLX_NOT_SUPPORTED;
                           out = runtime().make<MemoryTimingListImpl>(device, vram().timings);
                           return ADLX_OK;
                       });
    }
    ADLX_RESULT GetMemoryTimingDescription(ADLX_MEMORYTIMING_DESCRIPTION* out) override {
        return getter(*this, "GetMemoryTimingDescription", out, [&](ADLX_MEMORYTIMING_DESCRIPTION& v) {
            if (!timingSupported()) return ADLX_NOT_SUPPORTED;
            v = static_cast<ADLX_MEMORYTIMING_DESCRIPTION>(vram().timing);
            return ADLX_OK;
        });
    }
    ADLX_RESULT SetMemoryTimingDescription(ADLX_MEMORYTIMING_DESCRIPTION value) override {
        return setter(*this, "SetMemoryTimingDescription", value, [&](ADLX_MEMORYTIMING_DESCRIPTION v) {
            return writeListed(timingSupported(), vram().timings, vram().timing, v);
        });
    }
    ADLX_RESULT GetMaxVRAMFrequencyRange(ADLX_IntRange* out) override {
        return rangeGetter(*this, "GetMaxVRAMFrequencyRange", out,
                           [&]() -> const Range* { return vram().supported ? &vram().maxFrequency.range : nullptr; });
    }
    ADLX_RESULT GetMaxVRAMFrequency(adlx_int* out) override {
        return getter(*this, "GetMaxVRAMFrequency", out,
                      [&](adlx_int& v) { return readIf(vram().supported, vram().maxFrequency.value, v); });
    }
    ADLX_RESULT SetMaxVRAMFrequency(adlx_int value) override {
        return setter(*this, "SetMaxVRAMFrequency", value, [&](adlx_int v) {
            return writeRanged(vram().supported, vram().maxFrequency.range, vram().maxFrequency.value, v);
        });
    }

private:
    VramTuning& vram() { return gpuModel(*this).vram; }
    bool timingSupported() { return vram().supported && vram().timingSupported; }
};

class PowerTuningImpl final : public Impl<IADLXManualPowerTuning> {
public:
    explicit PowerTuningImpl(int gpu) : Impl("IADLXManualPowerTuning", gpu) {}

    ADLX_RESULT GetPowerLimitRange(ADLX_IntRange* out) override {
        return rangeGetter(*this, "GetPowerLimitRange", out,
                           [&]() -> const Range* { return power().supported ? &power().powerLimit.range : nullptr; });
    }
    ADLX_RESULT GetPowerLimit(adlx_int* out) override {
        return getter(*this, "GetPowerLimit", out,
                      [&](adlx_int& v) { return readIf(power().supported, power().powerLimit.value, v); });
    }
    ADLX_RESULT SetPowerLimit(adlx_int value) override {
        return setter(*this, "SetPowerLimit", value, [&](adlx_int v) {
            return writeRanged(power().supported, power().powerLimit.range, power().powerLimit.value, v);
        });
    }
    // The current limit is a feature of its own: a GPU may offer it without the power limit.
    ADLX_RESULT IsSupportedTDCLimit(adlx_bool* out) override {
        return getter(*this, "IsSupportedTDCLimit", out, [&](adlx_bool& v) {
            v = power().tdcSupported;
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetTDCLimitRange(ADLX_IntRange* out) override {
        return rangeGetter(*this, "GetTDCLimitRange", out,
                           [&]() -> const Range* { return power().tdcSupported ? &power().tdcLimit.range : nullptr; });
    }
    ADLX_RESULT GetTDCLimit(adlx_int* out) override {
        return getter(*this, "GetTDCLimit", out,
                      [&](adlx_int& v) { return readIf(power().tdcSupported, power().tdcLimit.value, v); });
    }
    ADLX_RESULT SetTDCLimit(adlx_int value) override {
        return setter(*this, "SetTDCLimit", value, [&](adlx_int v) {
            return writeRanged(power().tdcSupported, power().tdcLimit.range, power().tdcLimit.value, v);
        });
    }

private:
    PowerTuning& power() { return gpuModel(*this).power; }
};

using Curve = std::vector<FanPoint>;

class FanStateImpl final : public Impl<IADLXManualFanTuningState> {
public:
    FanStateImpl(int gpu, std::shared_ptr<Curve> curve, size_t index)
        : Impl("IADLXManualFanTuningState", gpu), m_curve(std::move(curve)), m_index(index) {}

    // A state is a scratch value of its list; the driver judges it only when the list is set.
    ADLX_RESULT GetFanSpeed(adlx_int* out) override {
        return getter(*this, "GetFanSpeed", out, [&](adlx_int& v) {
            v = point().speed;
            return ADLX_OK;
        });
    }
    ADLX_RESULT SetFanSpeed(adlx_int value) override {
        return setter(*this, "SetFanSpeed", value, [&](adlx_int v) {
            point().speed = v;
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetTemperature(adlx_int* out) override {
        return getter(*this, "GetTemperature", out, [&](adlx_int& v) {
            v = point().temperature;
            return ADLX_OK;
        });
    }
    ADLX_RESULT SetTemperature(adlx_int value) override {
        return setter(*this, "SetTemperature", value, [&](adlx_int v) {
            point().temperature = v;
            return ADLX_OK;
        });
    }

private:
    FanPoint& point() { return (*m_curve)[m_index]; }
    std::shared_ptr<Curve> m_curve;
    const size_t m_index;
};

class FanStateListImpl final : public Impl<IADLXManualFanTuningStateList> {
public:
    FanStateListImpl(int gpu, Curve points)
        : Impl("IADLXManualFanTuningStateList", gpu, Kind::FanStateList),
          curve(std::make_shared<Curve>(std::move(points))) {}

    adlx_uint Size() override { return count(*this, "Size", [&] { return size(); }); }
    adlx_uint Begin() override { return count(*this, "Begin", [] { return 0u; }); }
    adlx_uint End() override { return count(*this, "End", [&] { return size(); }); }
    ADLX_RESULT At(adlx_uint location, IADLXManualFanTuningState** pp) override {
        const int subject = location > 0x7fffffffu ? -1 : static_cast<int>(location);
        return handOut(*this, "At", " " + fmt(location), subject, pp, [&](IADLXManualFanTuningState*& out) {
            if (location >= size()) return ADLX_INVALID_ARGS;
            out = runtime().make<FanStateImpl>(device, curve, location);
            return ADLX_OK;
        });
    }

    // Shared with the states handed out, which write into it.
    const std::shared_ptr<Curve> curve;

private:
    adlx_uint size() const { return static_cast<adlx_uint>(curve->size()); }
};

// The first point that is out of range, falls below its predecessor, or is missing or extra
// compared with the driver's number of points; -1 when the curve is acceptable.
int firstInvalidPoint(const FanTuning& fan, const Curve& points) {
    const size_t n = std::max(points.size(), fan.curve.size());
    for (size_t i = 0; i < n; ++i) {
        if (i >= points.size() || i >= fan.curve.size()) return static_cast<int>(i);
        const FanPoint& p = points[i];
        if (!fan.speedRange.contains(p.speed) || !fan.temperatureRange.contains(p.temperature))
            return static_cast<int>(i);
        if (i > 0 && (p.speed < points[i - 1].speed || p.temperature < points[i - 1].temperature))
            return static_cast<int>(i);
    }
    return -1;
}

class FanTuningImpl final : public Impl<IADLXManualFanTuning> {
public:
    explicit FanTuningImpl(int gpu) : Impl("IADLXManualFanTuning", gpu) {}

    ADLX_RESULT GetFanTuningRanges(ADLX_IntRange* speed, ADLX_IntRange* temperature) override {
        return call(*this, "GetFanTuningRanges", "", device, nullptr, [&](Out& o) -> ADLX_RESULT {
            if (speed == nullptr || temperature == nullptr) return ADLX_INVALID_ARGS;
            if (!fan().supported) return ADLX_NOT_SUPPORTED;
            *speed = toRange(fan().speedRange);
            *temperature = toRange(fan().temperatureRange);
            o << *speed << *temperature;
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetFanTuningStates(IADLXManualFanTuningStateList** pp) override {
        return handOut(*this, "GetFanTuningStates", "", device, pp, [&](IADLXManualFanTuningStateList*& out) {
            if (!fan().supported) return ADLX_NOT_SUPPORTED;
            out = runtime().make<FanStateListImpl>(device, fan().curve);
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetEmptyFanTuningStates(IADLXManualFanTuningStateList** pp) override {
        return handOut(*this, "GetEmptyFanTuningStates", "", device, pp, [&](IADLXManualFanTuningStateList*& out) {
            if (!fan().supported) return ADLX_NOT_SUPPORTED;
            out = runtime().make<FanStateListImpl>(device, Curve(fan().curve.size()));
            return ADLX_OK;
        });
    }
    ADLX_RESULT IsValidFanTuningStates(IADLXManualFanTuningStateList* states, adlx_int* errorIndex) override {
        const ListArg list = listArg(states);
        return call(*this, "IsValidFanTuningStates", " " + list.text, device, nullptr, [&](Out& o) -> ADLX_RESULT {
            if (list.curve == nullptr || errorIndex == nullptr) return ADLX_INVALID_ARGS;
            if (!fan().supported) return ADLX_NOT_SUPPORTED;
            *errorIndex = firstInvalidPoint(fan(), *list.curve);
            o << *errorIndex;
            return *errorIndex < 0 ? ADLX_OK : ADLX_INVALID_ARGS;
        });
    }
    ADLX_RESULT SetFanTuningStates(IADLXManualFanTuningStateList* states) override {
        const ListArg list = listArg(states);
        return call(*this, "SetFanTuningStates", " " + list.text, device, nullptr, [&](Out&) -> ADLX_RESULT {
            if (list.curve == nullptr) return ADLX_INVALID_ARGS;
            if (!fan().supported) return ADLX_NOT_SUPPORTED;
            if (firstInvalidPoint(fan(), *list.curve) >= 0) return ADLX_INVALID_ARGS;
            fan().curve = *list.curve;
            return ADLX_OK;
        });
    }
    ADLX_RESULT IsSupportedZeroRPM(adlx_bool* out) override {
        return getter(*this, "IsSupportedZeroRPM", out, [&](adlx_bool& v) {
            v = zeroRpmSupported();
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetZeroRPMState(adlx_bool* out) override {
        return getter(*this, "GetZeroRPMState", out, [&](adlx_bool& v) {
            if (!zeroRpmSupported()) return ADLX_NOT_SUPPORTED;
            v = fan().zeroRpm;
            return ADLX_OK;
        });
    }
    ADLX_RESULT SetZeroRPMState(adlx_bool value) override {
        return setter(*this, "SetZeroRPMState", value, [&](adlx_bool v) {
            if (!zeroRpmSupported()) return ADLX_NOT_SUPPORTED;
            fan().zeroRpm = v;
            return ADLX_OK;
        });
    }

private:
    struct ListArg {
        const Curve* curve = nullptr;
        std::string text;
    };
    // Only a live state list of ours can be judged; anything else is refused, never read.
    static ListArg listArg(IADLXManualFanTuningStateList* states) {
        std::lock_guard lock(runtime().mutex);
        if (states == nullptr) return {nullptr, "null"};
        SimObject* o = runtime().find(static_cast<IADLXInterface*>(states));
        if (o == nullptr || o->kind != Kind::FanStateList) return {nullptr, "foreign"};
        if (o->dead) return {nullptr, "dead:list"};
        if (o->generation != runtime().generation) return {nullptr, "stale:list"};
        return {static_cast<FanStateListImpl*>(o)->curve.get(), "list"};
    }
    FanTuning& fan() { return gpuModel(*this).fan; }
    bool zeroRpmSupported() { return fan().supported && fan().zeroRpmSupported; }
};

class SmartAccessMemoryImpl final : public Impl<IADLXSmartAccessMemory> {
public:
    explicit SmartAccessMemoryImpl(int gpu) : Impl("IADLXSmartAccessMemory", gpu) {}

    ADLX_RESULT IsSupported(adlx_bool* out) override {
        return getter(*this, "IsSupported", out, [&](adlx_bool& v) {
            v = sam().supported;
            return ADLX_OK;
        });
    }
    ADLX_RESULT IsEnabled(adlx_bool* out) override {
        return getter(*this, "IsEnabled", out, [&](adlx_bool& v) {
            if (!sam().supported) return ADLX_NOT_SUPPORTED;
            v = sam().enabled;
            return ADLX_OK;
        });
    }
    ADLX_RESULT SetEnabled(adlx_bool value) override {
        return setter(*this, "SetEnabled", value, [&](adlx_bool v) {
            if (!sam().supported) return ADLX_NOT_SUPPORTED;
            sam().enabled = v;
            return ADLX_OK;
        });
    }

private:
    SmartAccessMemory& sam() { return gpuModel(*this).sam; }
};

class GpuTuningServicesImpl final : public Impl<IADLXGPUTuningServices1, IADLXGPUTuningServices> {
public:
    GpuTuningServicesImpl() : Impl("IADLXGPUTuningServices", -1) {}

    ADLX_RESULT IsSupportedManualGFXTuning(IADLXGPU* gpu, adlx_bool* out) override {
        return support("IsSupportedManualGFXTuning", gpu, out, [](const Gpu& g) { return g.gfx.supported; });
    }
    ADLX_RESULT IsSupportedManualVRAMTuning(IADLXGPU* gpu, adlx_bool* out) override {
        return support("IsSupportedManualVRAMTuning", gpu, out, [](const Gpu& g) { return g.vram.supported; });
    }
    ADLX_RESULT IsSupportedManualPowerTuning(IADLXGPU* gpu, adlx_bool* out) override {
        return support("IsSupportedManualPowerTuning", gpu, out, [](const Gpu& g) { return g.power.supported; });
    }
    ADLX_RESULT IsSupportedManualFanTuning(IADLXGPU* gpu, adlx_bool* out) override {
        return support("IsSupportedManualFanTuning", gpu, out, [](const Gpu& g) { return g.fan.supported; });
    }
    ADLX_RESULT GetManualGFXTuning(IADLXGPU* gpu, IADLXInterface** pp) override {
        return tuning<GfxTuningImpl>("GetManualGFXTuning", gpu, pp);
    }
    ADLX_RESULT GetManualVRAMTuning(IADLXGPU* gpu, IADLXInterface** pp) override {
        return tuning<VramTuningImpl>("GetManualVRAMTuning", gpu, pp);
    }
    ADLX_RESULT GetManualPowerTuning(IADLXGPU* gpu, IADLXInterface** pp) override {
        return tuning<PowerTuningImpl>("GetManualPowerTuning", gpu, pp);
    }
    ADLX_RESULT GetManualFanTuning(IADLXGPU* gpu, IADLXInterface** pp) override {
        return tuning<FanTuningImpl>("GetManualFanTuning", gpu, pp);
    }
    ADLX_RESULT ResetToFactory(IADLXGPU* gpu) override {
        const DeviceArg a = deviceArg(gpu, Kind::Gpu);
        return call(*this, "ResetToFactory", " " + a.text, a.index, nullptr, [&](Out&) -> ADLX_RESULT {
            if (a.index < 0) return ADLX_INVALID_ARGS;
            resetToFactory(runtime().machine.gpus.at(a.index));
            return ADLX_OK;
        });
    }
    ADLX_RESULT GetSmartAccessMemory(IADLXGPU* gpu, IADLXSmartAccessMemory** pp) override {
        const DeviceArg a = deviceArg(gpu, Kind::Gpu);
        return handOut(*this, "IADLXGPUTuningServices1.GetSmartAccessMemory", " " + a.text, a.index, pp,
                       [&](IADLXSmartAccessMemory*& out) {
                           if (a.index < 0) return ADLX_INVALID_ARGS;
                           out = runtime().make<SmartAccessMemoryImpl>(a.index);
                           return ADLX_OK;
                       });
    }

private:
    template <class Pick>
    ADLX_RESULT support(const char* method, IADLXGPU* gpu, adlx_bool* out, Pick&& pick) {
        const DeviceArg a = deviceArg(gpu, Kind::Gpu);
        return call(*this, method, " " + a.text, a.index, nullptr, [&](Out& o) -> ADLX_RESULT {
            if (a.index < 0 || out == nullptr) return ADLX_INVALID_ARGS;
            *out = pick(runtime().machine.gpus.at(a.index));
            o << *out;
            return ADLX_OK;
        });
    }
    // Handed out whether or not the GPU supports the feature, as drivers do: its own calls say so.
    template <class T>
    ADLX_RESULT tuning(const char* method, IADLXGPU* gpu, IADLXInterface** pp) {
        const DeviceArg a = deviceArg(gpu, Kind::Gpu);
        return handOut(*this, method, " " + a.text, a.index, pp, [&](IADLXInterface*& out) {
            if (a.index < 0) return ADLX_INVALID_ARGS;
            out = runtime().make<T>(a.index);
            return ADLX_OK;
        });
    }
};

}  // namespace

IADLXGPUTuningServices* makeGpuTuningServices() { return runtime().make<GpuTuningServicesImpl>(); }

}  // namespace sim
