// SPDX-License-Identifier: GPL-3.0-or-later
// GPU metrics over the kernel's sensor files: hwmon's temperatures, fan, power and clocks, the
// device's gpu_busy_percent, mem_info_vram_* and pp_dpm_* levels. Every Get reads its file when it
// is called, never twice and never kept; a card in runtime suspend is not read at all, because a
// read would wake it (kernels up to 6.12) or be refused (later ones).
//
// Whether a reading is offered is told from the folder listings alone, which wake nothing: the
// kernel shows a sensor file only where the card has the sensor.

#include <cerrno>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Kernel.h"
#include "Objects.h"
#include "Session.h"
#include "formats/Sensors.h"

namespace amdgpu {

namespace {

const Card& cardAt(int index) { return session().cards.at(static_cast<std::size_t>(index)); }

enum class Folder { Hwmon, Device };

// A file a reading may come from, and how its text becomes the contract's unit.
struct Source {
    Folder folder;
    const char* file;
    std::optional<double> (*convert)(std::string_view text);
};
// The first source whose file the kernel shows is the one read; a later one is a fallback for
// kernels or cards without the earlier file, never for a text that cannot be understood.
using Sources = std::vector<Source>;

template <class T, std::optional<T> (*Parse)(std::string_view)>
std::optional<double> asDouble(std::string_view text) {
    const std::optional<T> v = Parse(text);
    return v ? std::optional<double>(*v) : std::nullopt;
}

const Sources kEdgeTemperature{{Folder::Hwmon, "temp1_input", &celsiusFromMillidegrees}};
const Sources kHotspotTemperature{{Folder::Hwmon, "temp2_input", &celsiusFromMillidegrees}};
const Sources kMemoryTemperature{{Folder::Hwmon, "temp3_input", &celsiusFromMillidegrees}};
const Sources kFanRpm{{Folder::Hwmon, "fan1_input", &asDouble<int, &parseRpm>}};
const Sources kFanPercent{{Folder::Hwmon, "pwm1", &percentFromPwm}};
const Sources kGpuClock{{Folder::Hwmon, "freq1_input", &mhzFromHz},
                        {Folder::Device, "pp_dpm_sclk", &asDouble<int, &parseActiveDpmClock>}};
const Sources kMemoryClock{{Folder::Hwmon, "freq2_input", &mhzFromHz},
                           {Folder::Device, "pp_dpm_mclk", &asDouble<int, &parseActiveDpmClock>}};
// The average is what the card is judged by; kernels and APUs that drop it keep the instant one.
const Sources kPower{{Folder::Hwmon, "power1_average", &wattsFromMicrowatts},
                     {Folder::Hwmon, "power1_input", &wattsFromMicrowatts}};
const Sources kGpuUsage{{Folder::Device, "gpu_busy_percent", &asDouble<int, &parseBusyPercent>}};
const Sources kVramUsed{{Folder::Device, "mem_info_vram_used", &mibFromBytes}};
const Sources kVramTotal{{Folder::Device, "mem_info_vram_total", &mibFromBytes}};

struct Shown {
    std::string path;
    const Source* source = nullptr;
};

// The first source the card's folders list; none when the card has no such sensor (or its
// folders are gone).
Shown firstShown(Kernel& kernel, const Card& card, const Sources& sources) {
    std::map<Folder, std::vector<std::string>> listings;
    for (const Source& source : sources) {
        const std::string& folder = source.folder == Folder::Hwmon ? card.hwmon : card.device;
        if (folder.empty()) continue;
        auto it = listings.find(source.folder);
        if (it == listings.end()) it = listings.emplace(source.folder, kernel.list(folder)).first;
        for (const std::string& name : it->second) {
            if (name == source.file) return {folder + "/" + source.file, &source};
        }
    }
    return {};
}

enum class PowerState { Awake, Asleep };

// device/power/runtime_status. A kernel without runtime power management shows no such file and
// never puts the card to sleep; a state that cannot be read or understood is nothing, and the
// card is then treated as one that must not be woken.
std::optional<PowerState> powerState(Kernel& kernel, const Card& card) {
    const ReadResult& r = kernel.read(card.file("power/runtime_status"));
    if (r.error == ENOENT) return PowerState::Awake;
    if (r.error != 0) return std::nullopt;
    const std::optional<RuntimeStatus> status = parseRuntimeStatus(r.text);
    if (!status) return std::nullopt;
    return isAsleep(*status) ? PowerState::Asleep : PowerState::Awake;
}

class GpuMetrics final : public Counted<IADLXGPUMetrics> {
public:
    explicit GpuMetrics(int card) : Counted(Kind::Other, card) {}

    ADLX_RESULT IsAsleep(adlx_bool* out) override {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [&]() -> ADLX_RESULT {
            Kernel kernel;
            const std::optional<PowerState> state = powerState(kernel, cardAt(card));
            if (!state) return ADLX_FAIL;
            *out = *state == PowerState::Asleep;
            return ADLX_OK;
        });
    }
    ADLX_RESULT IsSupportedTemperature(adlx_bool* out) override { return supported(out, kEdgeTemperature); }
    ADLX_RESULT GetTemperature(adlx_double* out) override { return reading(out, kEdgeTemperature); }
    ADLX_RESULT IsSupportedHotspotTemperature(adlx_bool* out) override {
        return supported(out, kHotspotTemperature);
    }
    ADLX_RESULT GetHotspotTemperature(adlx_double* out) override { return reading(out, kHotspotTemperature); }
    ADLX_RESULT IsSupportedMemoryTemperature(adlx_bool* out) override {
        return supported(out, kMemoryTemperature);
    }
    ADLX_RESULT GetMemoryTemperature(adlx_double* out) override { return reading(out, kMemoryTemperature); }
    ADLX_RESULT IsSupportedFanSpeed(adlx_bool* out) override { return supported(out, kFanRpm); }
    ADLX_RESULT GetFanSpeed(adlx_int* out) override { return reading(out, kFanRpm); }
    ADLX_RESULT IsSupportedFanSpeedPercent(adlx_bool* out) override { return supported(out, kFanPercent); }
    ADLX_RESULT GetFanSpeedPercent(adlx_double* out) override { return reading(out, kFanPercent); }
    ADLX_RESULT IsSupportedGPUClock(adlx_bool* out) override { return supported(out, kGpuClock); }
    ADLX_RESULT GetGPUClock(adlx_double* out) override { return reading(out, kGpuClock); }
    ADLX_RESULT IsSupportedMemoryClock(adlx_bool* out) override { return supported(out, kMemoryClock); }
    ADLX_RESULT GetMemoryClock(adlx_double* out) override { return reading(out, kMemoryClock); }
    ADLX_RESULT IsSupportedPower(adlx_bool* out) override { return supported(out, kPower); }
    ADLX_RESULT GetPower(adlx_double* out) override { return reading(out, kPower); }
    ADLX_RESULT IsSupportedGPUUsage(adlx_bool* out) override { return supported(out, kGpuUsage); }
    ADLX_RESULT GetGPUUsage(adlx_int* out) override { return reading(out, kGpuUsage); }
    ADLX_RESULT IsSupportedVRAMUsed(adlx_bool* out) override { return supported(out, kVramUsed); }
    ADLX_RESULT GetVRAMUsed(adlx_double* out) override { return reading(out, kVramUsed); }
    ADLX_RESULT IsSupportedVRAMTotal(adlx_bool* out) override { return supported(out, kVramTotal); }
    ADLX_RESULT GetVRAMTotal(adlx_double* out) override { return reading(out, kVramTotal); }

private:
    ADLX_RESULT supported(adlx_bool* out, const Sources& sources) {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [&] {
            Kernel kernel;
            *out = firstShown(kernel, cardAt(card), sources).source != nullptr;
            return ADLX_OK;
        });
    }
    template <class V>
    ADLX_RESULT reading(V* out, const Sources& sources) {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        return guarded(*this, [&]() -> ADLX_RESULT {
            Kernel kernel;
            const Card& c = cardAt(card);
            const Shown shown = firstShown(kernel, c, sources);
            if (shown.source == nullptr) return ADLX_NOT_SUPPORTED;
            if (powerState(kernel, c) != PowerState::Awake) return ADLX_FAIL;
            const std::string* text = kernel.text(shown.path);
            if (text == nullptr) return ADLX_FAIL;
            const std::optional<double> value = shown.source->convert(*text);
            if (!value) return ADLX_FAIL;
            *out = static_cast<V>(*value);
            return ADLX_OK;
        });
    }
};

class GpuMetricsServices final : public Counted<IADLXGPUMetricsServices> {
public:
    GpuMetricsServices() : Counted(Kind::Other, -1) {}

    ADLX_RESULT GetGPUMetrics(IADLXGPU* gpu, IADLXGPUMetrics** pp) override {
        return handOut(*this, pp, [&](IADLXGPUMetrics*& out) {
            const int index = cardOf(gpu);
            if (index < 0) return ADLX_INVALID_ARGS;
            out = session().make<GpuMetrics>(index);
            return ADLX_OK;
        });
    }
};

}  // namespace

IADLXGPUMetricsServices* makeGpuMetricsServices() { return session().make<GpuMetricsServices>(); }

}  // namespace amdgpu
