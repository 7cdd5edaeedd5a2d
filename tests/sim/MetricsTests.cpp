// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated GPU's readings: they follow the tuning values as a card's would, the scenario says
// which sensors a GPU has, a sleeping GPU answers no reading, and the load wobbles a little from
// one metrics object to the next so the demo looks alive.

#include <set>

#include "SimFixture.h"

namespace simtest {
namespace {

struct Snapshot {
    double power = 0;
    double clock = 0;
    double edge = 0;
    double fanPercent = 0;
    adlx_int fanRpm = 0;
};

class Metrics : public SimTest {
protected:
    InterfacePtr<IADLXGPUMetrics> metrics(adlx_uint gpuIndex) {
        InterfacePtr<IADLXGPUMetricsServices> services;
        EXPECT_EQ(system->GetGPUMetricsServices(services.put()), ADLX_OK);
        InterfacePtr<IADLXGPUMetrics> m;
        auto g = gpu(gpuIndex);
        EXPECT_EQ(services->GetGPUMetrics(g.get(), m.put()), ADLX_OK);
        return m;
    }
    Snapshot read(adlx_uint gpuIndex = 0) {
        auto m = metrics(gpuIndex);
        Snapshot s;
        EXPECT_EQ(m->GetPower(&s.power), ADLX_OK);
        EXPECT_EQ(m->GetGPUClock(&s.clock), ADLX_OK);
        EXPECT_EQ(m->GetTemperature(&s.edge), ADLX_OK);
        EXPECT_EQ(m->GetFanSpeedPercent(&s.fanPercent), ADLX_OK);
        EXPECT_EQ(m->GetFanSpeed(&s.fanRpm), ADLX_OK);
        return s;
    }
    void set(const std::string& assignment) { ASSERT_EQ(ctl("set", assignment.c_str()), "ok") << assignment; }
};

TEST_F(Metrics, ReadingsFollowTheTuningValues) {
    useScenario(R"({"gpus":[{"sensors":{"wobble":0,"load":90,"ambient":25}}]})");
    const Snapshot factory = read();

    // A lower power limit holds the draw at the cap, and the clock comes down with it.
    set("gpu0.power.powerLimit=-10");
    const Snapshot capped = read();
    EXPECT_LT(capped.power, factory.power);
    EXPECT_LT(capped.clock, factory.clock);
    EXPECT_LT(capped.edge, factory.edge);

    // A higher clock and voltage with the headroom to run them draw more and run warmer.
    set("gpu0.power.powerLimit=15");
    set("gpu0.gfx.maxFrequency=3000");
    set("gpu0.gfx.voltage=1200");
    const Snapshot pushed = read();
    EXPECT_GT(pushed.power, factory.power);
    EXPECT_GT(pushed.clock, factory.clock);
    EXPECT_GT(pushed.edge, factory.edge);
    EXPECT_GE(pushed.fanPercent, factory.fanPercent);

    // The fan runs the curve: a flat curve at full speed is full speed.
    set("gpu0.fan.curve=[[100,30],[100,40],[100,50],[100,60],[100,70]]");
    EXPECT_EQ(read().fanPercent, 100);
    EXPECT_EQ(read().fanRpm, 3300);
}

TEST_F(Metrics, ZeroRpmStopsTheFanBelowTheCurvesFirstPoint) {
    useScenario(R"({"gpus":[{"sensors":{"wobble":0,"load":0,"ambient":20}}]})");
    const Snapshot idle = read();
    ASSERT_LT(idle.edge, 40) << "below the first point of the default curve";
    EXPECT_EQ(idle.fanRpm, 0);
    EXPECT_EQ(idle.fanPercent, 0);
    set("gpu0.fan.zeroRpm=false");
    EXPECT_EQ(read().fanPercent, 25) << "the first point's speed";
}

TEST_F(Metrics, TheScenarioSaysWhichSensorsAGpuHasAndASleepingGpuIsNotRead) {
    useScenario(R"({"gpus":[{"sensors":{"fanSpeed":{"supported":false}}},
                            {"sensors":{"asleep":true}}]})");
    auto awake = metrics(0);
    adlx_bool flag = true;
    EXPECT_EQ(awake->IsAsleep(&flag), ADLX_OK);
    EXPECT_FALSE(flag);
    EXPECT_EQ(awake->IsSupportedFanSpeed(&flag), ADLX_OK);
    EXPECT_FALSE(flag);
    adlx_int rpm = -1;
    EXPECT_EQ(awake->GetFanSpeed(&rpm), ADLX_NOT_SUPPORTED);
    EXPECT_EQ(rpm, -1);
    EXPECT_EQ(awake->IsSupportedFanSpeedPercent(&flag), ADLX_OK);
    EXPECT_TRUE(flag);

    auto asleep = metrics(1);
    EXPECT_EQ(asleep->IsAsleep(&flag), ADLX_OK);
    EXPECT_TRUE(flag);
    EXPECT_EQ(asleep->IsSupportedTemperature(&flag), ADLX_OK);
    EXPECT_TRUE(flag);
    adlx_double celsius = -1;
    EXPECT_EQ(asleep->GetTemperature(&celsius), ADLX_FAIL);
    EXPECT_EQ(celsius, -1);
    EXPECT_EQ(asleep->GetTemperature(nullptr), ADLX_INVALID_ARGS);
}

TEST_F(Metrics, TheLoadWobblesWithinReasonFromOneObjectToTheNext) {
    std::set<double> clocks;
    for (int i = 0; i < 3; ++i) {
        const Snapshot s = read();
        clocks.insert(s.clock);
        EXPECT_GE(s.clock, 500);
        EXPECT_LE(s.clock, 2500);
        EXPECT_GT(s.edge, 30);
        EXPECT_LT(s.edge, 110);
        EXPECT_GE(s.fanPercent, 0);
        EXPECT_LE(s.fanPercent, 100);
    }
    EXPECT_GT(clocks.size(), 1u) << "the demo looks alive";
}

}  // namespace
}  // namespace simtest
