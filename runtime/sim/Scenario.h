// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The machine the simulated runtime pretends to drive: GPUs, displays and every value a driver
// would hold for them. Plain data, so scenarios can be built in code, read from JSON and edited.

#include <string>
#include <vector>

namespace sim {

struct Range {
    int min = 0;
    int max = 0;
    int step = 1;

    bool contains(int v) const;
};

// A driver value with its range and the value a factory reset restores.
struct Ranged {
    Range range;
    int factory = 0;
    int value = 0;

    bool accepts(int v) const { return range.contains(v); }
};

struct FanPoint {
    int speed = 0;
    int temperature = 0;
    bool operator==(const FanPoint&) const = default;
};

struct Switch {
    bool supported = true;
    bool enabled = false;
};

struct GfxTuning {
    bool supported = true;
    Ranged minFrequency;
    Ranged maxFrequency;
    Ranged voltage;
};

struct VramTuning {
    bool supported = true;
    Ranged maxFrequency;
    bool timingSupported = true;
    // As the driver lists them: may repeat and may hold values no enumeration names.
    std::vector<int> timings;
    int timingFactory = 0;
    int timing = 0;
};

struct PowerTuning {
    bool supported = true;
    Ranged powerLimit;
    bool tdcSupported = true;
    Ranged tdcLimit;
};

struct FanTuning {
    bool supported = true;
    Range speedRange;
    Range temperatureRange;
    // The number of points is the driver's: every state list has this many entries.
    std::vector<FanPoint> factoryCurve;
    std::vector<FanPoint> curve;
    bool zeroRpmSupported = true;
    bool zeroRpmFactory = true;
    bool zeroRpm = true;
};

struct SmartAccessMemory {
    bool supported = true;
    bool factory = true;
    bool enabled = true;
};

struct AntiLag {
    bool supported = true;
    bool enabled = false;
    bool levelSupported = true;  // Anti-Lag+
    int level = 0;
};

struct Chill {
    bool supported = true;
    bool enabled = false;
    Range fpsRange;
    int minFps = 0;
    int maxFps = 0;
};

struct RangedSwitch {
    bool supported = true;
    bool enabled = false;
    Ranged value;
};

struct ModeSetting {
    bool supported = true;
    int mode = 0;
};

struct AntiAliasing {
    bool supported = true;
    int mode = 0;
    int level = 0;
    int method = 0;
    std::vector<int> levels;  // the levels the driver accepts
};

struct AnisotropicFiltering {
    bool supported = true;
    bool enabled = false;
    int level = 0;
    std::vector<int> levels;
};

struct Tessellation {
    bool supported = true;
    int mode = 0;
    int level = 1;
    std::vector<int> levels;
};

struct ShaderCache {
    bool supported = true;
    int resets = 0;
};

// The sensors a GPU has and the conditions its readings follow. Each reading is worked out when it
// is asked for, from these, the GPU's tuning values and a small wobble of the load whose phase
// moves on with the clock and with every metrics object handed out, so the demo looks alive; a
// wobble of 0 makes every reading a plain function of the settings, for tests.
struct Sensors {
    bool asleep = false;  // runtime power management has put the GPU to sleep
    bool temperature = true;
    bool hotspotTemperature = true;
    bool memoryTemperature = true;
    bool fanSpeed = true;
    bool fanSpeedPercent = true;
    bool gpuClock = true;
    bool memoryClock = true;
    bool power = true;
    bool gpuUsage = true;
    bool vramUsed = true;
    bool vramTotal = true;
    int load = 60;          // percent of the engine kept busy
    int wobble = 5;         // percent points the load moves around it
    int ambient = 30;       // degrees Celsius around the card
    int boardPower = 355;   // watts drawn at full load with the factory clocks, voltage and cap
    int fanMaxRpm = 3300;
    int vramTotalMib = 24576;
    int vramUsedMib = 2150;
    int samples = 0;        // metrics objects handed out so far (part of the phase), not a setting
};

struct Gpu {
    std::string name;
    std::string pnp;
    int multiGpuMode = 0;

    GfxTuning gfx;
    VramTuning vram;
    PowerTuning power;
    FanTuning fan;
    SmartAccessMemory sam;

    AntiLag antiLag;
    Chill chill;
    RangedSwitch boost;             // value: minimum resolution in percent
    RangedSwitch imageSharpening;   // value: sharpness
    Switch enhancedSync;
    ModeSetting vsync;
    RangedSwitch frtc;              // value: target frames per second
    AntiAliasing antiAliasing;
    Switch mlaa;
    AnisotropicFiltering anisotropic;
    Tessellation tessellation;
    ShaderCache shaderCache;

    Sensors sensors;
};

struct ListSetting {
    bool supported = true;
    std::vector<int> values;  // the values this display can take
    int value = 0;
};

struct Display {
    std::string name;
    Switch freeSync;
    Switch vsr;
    Switch gpuScaling;
    ModeSetting scalingMode;
    Switch integerScaling;
    ListSetting colorDepth;
    ListSetting pixelFormat;
};

struct Scenario {
    std::vector<Gpu> gpus;
    std::vector<Display> displays;
    RangedSwitch superResolution;  // one setting for the whole system
};

// Two GPUs of different abilities and two displays, as `make run` shows them.
Scenario defaultScenario();

// The template every GPU and display read from JSON starts from.
Gpu defaultCard();
Display defaultDisplay();

// Reads a scenario from JSON text. Fields left out take the default card's and default display's
// values. Returns false with a one-line reason when the text cannot be used; `ignored` receives the
// dotted paths of keys this reader does not know, so a mistyped key does not pass unnoticed.
bool parseScenario(const std::string& text, Scenario& out, std::string& reason,
                   std::vector<std::string>& ignored);

// Changes one driver value directly, by a dotted key such as "gpu0.gfx.maxFrequency" with the
// value as text. Returns an empty string on success, else the reason.
std::string setValue(Scenario& scenario, const std::string& key, const std::string& value);

// Reads one value by the same keys, written as JSON ("2400", "true", "[0,1,2]").
std::string getValue(Scenario& scenario, const std::string& key, std::string& value);

// Restores every tuning value of the GPU to its factory value.
void resetToFactory(Gpu& gpu);

}  // namespace sim
