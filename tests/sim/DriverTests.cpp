// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated machine behaving like a careful driver: ranges, vocabularies, support, fan curve
// validation and factory reset.

#include <functional>

#include "SimFixture.h"

namespace simtest {
namespace {

using Driver = SimTest;

// One setter call on the default machine, the driver key it changes, and whether it is accepted.
struct SetCase {
    const char* label;
    const char* key;
    std::function<ADLX_RESULT(SimTest&)> set;
    ADLX_RESULT expected;
    const char* valueAfter;
};

class DriverSet : public SimTest {
public:
    InterfacePtr<IADLXManualGraphicsTuning2> gfx() {
        return manual<IADLXManualGraphicsTuning2>(0, &IADLXGPUTuningServices::GetManualGFXTuning);
    }
    InterfacePtr<IADLXManualVRAMTuning2> vram() {
        return manual<IADLXManualVRAMTuning2>(0, &IADLXGPUTuningServices::GetManualVRAMTuning);
    }
    InterfacePtr<IADLXManualPowerTuning> power(adlx_uint g) {
        return manual<IADLXManualPowerTuning>(g, &IADLXGPUTuningServices::GetManualPowerTuning);
    }
    template <class T>
    InterfacePtr<T> feature3D(ADLX_RESULT (IADLX3DSettingsServices::*getter)(IADLXGPU*, T**)) {
        InterfacePtr<T> f;
        EXPECT_EQ((settings3D().get()->*getter)(gpu(0).get(), f.put()), ADLX_OK);
        return f;
    }
    template <class T>
    InterfacePtr<T> featureOfDisplay(adlx_uint d, ADLX_RESULT (IADLXDisplayServices::*getter)(IADLXDisplay*, T**)) {
        InterfacePtr<T> f;
        EXPECT_EQ((displays().get()->*getter)(display(d).get(), f.put()), ADLX_OK);
        return f;
    }
};

TEST_F(DriverSet, SettersKeepTheOldValueWhenTheyRefuse) {
    auto d = [](SimTest& t) -> DriverSet& { return static_cast<DriverSet&>(t); };
    const SetCase cases[] = {
        {"clock at top of range", "gpu0.gfx.maxFrequency", [&](SimTest& t) { return d(t).gfx()->SetGPUMaxFrequency(3000); }, ADLX_OK, "3000"},
        {"clock above range", "gpu0.gfx.maxFrequency", [&](SimTest& t) { return d(t).gfx()->SetGPUMaxFrequency(3001); }, ADLX_INVALID_ARGS, "2500"},
        {"clock of 0 (empty edit)", "gpu0.gfx.minFrequency", [&](SimTest& t) { return d(t).gfx()->SetGPUMinFrequency(0); }, ADLX_INVALID_ARGS, "500"},
        {"voltage below range", "gpu0.gfx.voltage", [&](SimTest& t) { return d(t).gfx()->SetGPUVoltage(699); }, ADLX_INVALID_ARGS, "1150"},
        {"memory clock in range", "gpu0.vram.maxFrequency", [&](SimTest& t) { return d(t).vram()->SetMaxVRAMFrequency(2700); }, ADLX_OK, "2700"},
        {"timing in the GPU's list", "gpu0.vram.timing", [&](SimTest& t) { return d(t).vram()->SetMemoryTimingDescription(MEMORYTIMING_FAST_TIMING_LEVEL_2); }, ADLX_OK, "2"},
        {"timing not in the GPU's list", "gpu0.vram.timing", [&](SimTest& t) { return d(t).vram()->SetMemoryTimingDescription(MEMORYTIMING_AUTOMATIC); }, ADLX_INVALID_ARGS, "0"},
        {"negative power offset", "gpu0.power.powerLimit", [&](SimTest& t) { return d(t).power(0)->SetPowerLimit(-10); }, ADLX_OK, "-10"},
        {"power offset above range", "gpu0.power.powerLimit", [&](SimTest& t) { return d(t).power(0)->SetPowerLimit(16); }, ADLX_INVALID_ARGS, "0"},
        {"TDC above range", "gpu0.power.tdcLimit", [&](SimTest& t) { return d(t).power(0)->SetTDCLimit(1); }, ADLX_INVALID_ARGS, "0"},
        {"TDC where unsupported", "gpu1.power.tdcLimit", [&](SimTest& t) { return d(t).power(1)->SetTDCLimit(-5); }, ADLX_NOT_SUPPORTED, "0"},
        {"chill minimum below range", "gpu0.chill.minFps", [&](SimTest& t) { return d(t).feature3D(&IADLX3DSettingsServices::GetChill)->SetMinFPS(29); }, ADLX_INVALID_ARGS, "70"},
        {"chill minimum above maximum", "gpu0.chill.minFps", [&](SimTest& t) { return d(t).feature3D(&IADLX3DSettingsServices::GetChill)->SetMinFPS(200); }, ADLX_INVALID_ARGS, "70"},
        {"chill minimum equal to maximum", "gpu0.chill.minFps", [&](SimTest& t) { return d(t).feature3D(&IADLX3DSettingsServices::GetChill)->SetMinFPS(144); }, ADLX_OK, "144"},
        {"chill maximum below minimum", "gpu0.chill.maxFps", [&](SimTest& t) { return d(t).feature3D(&IADLX3DSettingsServices::GetChill)->SetMaxFPS(69); }, ADLX_INVALID_ARGS, "144"},
        {"chill maximum equal to minimum", "gpu0.chill.maxFps", [&](SimTest& t) { return d(t).feature3D(&IADLX3DSettingsServices::GetChill)->SetMaxFPS(70); }, ADLX_OK, "70"},
        {"chill maximum above range", "gpu0.chill.maxFps", [&](SimTest& t) { return d(t).feature3D(&IADLX3DSettingsServices::GetChill)->SetMaxFPS(301); }, ADLX_INVALID_ARGS, "144"},
        {"unknown AA level", "gpu0.antiAliasing.level", [&](SimTest& t) { return d(t).feature3D(&IADLX3DSettingsServices::GetAntiAliasing)->SetLevel(static_cast<ADLX_ANTI_ALIASING_LEVEL>(7)); }, ADLX_INVALID_ARGS, "4"},
        {"tessellation level not offered", "gpu0.tessellation.level", [&](SimTest& t) { return d(t).feature3D(&IADLX3DSettingsServices::GetTessellation)->SetLevel(static_cast<ADLX_TESSELLATION_LEVEL>(3)); }, ADLX_INVALID_ARGS, "64"},
        {"tessellation level offered", "gpu0.tessellation.level", [&](SimTest& t) { return d(t).feature3D(&IADLX3DSettingsServices::GetTessellation)->SetLevel(T_LEVEL_OFF); }, ADLX_OK, "1"},
        {"V-Sync mode out of the enumeration", "gpu0.vsync.mode", [&](SimTest& t) { return d(t).feature3D(&IADLX3DSettingsServices::GetWaitForVerticalRefresh)->SetMode(static_cast<ADLX_WAIT_FOR_VERTICAL_REFRESH_MODE>(4)); }, ADLX_INVALID_ARGS, "1"},
        {"colour depth the TV lacks", "display1.colorDepth", [&](SimTest& t) { return d(t).featureOfDisplay(1, &IADLXDisplayServices::GetColorDepth)->SetValue(BPC_10); }, ADLX_INVALID_ARGS, "2"},
        {"colour depth the monitor has", "display0.colorDepth", [&](SimTest& t) { return d(t).featureOfDisplay(0, &IADLXDisplayServices::GetColorDepth)->SetValue(BPC_8); }, ADLX_OK, "2"},
        {"pixel format the TV lacks", "display1.pixelFormat", [&](SimTest& t) { return d(t).featureOfDisplay(1, &IADLXDisplayServices::GetPixelFormat)->SetValue(YCBCR_444); }, ADLX_INVALID_ARGS, "1"},
        {"FreeSync where unsupported", "display1.freeSync.enabled", [&](SimTest& t) { return d(t).featureOfDisplay(1, &IADLXDisplayServices::GetFreeSync)->SetEnabled(true); }, ADLX_NOT_SUPPORTED, "false"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(ctl("scenario"), "ok");
        EXPECT_EQ(c.set(*this), c.expected) << c.label;
        EXPECT_EQ(driverValue(c.key), c.valueAfter) << c.label;
    }
}

TEST_F(Driver, UnsupportedFeatureStillHandsOutItsInterface) {
    auto services = tuning();
    auto igpu = gpu(1);
    adlx_bool supported = true;
    EXPECT_EQ(services->IsSupportedManualGFXTuning(igpu.get(), &supported), ADLX_OK);
    EXPECT_FALSE(supported);
    InterfacePtr<IADLXInterface> base;
    ASSERT_EQ(services->GetManualGFXTuning(igpu.get(), base.put()), ADLX_OK);
    auto gfx = base.query<IADLXManualGraphicsTuning2>();
    ASSERT_TRUE(gfx);
    adlx_int value = -1;
    EXPECT_EQ(gfx->GetGPUMaxFrequency(&value), ADLX_NOT_SUPPORTED);
    EXPECT_EQ(value, -1);
    EXPECT_EQ(gfx->GetGPUMaxFrequency(nullptr), ADLX_INVALID_ARGS);
}

TEST_F(Driver, DeviceArgumentsMustBeLiveDevicesOfOurs) {
    auto services = tuning();
    auto d = display(0);
    IADLXGPU* released = gpu(0).get();  // the temporary owner has released it already
    struct {
        const char* label;
        IADLXGPU* gpu;
    } cases[] = {{"null", nullptr},
                 {"a display passed as GPU", reinterpret_cast<IADLXGPU*>(d.get())},
                 {"a pointer not from the runtime", reinterpret_cast<IADLXGPU*>(&cases)},
                 {"a released GPU", released}};
    for (const auto& c : cases) {
        adlx_bool supported = true;
        EXPECT_EQ(services->IsSupportedManualFanTuning(c.gpu, &supported), ADLX_INVALID_ARGS) << c.label;
        InterfacePtr<IADLXInterface> fan;
        EXPECT_EQ(services->GetManualFanTuning(c.gpu, fan.put()), ADLX_INVALID_ARGS) << c.label;
        EXPECT_FALSE(fan) << c.label;
    }
}

TEST_F(Driver, DisplayAnswersPerValueWhichColourDepthsItTakes) {
    auto services = displays();
    InterfacePtr<IADLXDisplayColorDepth> depth;
    ASSERT_EQ(services->GetColorDepth(display(1).get(), depth.put()), ADLX_OK);
    std::vector<int> offered;
    for (int v = BPC_UNKNOWN; v <= BPC_16; ++v) {
        adlx_bool yes = false;
        ASSERT_EQ(depth->IsSupportedColorDepth(static_cast<ADLX_COLOR_DEPTH>(v), &yes), ADLX_OK);
        if (yes) offered.push_back(v);
    }
    EXPECT_EQ(offered, std::vector<int>{BPC_8});
}

// Fills the driver-shaped empty list with `points` and asks the driver to judge it.
class FanCurve : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        fan = manual<IADLXManualFanTuning>(0, &IADLXGPUTuningServices::GetManualFanTuning);
        ASSERT_TRUE(fan);
    }
    void TearDown() override {
        fan.reset();
        SimTest::TearDown();
    }
    InterfacePtr<IADLXManualFanTuningStateList> filled(const std::vector<std::pair<int, int>>& points) {
        InterfacePtr<IADLXManualFanTuningStateList> list;
        EXPECT_EQ(fan->GetEmptyFanTuningStates(list.put()), ADLX_OK);
        for (adlx_uint i = list->Begin(); i != list->End() && i < points.size(); ++i) {
            InterfacePtr<IADLXManualFanTuningState> state;
            EXPECT_EQ(list->At(i, state.put()), ADLX_OK);
            state->SetFanSpeed(points[i].first);
            state->SetTemperature(points[i].second);
        }
        return list;
    }
    InterfacePtr<IADLXManualFanTuning> fan;
};

TEST_F(FanCurve, ValidationNamesTheFirstOffendingPoint) {
    const struct {
        const char* label;
        std::vector<std::pair<int, int>> points;
        int index;
    } cases[] = {
        {"rising curve", {{20, 30}, {40, 50}, {60, 60}, {80, 70}, {100, 85}}, -1},
        {"flat curve", {{50, 50}, {50, 50}, {50, 50}, {50, 50}, {50, 50}}, -1},
        {"speed below range", {{20, 30}, {40, 50}, {19, 60}, {80, 70}, {100, 85}}, 2},
        {"temperature above range", {{20, 30}, {40, 50}, {60, 60}, {80, 70}, {100, 101}}, 4},
        {"speed falls", {{30, 30}, {25, 50}, {60, 60}, {80, 70}, {100, 85}}, 1},
        {"temperature falls", {{20, 30}, {40, 50}, {60, 60}, {80, 55}, {100, 85}}, 3},
        {"untouched empty list", {}, 0},
    };
    for (const auto& c : cases) {
        auto list = filled(c.points);
        adlx_int index = 99;
        EXPECT_EQ(fan->IsValidFanTuningStates(list.get(), &index), c.index < 0 ? ADLX_OK : ADLX_INVALID_ARGS) << c.label;
        EXPECT_EQ(index, c.index) << c.label;
    }
}

TEST_F(FanCurve, SetAcceptsOnlyAValidCurve) {
    const std::string before = driverValue("gpu0.fan.curve");
    auto falling = filled({{20, 30}, {40, 50}, {60, 60}, {80, 55}, {100, 85}});
    EXPECT_EQ(fan->SetFanTuningStates(falling.get()), ADLX_INVALID_ARGS);
    EXPECT_EQ(driverValue("gpu0.fan.curve"), before);

    auto rising = filled({{20, 30}, {40, 50}, {60, 60}, {80, 70}, {100, 85}});
    EXPECT_EQ(fan->SetFanTuningStates(rising.get()), ADLX_OK);
    EXPECT_EQ(driverValue("gpu0.fan.curve"), "[[20,30],[40,50],[60,60],[80,70],[100,85]]");

    // A list fetched from the driver reads back what was set.
    InterfacePtr<IADLXManualFanTuningStateList> current;
    ASSERT_EQ(fan->GetFanTuningStates(current.put()), ADLX_OK);
    InterfacePtr<IADLXManualFanTuningState> last;
    ASSERT_EQ(current->At(current->End() - 1, last.put()), ADLX_OK);
    adlx_int speed = 0;
    EXPECT_EQ(last->GetFanSpeed(&speed), ADLX_OK);
    EXPECT_EQ(speed, 100);
}

TEST_F(FanCurve, ListOfAnotherShapeOrOrigin) {
    // The second GPU's curve has three points: its list does not fit the first GPU's fan.
    useScenario(R"({"gpus":[{}, {"fan":{"curve":[[30,40],[50,60],[70,80]]}}]})");
    fan = manual<IADLXManualFanTuning>(0, &IADLXGPUTuningServices::GetManualFanTuning);
    auto other = manual<IADLXManualFanTuning>(1, &IADLXGPUTuningServices::GetManualFanTuning);
    InterfacePtr<IADLXManualFanTuningStateList> three;
    ASSERT_EQ(other->GetFanTuningStates(three.put()), ADLX_OK);
    EXPECT_EQ(three->Size(), 3u);
    adlx_int index = 99;
    EXPECT_EQ(other->IsValidFanTuningStates(three.get(), &index), ADLX_OK);
    EXPECT_EQ(fan->IsValidFanTuningStates(three.get(), &index), ADLX_INVALID_ARGS);
    EXPECT_EQ(index, 3);
    EXPECT_EQ(fan->IsValidFanTuningStates(nullptr, &index), ADLX_INVALID_ARGS);
    EXPECT_EQ(fan->IsValidFanTuningStates(three.get(), nullptr), ADLX_INVALID_ARGS);
    // Anything that is not a state list of ours is refused without being read.
    EXPECT_EQ(fan->SetFanTuningStates(reinterpret_cast<IADLXManualFanTuningStateList*>(fan.get())),
              ADLX_INVALID_ARGS);
}

TEST_F(Driver, ResetToFactoryRestoresEveryTuningValueOfThatGpuOnly) {
    const char* changes[] = {"gpu0.gfx.minFrequency=800",  "gpu0.gfx.maxFrequency=2000", "gpu0.gfx.voltage=900",
                             "gpu0.vram.maxFrequency=2600", "gpu0.vram.timing=1",        "gpu0.power.powerLimit=10",
                             "gpu0.power.tdcLimit=-20",    "gpu0.fan.curve.2.speed=70", "gpu0.fan.zeroRpm=false",
                             "gpu0.sam.enabled=false",     "gpu1.power.powerLimit=5"};
    std::vector<std::pair<std::string, std::string>> factory;
    for (const char* change : changes) {
        const std::string key = std::string(change).substr(0, std::string(change).find('='));
        factory.emplace_back(key, driverValue(key.c_str()));
        ASSERT_EQ(ctl("set", change), "ok") << change;
    }
    EXPECT_EQ(tuning()->ResetToFactory(gpu(0).get()), ADLX_OK);
    for (const auto& [key, value] : factory) {
        if (key.rfind("gpu1.", 0) == 0) {
            EXPECT_NE(driverValue(key.c_str()), value) << key << " of the other GPU";
        } else {
            EXPECT_EQ(driverValue(key.c_str()), value) << key;
        }
    }
    EXPECT_EQ(tuning()->ResetToFactory(nullptr), ADLX_INVALID_ARGS);
}

}  // namespace
}  // namespace simtest
