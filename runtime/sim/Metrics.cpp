// SPDX-License-Identifier: GPL-3.0-or-later
// GPU metrics: the readings of a simulated GPU, worked out from its sensors' conditions and its
// tuning values when they are asked for, so they move as the user changes the settings: a lower
// power limit caps the draw and the clock with it, a higher clock or voltage draws more, the draw
// warms the card, and the fan follows the curve (and zero RPM) at that temperature.

#include <algorithm>
#include <cmath>
#include <ctime>

#include "Objects.h"
#include "Runtime.h"

namespace sim {

namespace {

struct Readings {
    double edge = 0;
    double hotspot = 0;
    double memory = 0;
    double fanPercent = 0;
    int fanRpm = 0;
    double gpuClock = 0;
    double memoryClock = 0;
    double power = 0;
    int usage = 0;
    double vramUsed = 0;
    double vramTotal = 0;
};

// To one decimal, as the sensors report: the nearest double of the decimal, not a multiple of 0.1.
double tenths(double v) { return std::round(v * 10) / 10; }

// The fan speed the curve gives at a temperature: the first point's speed below it, the last
// one's above it, a straight line between two points. Zero RPM stops the fan below the first point.
double curveSpeed(const FanTuning& fan, double celsius) {
    const auto& c = fan.curve;
    if (celsius < c.front().temperature) {
        if (fan.zeroRpmSupported && fan.zeroRpm) return 0;
        return c.front().speed;
    }
    for (std::size_t i = 1; i < c.size(); ++i) {
        if (celsius > c[i].temperature) continue;
        const double span = c[i].temperature - c[i - 1].temperature;
        if (span <= 0) return c[i].speed;
        return c[i - 1].speed + (c[i].speed - c[i - 1].speed) * (celsius - c[i - 1].temperature) / span;
    }
    return c.back().speed;
}

Readings readingsOf(const Gpu& g, long long phase) {
    const Sensors& s = g.sensors;
    const double wobble = std::sin(static_cast<double>(phase % 7000) * 0.9);
    const double load = std::clamp(s.load + s.wobble * wobble, 0.0, 100.0) / 100;

    const double capShare = g.power.supported ? std::max(0, 100 + g.power.powerLimit.value) / 100.0 : 1.0;
    const double clockShare = g.gfx.maxFrequency.factory > 0
                                  ? static_cast<double>(g.gfx.maxFrequency.value) / g.gfx.maxFrequency.factory
                                  : 1.0;
    const double voltageShare =
        g.gfx.voltage.factory > 0 ? static_cast<double>(g.gfx.voltage.value) / g.gfx.voltage.factory : 1.0;
    const double demand =
        std::max(0, s.boardPower) * (0.12 + 0.88 * load) * clockShare * voltageShare * voltageShare;
    const double cap = std::max(0, s.boardPower) * capShare;
    const double power = std::min(demand, cap);
    // Held at its cap, the card clocks down as far as the cap asks.
    const double throttle = demand > 0 ? std::min(1.0, cap / demand) : 1.0;
    const double low = g.gfx.minFrequency.value;
    const double high = std::max(low, static_cast<double>(g.gfx.maxFrequency.value));

    Readings r;
    r.power = tenths(power);
    r.gpuClock = std::round((low + (high - low) * load) * throttle);
    r.memoryClock = std::round(g.vram.maxFrequency.value * (load >= 0.1 ? 1.0 : 0.25));
    r.edge = tenths(s.ambient + power * 0.11);
    r.hotspot = tenths(r.edge + 4 + 14 * load);
    r.memory = tenths(r.edge + 8);
    // Without a curve of its own the fan runs the board's fixed one: 20 % up to 40 °C, then 2 % a degree.
    const double percent = g.fan.supported && !g.fan.curve.empty()
                               ? curveSpeed(g.fan, r.edge)
                               : std::clamp(20 + (r.edge - 40) * 2, 20.0, 100.0);
    r.fanPercent = tenths(std::clamp(percent, 0.0, 100.0));
    r.fanRpm = static_cast<int>(std::lround(r.fanPercent * std::max(0, s.fanMaxRpm) / 100));
    r.usage = static_cast<int>(std::lround(load * 100));
    r.vramTotal = std::max(0, s.vramTotalMib);
    r.vramUsed = std::clamp(s.vramUsedMib + std::round(48 * (wobble + 1)), 0.0, r.vramTotal);
    return r;
}

class GpuMetricsImpl final : public Impl<IADLXGPUMetrics> {
public:
    // Each object has a phase of its own, from the clock and the objects before it, so one status
    // after another finds the card a little changed.
    explicit GpuMetricsImpl(int gpu)
        : Impl("IADLXGPUMetrics", gpu),
          m_phase(static_cast<long long>(std::time(nullptr)) + gpuModel(*this).sensors.samples++) {}

    ADLX_RESULT IsAsleep(adlx_bool* out) override {
        return getter(*this, "IsAsleep", out, [&](adlx_bool& v) {
            v = sensors().asleep;
            return ADLX_OK;
        });
    }
    ADLX_RESULT IsSupportedTemperature(adlx_bool* out) override {
        return supported("IsSupportedTemperature", out, &Sensors::temperature);
    }
    ADLX_RESULT GetTemperature(adlx_double* out) override {
        return reading("GetTemperature", out, &Sensors::temperature, &Readings::edge);
    }
    ADLX_RESULT IsSupportedHotspotTemperature(adlx_bool* out) override {
        return supported("IsSupportedHotspotTemperature", out, &Sensors::hotspotTemperature);
    }
    ADLX_RESULT GetHotspotTemperature(adlx_double* out) override {
        return reading("GetHotspotTemperature", out, &Sensors::hotspotTemperature, &Readings::hotspot);
    }
    ADLX_RESULT IsSupportedMemoryTemperature(adlx_bool* out) override {
        return supported("IsSupportedMemoryTemperature", out, &Sensors::memoryTemperature);
    }
    ADLX_RESULT GetMemoryTemperature(adlx_double* out) override {
        return reading("GetMemoryTemperature", out, &Sensors::memoryTemperature, &Readings::memory);
    }
    ADLX_RESULT IsSupportedFanSpeed(adlx_bool* out) override {
        return supported("IsSupportedFanSpeed", out, &Sensors::fanSpeed);
    }
    ADLX_RESULT GetFanSpeed(adlx_int* out) override {
        return reading("GetFanSpeed", out, &Sensors::fanSpeed, &Readings::fanRpm);
    }
    ADLX_RESULT IsSupportedFanSpeedPercent(adlx_bool* out) override {
        return supported("IsSupportedFanSpeedPercent", out, &Sensors::fanSpeedPercent);
    }
    ADLX_RESULT GetFanSpeedPercent(adlx_double* out) override {
        return reading("GetFanSpeedPercent", out, &Sensors::fanSpeedPercent, &Readings::fanPercent);
    }
    ADLX_RESULT IsSupportedGPUClock(adlx_bool* out) override {
        return supported("IsSupportedGPUClock", out, &Sensors::gpuClock);
    }
    ADLX_RESULT GetGPUClock(adlx_double* out) override {
        return reading("GetGPUClock", out, &Sensors::gpuClock, &Readings::gpuClock);
    }
    ADLX_RESULT IsSupportedMemoryClock(adlx_bool* out) override {
        return supported("IsSupportedMemoryClock", out, &Sensors::memoryClock);
    }
    ADLX_RESULT GetMemoryClock(adlx_double* out) override {
        return reading("GetMemoryClock", out, &Sensors::memoryClock, &Readings::memoryClock);
    }
    ADLX_RESULT IsSupportedPower(adlx_bool* out) override {
        return supported("IsSupportedPower", out, &Sensors::power);
    }
    ADLX_RESULT GetPower(adlx_double* out) override {
        return reading("GetPower", out, &Sensors::power, &Readings::power);
    }
    ADLX_RESULT IsSupportedGPUUsage(adlx_bool* out) override {
        return supported("IsSupportedGPUUsage", out, &Sensors::gpuUsage);
    }
    ADLX_RESULT GetGPUUsage(adlx_int* out) override {
        return reading("GetGPUUsage", out, &Sensors::gpuUsage, &Readings::usage);
    }
    ADLX_RESULT IsSupportedVRAMUsed(adlx_bool* out) override {
        return supported("IsSupportedVRAMUsed", out, &Sensors::vramUsed);
    }
    ADLX_RESULT GetVRAMUsed(adlx_double* out) override {
        return reading("GetVRAMUsed", out, &Sensors::vramUsed, &Readings::vramUsed);
    }
    ADLX_RESULT IsSupportedVRAMTotal(adlx_bool* out) override {
        return supported("IsSupportedVRAMTotal", out, &Sensors::vramTotal);
    }
    ADLX_RESULT GetVRAMTotal(adlx_double* out) override {
        return reading("GetVRAMTotal", out, &Sensors::vramTotal, &Readings::vramTotal);
    }

private:
    Sensors& sensors() { return gpuModel(*this).sensors; }

    ADLX_RESULT supported(const char* method, adlx_bool* out, bool Sensors::*flag) {
        return getter(*this, method, out, [&](adlx_bool& v) {
            v = sensors().*flag;
            return ADLX_OK;
        });
    }
    // Worked out from the GPU as it is now; the phase stays that of this object.
    template <class V>
    ADLX_RESULT reading(const char* method, V* out, bool Sensors::*flag, V Readings::*field) {
        return getter(*this, method, out, [&](V& v) {
            if (!(sensors().*flag)) return ADLX_NOT_SUPPORTED;
            if (sensors().asleep) return ADLX_FAIL;
            v = readingsOf(gpuModel(*this), m_phase).*field;
            return ADLX_OK;
        });
    }

    const long long m_phase;
};

class GpuMetricsServicesImpl final : public Impl<IADLXGPUMetricsServices> {
public:
    GpuMetricsServicesImpl() : Impl("IADLXGPUMetricsServices", -1) {}

    ADLX_RESULT GetGPUMetrics(IADLXGPU* gpu, IADLXGPUMetrics** pp) override {
        const DeviceArg a = deviceArg(gpu, Kind::Gpu);
        return handOut(*this, "GetGPUMetrics", " " + a.text, a.index, pp, [&](IADLXGPUMetrics*& out) {
            if (a.index < 0) return ADLX_INVALID_ARGS;
            out = runtime().make<GpuMetricsImpl>(a.index);
            return ADLX_OK;
        });
    }
};

}  // namespace

IADLXGPUMetricsServices* makeGpuMetricsServices() { return runtime().make<GpuMetricsServicesImpl>(); }

}  // namespace sim
