// SPDX-License-Identifier: GPL-3.0-or-later
#include "Scenario.h"

#include <charconv>
#include <utility>
#include <variant>

#include <nlohmann/json.hpp>

namespace sim {

bool Range::contains(int v) const {
    if (v < min || v > max) return false;
    return step <= 1 || (static_cast<long long>(v) - min) % step == 0;
}

namespace {

Ranged ranged(int min, int max, int value, int step = 1) { return Ranged{{min, max, step}, value, value}; }

RangedSwitch rangedSwitch(bool supported, bool enabled, int min, int max, int value) {
    return RangedSwitch{supported, enabled, ranged(min, max, value)};
}

const std::vector<int> kAllAaLevels{2, 3, 4, 5, 8, 9};
const std::vector<int> kAllAfLevels{2, 4, 8, 16};
const std::vector<int> kAllTessellationLevels{1, 2, 4, 6, 8, 16, 32, 64};

}  // namespace

// Every feature supported and switched on, so each value the program shows can be edited.
Gpu defaultCard() {
    Gpu g;
    g.name = "Simulated Radeon RX 7900 XTX";
    g.pnp = "PCI\\VEN_1002&DEV_744C&SUBSYS_0E3B1002&REV_C8";
    g.multiGpuMode = 0;
    g.gfx = {true, ranged(500, 3000, 500), ranged(500, 3000, 2500), ranged(700, 1200, 1150)};
    g.vram.supported = true;
    g.vram.maxFrequency = ranged(2400, 2700, 2500);
    g.vram.timingSupported = true;
    g.vram.timings = {0, 1, 2};
    g.power = {true, ranged(-10, 15, 0), true, ranged(-30, 0, 0)};
    g.fan.supported = true;
    g.fan.speedRange = {20, 100, 1};
    g.fan.temperatureRange = {25, 100, 1};
    g.fan.factoryCurve = {{25, 40}, {40, 55}, {60, 70}, {80, 80}, {100, 90}};
    g.fan.curve = g.fan.factoryCurve;
    g.sam = {true, true, true};
    g.antiLag = {true, false, true, 0};
    g.chill = {true, true, {30, 300, 1}, 70, 144};
    g.boost = rangedSwitch(true, true, 50, 100, 70);
    g.imageSharpening = rangedSwitch(true, true, 10, 100, 80);
    g.enhancedSync = {true, false};
    g.vsync = {true, 1};
    g.frtc = rangedSwitch(true, true, 30, 300, 150);
    g.antiAliasing = {true, 0, 4, 0, kAllAaLevels};
    g.mlaa = {true, false};
    g.anisotropic = {true, true, 16, kAllAfLevels};
    g.tessellation = {true, 0, 64, kAllTessellationLevels};
    g.shaderCache = {true, 0};
    return g;
}

Display defaultDisplay() {
    Display d;
    d.name = "Simulated 27GP850 (DisplayPort)";
    d.freeSync = {true, true};
    d.vsr = {true, false};
    d.gpuScaling = {true, false};
    d.scalingMode = {true, 0};
    d.integerScaling = {true, false};
    d.colorDepth = {true, {1, 2, 3}, 3};
    d.pixelFormat = {true, {1, 2, 3, 4, 5}, 1};
    return d;
}

Scenario defaultScenario() {
    Scenario s;
    s.gpus.push_back(defaultCard());

    // An integrated GPU: shares power with the CPU, no fan or memory of its own.
    Gpu igpu = defaultCard();
    igpu.name = "Simulated Radeon 780M Graphics";
    igpu.pnp = "PCI\\VEN_1002&DEV_15BF&SUBSYS_0B291028&REV_C1";
    igpu.gfx.supported = false;
    igpu.vram.supported = false;
    igpu.vram.timingSupported = false;
    igpu.vram.timings.clear();
    igpu.power.powerLimit = ranged(-20, 20, 0);
    igpu.power.tdcSupported = false;
    igpu.fan.supported = false;
    igpu.fan.zeroRpmSupported = false;
    igpu.fan.zeroRpm = igpu.fan.zeroRpmFactory = false;
    igpu.sam = {false, false, false};
    igpu.antiLag.levelSupported = false;
    igpu.boost.supported = false;
    igpu.chill.supported = false;
    igpu.tessellation.supported = false;
    // No fan, no memory chips of its own: a carve-out of system memory, read by no sensor.
    igpu.sensors.fanSpeed = igpu.sensors.fanSpeedPercent = false;
    igpu.sensors.hotspotTemperature = igpu.sensors.memoryTemperature = false;
    igpu.sensors.load = 15;
    igpu.sensors.ambient = 38;
    igpu.sensors.boardPower = 54;
    igpu.sensors.vramTotalMib = 512;
    igpu.sensors.vramUsedMib = 180;
    s.gpus.push_back(igpu);

    s.displays.push_back(defaultDisplay());
    Display tv = defaultDisplay();
    tv.name = "Simulated HDMI TV";
    tv.freeSync = {false, false};
    tv.gpuScaling = {true, true};
    tv.scalingMode = {true, 1};
    tv.integerScaling = {false, false};
    tv.colorDepth = {true, {2}, 2};
    tv.pixelFormat = {true, {1, 3, 5}, 1};
    s.displays.push_back(tv);

    s.superResolution = rangedSwitch(true, false, 0, 100, 75);
    return s;
}

void resetToFactory(Gpu& g) {
    g.gfx.minFrequency.value = g.gfx.minFrequency.factory;
    g.gfx.maxFrequency.value = g.gfx.maxFrequency.factory;
    g.gfx.voltage.value = g.gfx.voltage.factory;
    g.vram.maxFrequency.value = g.vram.maxFrequency.factory;
    g.vram.timing = g.vram.timingFactory;
    g.power.powerLimit.value = g.power.powerLimit.factory;
    g.power.tdcLimit.value = g.power.tdcLimit.factory;
    g.fan.curve = g.fan.factoryCurve;
    g.fan.zeroRpm = g.fan.zeroRpmFactory;
    g.sam.enabled = g.sam.factory;
}

// ---- Field table: one dotted name per value, shared by the JSON reader and the "set" command.

namespace {

using FieldRef = std::variant<int*, bool*, std::string*, std::vector<int>*, std::vector<FanPoint>*>;

struct Field {
    std::string path;
    FieldRef ref;
};

using Fields = std::vector<Field>;

void addRange(Fields& f, const std::string& p, Range& r) {
    f.push_back({p + ".min", &r.min});
    f.push_back({p + ".max", &r.max});
    f.push_back({p + ".step", &r.step});
}

// A ranged value answers to its own name (the current value), and to .value/.default/.min/...
void addRanged(Fields& f, const std::string& p, Ranged& r) {
    f.push_back({p, &r.value});
    f.push_back({p + ".value", &r.value});
    f.push_back({p + ".default", &r.factory});
    addRange(f, p, r.range);
}

void addSwitch(Fields& f, const std::string& p, Switch& s) {
    f.push_back({p + ".supported", &s.supported});
    f.push_back({p + ".enabled", &s.enabled});
}

void addRangedSwitch(Fields& f, const std::string& p, const char* valueName, RangedSwitch& s) {
    f.push_back({p + ".supported", &s.supported});
    f.push_back({p + ".enabled", &s.enabled});
    // The value is not reset to factory, so only its current value and range are named.
    const std::string v = p + "." + valueName;
    f.push_back({v, &s.value.value});
    f.push_back({v + ".value", &s.value.value});
    addRange(f, v, s.value.range);
}

Fields gpuFields(Gpu& g) {
    Fields f;
    f.push_back({"name", &g.name});
    f.push_back({"pnp", &g.pnp});
    f.push_back({"multiGpuMode", &g.multiGpuMode});

    f.push_back({"gfx.supported", &g.gfx.supported});
    addRanged(f, "gfx.minFrequency", g.gfx.minFrequency);
    addRanged(f, "gfx.maxFrequency", g.gfx.maxFrequency);
    addRanged(f, "gfx.voltage", g.gfx.voltage);

    f.push_back({"vram.supported", &g.vram.supported});
    addRanged(f, "vram.maxFrequency", g.vram.maxFrequency);
    f.push_back({"vram.timingSupported", &g.vram.timingSupported});
    f.push_back({"vram.timings", &g.vram.timings});
    f.push_back({"vram.timing", &g.vram.timing});
    f.push_back({"vram.timingDefault", &g.vram.timingFactory});

    f.push_back({"power.supported", &g.power.supported});
    addRanged(f, "power.powerLimit", g.power.powerLimit);
    f.push_back({"power.tdcSupported", &g.power.tdcSupported});
    addRanged(f, "power.tdcLimit", g.power.tdcLimit);

    f.push_back({"fan.supported", &g.fan.supported});
    addRange(f, "fan.speedRange", g.fan.speedRange);
    addRange(f, "fan.temperatureRange", g.fan.temperatureRange);
    f.push_back({"fan.curve", &g.fan.curve});
    f.push_back({"fan.defaultCurve", &g.fan.factoryCurve});
    for (size_t i = 0; i < g.fan.curve.size(); ++i) {
        const std::string p = "fan.curve." + std::to_string(i);
        f.push_back({p + ".speed", &g.fan.curve[i].speed});
        f.push_back({p + ".temperature", &g.fan.curve[i].temperature});
    }
    f.push_back({"fan.zeroRpmSupported", &g.fan.zeroRpmSupported});
    f.push_back({"fan.zeroRpm", &g.fan.zeroRpm});
    f.push_back({"fan.zeroRpmDefault", &g.fan.zeroRpmFactory});

    f.push_back({"sam.supported", &g.sam.supported});
    f.push_back({"sam.enabled", &g.sam.enabled});
    f.push_back({"sam.default", &g.sam.factory});

    f.push_back({"antiLag.supported", &g.antiLag.supported});
    f.push_back({"antiLag.enabled", &g.antiLag.enabled});
    f.push_back({"antiLag.levelSupported", &g.antiLag.levelSupported});
    f.push_back({"antiLag.level", &g.antiLag.level});

    f.push_back({"chill.supported", &g.chill.supported});
    f.push_back({"chill.enabled", &g.chill.enabled});
    addRange(f, "chill.fpsRange", g.chill.fpsRange);
    f.push_back({"chill.minFps", &g.chill.minFps});
    f.push_back({"chill.maxFps", &g.chill.maxFps});

    addRangedSwitch(f, "boost", "resolution", g.boost);
    addRangedSwitch(f, "imageSharpening", "sharpness", g.imageSharpening);
    addSwitch(f, "enhancedSync", g.enhancedSync);
    f.push_back({"vsync.supported", &g.vsync.supported});
    f.push_back({"vsync.mode", &g.vsync.mode});
    addRangedSwitch(f, "frtc", "fps", g.frtc);

    f.push_back({"antiAliasing.supported", &g.antiAliasing.supported});
    f.push_back({"antiAliasing.mode", &g.antiAliasing.mode});
    f.push_back({"antiAliasing.level", &g.antiAliasing.level});
    f.push_back({"antiAliasing.method", &g.antiAliasing.method});
    f.push_back({"antiAliasing.levels", &g.antiAliasing.levels});
    addSwitch(f, "mlaa", g.mlaa);
    f.push_back({"anisotropic.supported", &g.anisotropic.supported});
    f.push_back({"anisotropic.enabled", &g.anisotropic.enabled});
    f.push_back({"anisotropic.level", &g.anisotropic.level});
    f.push_back({"anisotropic.levels", &g.anisotropic.levels});
    f.push_back({"tessellation.supported", &g.tessellation.supported});
    f.push_back({"tessellation.mode", &g.tessellation.mode});
    f.push_back({"tessellation.level", &g.tessellation.level});
    f.push_back({"tessellation.levels", &g.tessellation.levels});
    f.push_back({"shaderCache.supported", &g.shaderCache.supported});
    f.push_back({"shaderCache.resets", &g.shaderCache.resets});

    Sensors& m = g.sensors;
    f.push_back({"sensors.asleep", &m.asleep});
    for (auto [name, flag] : {std::pair{"temperature", &m.temperature},
                              {"hotspotTemperature", &m.hotspotTemperature},
                              {"memoryTemperature", &m.memoryTemperature},
                              {"fanSpeed", &m.fanSpeed},
                              {"fanSpeedPercent", &m.fanSpeedPercent},
                              {"gpuClock", &m.gpuClock},
                              {"memoryClock", &m.memoryClock},
                              {"power", &m.power},
                              {"gpuUsage", &m.gpuUsage},
                              {"vramUsed", &m.vramUsed},
                              {"vramTotal", &m.vramTotal}}) {
        f.push_back({std::string("sensors.") + name + ".supported", flag});
    }
    f.push_back({"sensors.load", &m.load});
    f.push_back({"sensors.wobble", &m.wobble});
    f.push_back({"sensors.ambient", &m.ambient});
    f.push_back({"sensors.boardPower", &m.boardPower});
    f.push_back({"sensors.fanMaxRpm", &m.fanMaxRpm});
    f.push_back({"sensors.vramTotalMib", &m.vramTotalMib});
    f.push_back({"sensors.vramUsedMib", &m.vramUsedMib});
    return f;
}

void addListSetting(Fields& f, const std::string& p, ListSetting& s) {
    f.push_back({p, &s.value});
    f.push_back({p + ".value", &s.value});
    f.push_back({p + ".supported", &s.supported});
    f.push_back({p + ".values", &s.values});
}

Fields displayFields(Display& d) {
    Fields f;
    f.push_back({"name", &d.name});
    addSwitch(f, "freeSync", d.freeSync);
    addSwitch(f, "vsr", d.vsr);
    addSwitch(f, "gpuScaling", d.gpuScaling);
    f.push_back({"scalingMode.supported", &d.scalingMode.supported});
    f.push_back({"scalingMode.mode", &d.scalingMode.mode});
    f.push_back({"scalingMode", &d.scalingMode.mode});
    addSwitch(f, "integerScaling", d.integerScaling);
    addListSetting(f, "colorDepth", d.colorDepth);
    addListSetting(f, "pixelFormat", d.pixelFormat);
    return f;
}

Fields systemFields(Scenario& s) {
    Fields f;
    addRangedSwitch(f, "superResolution", "sharpness", s.superResolution);
    return f;
}

Field* findField(Fields& fields, const std::string& path) {
    for (auto& field : fields)
        if (field.path == path) return &field;
    return nullptr;
}

struct ScenarioError {
    std::string reason;
};

using nlohmann::json;

int toInt(const json& j, const std::string& path) {
    if (!j.is_number_integer()) throw ScenarioError{path + ": expected an integer"};
    const auto v = j.get<long long>();
    if (v < INT32_MIN || v > INT32_MAX) throw ScenarioError{path + ": out of 32-bit range"};
    return static_cast<int>(v);
}

FanPoint toFanPoint(const json& j, const std::string& path) {
    if (j.is_array() && j.size() == 2) return {toInt(j[0], path + "[0]"), toInt(j[1], path + "[1]")};
    if (j.is_object()) {
        FanPoint p;
        for (auto it = j.begin(); it != j.end(); ++it) {
            if (it.key() == "speed") p.speed = toInt(it.value(), path + ".speed");
            else if (it.key() == "temperature") p.temperature = toInt(it.value(), path + ".temperature");
            else throw ScenarioError{path + "." + it.key() + ": unknown key in a fan point"};
        }
        return p;
    }
    throw ScenarioError{path + ": a fan point is [speed, temperature] or {\"speed\":..,\"temperature\":..}"};
}

void assign(const FieldRef& ref, const json& j, const std::string& path) {
    std::visit(
        [&](auto* target) {
            using T = std::remove_pointer_t<decltype(target)>;
            if constexpr (std::is_same_v<T, int>) {
                *target = toInt(j, path);
            } else if constexpr (std::is_same_v<T, bool>) {
                if (!j.is_boolean()) throw ScenarioError{path + ": expected true or false"};
                *target = j.get<bool>();
            } else if constexpr (std::is_same_v<T, std::string>) {
                if (!j.is_string()) throw ScenarioError{path + ": expected a string"};
                *target = j.get<std::string>();
            } else if constexpr (std::is_same_v<T, std::vector<int>>) {
                if (!j.is_array()) throw ScenarioError{path + ": expected a list of integers"};
                target->clear();
                for (size_t i = 0; i < j.size(); ++i)
                    target->push_back(toInt(j[i], path + "[" + std::to_string(i) + "]"));
            } else {
                if (!j.is_array()) throw ScenarioError{path + ": expected a list of fan points"};
                target->clear();
                for (size_t i = 0; i < j.size(); ++i)
                    target->push_back(toFanPoint(j[i], path + "[" + std::to_string(i) + "]"));
            }
        },
        ref);
}

// Walks nested objects down to their leaves and assigns every leaf that names a field. `seen`
// collects the dotted names that were given.
void readObject(const json& j, const std::string& prefix, const std::string& where, Fields& fields,
                std::vector<std::string>& seen, std::vector<std::string>& ignored) {
    for (auto it = j.begin(); it != j.end(); ++it) {
        const std::string path = prefix.empty() ? it.key() : prefix + "." + it.key();
        // An object is always a group ("maxFrequency": {"min": ..}), a plain value names the field
        // itself ("maxFrequency": 2400 sets the current value).
        if (it.value().is_object()) {
            readObject(it.value(), path, where, fields, seen, ignored);
        } else if (Field* field = findField(fields, path)) {
            assign(field->ref, it.value(), where + path);
            seen.push_back(path);
        } else {
            ignored.push_back(where + path);
        }
    }
}

bool given(const std::vector<std::string>& seen, const char* path) {
    for (const auto& s : seen)
        if (s == path) return true;
    return false;
}

Gpu readGpu(const json& j, const std::string& where, std::vector<std::string>& ignored) {
    if (!j.is_object()) throw ScenarioError{where + ": a GPU is a JSON object"};
    Gpu g = defaultCard();
    Fields fields = gpuFields(g);
    std::vector<std::string> seen;
    readObject(j, "", where + ".", fields, seen, ignored);
    // A curve given alone is also the factory curve, so both always have the same number of points.
    if (given(seen, "fan.curve") && !given(seen, "fan.defaultCurve")) g.fan.factoryCurve = g.fan.curve;
    if (given(seen, "fan.defaultCurve") && !given(seen, "fan.curve")) g.fan.curve = g.fan.factoryCurve;
    if (g.fan.curve.size() != g.fan.factoryCurve.size())
        throw ScenarioError{where + ".fan: curve and defaultCurve differ in length"};
    if (g.fan.curve.empty()) throw ScenarioError{where + ".fan.curve: needs at least one point"};
    return g;
}

Display readDisplay(const json& j, const std::string& where, std::vector<std::string>& ignored) {
    if (!j.is_object()) throw ScenarioError{where + ": a display is a JSON object"};
    Display d = defaultDisplay();
    Fields fields = displayFields(d);
    std::vector<std::string> seen;
    readObject(j, "", where + ".", fields, seen, ignored);
    return d;
}

}  // namespace

bool parseScenario(const std::string& text, Scenario& out, std::string& reason,
                   std::vector<std::string>& ignored) {
    try {
        const json j = json::parse(text);
        if (!j.is_object()) throw ScenarioError{"the scenario is a JSON object"};
        Scenario s = defaultScenario();
        for (auto it = j.begin(); it != j.end(); ++it) {
            const std::string& key = it.key();
            if (key == "gpus") {
                if (!it.value().is_array()) throw ScenarioError{"gpus: expected a list"};
                s.gpus.clear();
                for (size_t i = 0; i < it.value().size(); ++i)
                    s.gpus.push_back(readGpu(it.value()[i], "gpus[" + std::to_string(i) + "]", ignored));
            } else if (key == "displays") {
                if (!it.value().is_array()) throw ScenarioError{"displays: expected a list"};
                s.displays.clear();
                for (size_t i = 0; i < it.value().size(); ++i)
                    s.displays.push_back(
                        readDisplay(it.value()[i], "displays[" + std::to_string(i) + "]", ignored));
            } else if (key == "superResolution") {
                if (!it.value().is_object()) throw ScenarioError{"superResolution: expected an object"};
                Fields fields = systemFields(s);
                std::vector<std::string> seen;
                json wrapped = json::object({{key, it.value()}});
                readObject(wrapped, "", "", fields, seen, ignored);
            } else {
                ignored.push_back(key);
            }
        }
        out = std::move(s);
        return true;
    } catch (const json::exception& e) {
        reason = std::string("not valid JSON: ") + e.what();
    } catch (const ScenarioError& e) {
        reason = e.reason;
    }
    // One line, whatever the parser said.
    for (char& c : reason)
        if (c == '\n' || c == '\r') c = ' ';
    return false;
}

namespace {

// The field a "gpuN.", "displayN." or system key names, or null. `fields` keeps the table alive.
Field* lookupKey(Scenario& scenario, const std::string& key, Fields& fields) {
    std::string rest;
    auto indexed = [&](const char* prefix, size_t count, auto&& make) -> bool {
        const size_t n = std::char_traits<char>::length(prefix);
        if (key.compare(0, n, prefix) != 0) return false;
        const size_t dot = key.find('.', n);
        if (dot == std::string::npos) return false;
        size_t index = 0;
        auto [ptr, ec] = std::from_chars(key.data() + n, key.data() + dot, index);
        if (ec != std::errc() || ptr != key.data() + dot || index >= count) return false;
        fields = make(index);
        rest = key.substr(dot + 1);
        return true;
    };
    if (!indexed("gpu", scenario.gpus.size(), [&](size_t i) { return gpuFields(scenario.gpus[i]); }) &&
        !indexed("display", scenario.displays.size(),
                 [&](size_t i) { return displayFields(scenario.displays[i]); })) {
        fields = systemFields(scenario);
        rest = key;
    }
    return findField(fields, rest);
}

json toJson(const FieldRef& ref) {
    return std::visit(
        [](auto* target) -> json {
            using T = std::remove_pointer_t<decltype(target)>;
            if constexpr (std::is_same_v<T, std::vector<FanPoint>>) {
                json list = json::array();
                for (const auto& p : *target) list.push_back({p.speed, p.temperature});
                return list;
            } else {
                return *target;
            }
        },
        ref);
}

}  // namespace

std::string getValue(Scenario& scenario, const std::string& key, std::string& value) {
    Fields fields;
    Field* field = lookupKey(scenario, key, fields);
    if (field == nullptr) return "unknown key " + key;
    value = toJson(field->ref).dump();
    return {};
}

std::string setValue(Scenario& scenario, const std::string& key, const std::string& value) {
    // The value is written as JSON would give it: numbers, true/false, or a JSON text for lists.
    json j;
    try {
        j = json::parse(value);
    } catch (const json::exception&) {
        j = value;  // a bare word is a string, e.g. a name
    }
    Fields fields;
    Field* field = lookupKey(scenario, key, fields);
    if (field == nullptr) return "unknown key " + key;
    try {
        assign(field->ref, j, key);
    } catch (const ScenarioError& e) {
        return e.reason;
    } catch (const json::exception& e) {
        return e.what();
    }
    return {};
}

}  // namespace sim
