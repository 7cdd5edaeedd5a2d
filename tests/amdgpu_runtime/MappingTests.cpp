// SPDX-License-Identifier: GPL-3.0-or-later
// The contract over every captured card with a whole device tree: what each call answers, and the
// exact commands a Set and a Reset write. Each row here is a row of docs/amdgpu-runtime.md.

#include <functional>

#include "RuntimeFixture.h"

// Found by argument-dependent lookup, so beside the type, in the global namespace.
bool operator==(const ADLX_IntRange& a, const ADLX_IntRange& b) {
    return a.minValue == b.minValue && a.maxValue == b.maxValue && a.step == b.step;
}
std::ostream& operator<<(std::ostream& os, const ADLX_IntRange& r) {
    return os << "{" << r.minValue << ", " << r.maxValue << ", " << r.step << "}";
}

namespace {

constexpr ADLX_IntRange kNone{0, 0, 0};

struct Answer {
    ADLX_RESULT result = ADLX_NOT_SUPPORTED;
    int value = 0;
    ADLX_IntRange range = kNone;
};
constexpr Answer kUnsupported{};

struct FamilyRow {
    const char* fixture;
    bool gfx, vram, power, fan, zeroRpm;
    Answer minClock, maxClock, voltage, memory, powerLimit;
    std::vector<std::string> reset;
};

std::ostream& operator<<(std::ostream& os, const FamilyRow& row) { return os << row.fixture; }

Answer ok(int value, ADLX_IntRange range) { return {ADLX_OK, value, range}; }

const std::vector<std::string> kResetAndCommit{"pp_od_clk_voltage: r\n", "pp_od_clk_voltage: c\n"};
const std::vector<std::string> kResetAtOnce{"pp_od_clk_voltage: r\n"};
// The APU kernels take overdrive edits only in the manual performance level; the factory state
// hands the clocks back to the kernel.
const std::vector<std::string> kResetInManualLevel{"power_dpm_force_performance_level: manual\n",
                                                   "pp_od_clk_voltage: r\n", "pp_od_clk_voltage: c\n",
                                                   "power_dpm_force_performance_level: auto\n"};

// clang-format off
const FamilyRow kFamilies[] = {
    // Polaris: the levels carry their voltage; the top engine level's voltage is the voltage.
    {"rx580", true, true, true, false, false,
     ok(300, {300, 2000, 1}), ok(1366, {300, 2000, 1}), ok(1150, {750, 1200, 1}), ok(1750, {300, 2250, 1}),
     ok(0, {-99, 30, 1}), kResetAndCommit},
    // Navi 1x: the voltage is the top point of the voltage curve.
    {"rx5700xt", true, true, true, false, false,
     ok(1351, {800, 2150, 1}), ok(1900, {800, 2150, 1}), ok(1100, {750, 1200, 1}), ok(875, {625, 950, 1}),
     ok(0, {-50, 50, 1}), kResetAndCommit},
    {"rx5500xt", true, true, true, false, false,
     ok(500, {800, 2200, 1}), ok(1900, {800, 2200, 1}), ok(1102, {700, 1150, 1}), ok(875, {625, 930, 1}),
     ok(0, {-50, 20, 1}), kResetAndCommit},
    // Navi 2x and 3x: only a voltage offset, which is no voltage.
    {"rx6900xt", true, true, true, false, false,
     ok(500, {500, 3000, 1}), ok(2499, {500, 3000, 1}), kUnsupported, ok(1000, {674, 1075, 1}),
     ok(0, {-99, 15, 1}), kResetAtOnce},
    {"rx6600", true, true, true, false, false,
     ok(2600, {500, 2900, 1}), ok(2700, {500, 2900, 1}), kUnsupported, ok(925, {674, 950, 1}),
     ok(20, {-6, 20, 1}), {"pp_od_clk_voltage: r\n", "power1_cap: 100000000\n"}},
    {"rx7800xt", true, true, true, true, true,
     ok(500, {500, 5000, 1}), ok(2660, {500, 5000, 1}), kUnsupported, ok(1300, {97, 1500, 1}),
     ok(0, {-10, 19, 1}), kResetAtOnce},
    {"rx7900xtx", true, true, true, true, false,
     ok(500, {500, 5000, 1}), ok(2735, {500, 5000, 1}), kUnsupported, ok(1250, {97, 1500, 1}),
     ok(0, {-10, 15, 1}), kResetAtOnce},
    // RDNA4: the engine clock is only an offset; power cap 120 W of 304 W.
    {"rx9070xt", false, true, true, true, true,
     kUnsupported, kUnsupported, kUnsupported, ok(1259, {97, 1500, 1}),
     ok(-61, {-99, 12, 1}), {"pp_od_clk_voltage: r\n", "power1_cap: 304000000\n"}},
    // APUs: engine clocks only; Phoenix has no power cap, Van Gogh's capture no overdrive.
    {"phoenix", true, false, false, false, false,
     ok(800, {800, 2700, 1}), ok(2700, {800, 2700, 1}), kUnsupported, kUnsupported,
     kUnsupported, kResetInManualLevel},
    {"vangogh", false, false, true, false, false,
     kUnsupported, kUnsupported, kUnsupported, kUnsupported,
     ok(0, {-93, 93, 1}), {}},
};
// clang-format on

class Family : public RuntimeTest, public ::testing::WithParamInterface<FamilyRow> {
protected:
    void SetUp() override {
        mount(GetParam().fixture);
        if (IsSkipped()) return;
        start();
    }

    template <class T>
    Answer ask(ADLX_RESULT (T::*get)(adlx_int*), ADLX_RESULT (T::*range)(ADLX_IntRange*), T* feature) {
        Answer a;
        a.result = once([&] { return (feature->*get)(&a.value); });
        if (a.result != ADLX_OK) a.value = 0;
        once([&] { return (feature->*range)(&a.range); });
        return a;
    }
    bool supported(ADLX_RESULT (IADLXGPUTuningServices::*isSupported)(IADLXGPU*, adlx_bool*)) {
        adlx_bool yes = false;
        EXPECT_EQ(once([&] { return (services.get()->*isSupported)(gpu.get(), &yes); }), ADLX_OK);
        return yes;
    }
};

void expectAnswer(const Answer& got, const Answer& want, const char* what) {
    EXPECT_EQ(got.result, want.result) << what;
    EXPECT_EQ(got.value, want.value) << what;
    if (want.result == ADLX_OK) {
        EXPECT_EQ(got.range, want.range) << what;
    }
}

TEST_P(Family, SupportValuesAndRangesAreTheKernels) {
    const FamilyRow& row = GetParam();
    EXPECT_EQ(supported(&IADLXGPUTuningServices::IsSupportedManualGFXTuning), row.gfx);
    EXPECT_EQ(supported(&IADLXGPUTuningServices::IsSupportedManualVRAMTuning), row.vram);
    EXPECT_EQ(supported(&IADLXGPUTuningServices::IsSupportedManualPowerTuning), row.power);
    EXPECT_EQ(supported(&IADLXGPUTuningServices::IsSupportedManualFanTuning), row.fan);

    auto g = gfx();
    ASSERT_TRUE(g);
    using G = IADLXManualGraphicsTuning2;
    expectAnswer(ask(&G::GetGPUMinFrequency, &G::GetGPUMinFrequencyRange, g.get()), row.minClock,
                 "min clock");
    expectAnswer(ask(&G::GetGPUMaxFrequency, &G::GetGPUMaxFrequencyRange, g.get()), row.maxClock,
                 "max clock");
    expectAnswer(ask(&G::GetGPUVoltage, &G::GetGPUVoltageRange, g.get()), row.voltage, "voltage");
    auto v = vram();
    ASSERT_TRUE(v);
    using V = IADLXManualVRAMTuning2;
    expectAnswer(ask(&V::GetMaxVRAMFrequency, &V::GetMaxVRAMFrequencyRange, v.get()), row.memory, "memory");
    auto p = power();
    ASSERT_TRUE(p);
    using P = IADLXManualPowerTuning;
    expectAnswer(ask(&P::GetPowerLimit, &P::GetPowerLimitRange, p.get()), row.powerLimit, "power limit");

    // What the kernel offers on no card: memory timing, a current limit, switching Smart Access Memory.
    adlx_bool yes = true;
    EXPECT_EQ(v->IsSupportedMemoryTiming(&yes), ADLX_OK);
    EXPECT_FALSE(yes);
    ADLX_MEMORYTIMING_DESCRIPTION timing{};
    EXPECT_EQ(v->GetMemoryTimingDescription(&timing), ADLX_NOT_SUPPORTED);
    EXPECT_EQ(v->SetMemoryTimingDescription(MEMORYTIMING_FAST_TIMING), ADLX_NOT_SUPPORTED);
    yes = true;
    EXPECT_EQ(p->IsSupportedTDCLimit(&yes), ADLX_OK);
    EXPECT_FALSE(yes);
    adlx_int tdc = 0;
    EXPECT_EQ(p->GetTDCLimit(&tdc), ADLX_NOT_SUPPORTED);
    EXPECT_EQ(p->SetTDCLimit(0), ADLX_NOT_SUPPORTED);
    auto s = sam();
    ASSERT_TRUE(s);
    yes = true;
    EXPECT_EQ(s->IsSupported(&yes), ADLX_OK);
    EXPECT_FALSE(yes);
    EXPECT_EQ(s->SetEnabled(true), ADLX_NOT_SUPPORTED);

    auto f = fan();
    ASSERT_TRUE(f);
    yes = !row.zeroRpm;
    EXPECT_EQ(once([&] { return f->IsSupportedZeroRPM(&yes); }), ADLX_OK);
    EXPECT_EQ(yes, row.zeroRpm);
    EXPECT_TRUE(takeWrites().empty()) << "reading wrote to the kernel";
}

TEST_P(Family, ResetWritesTheFamilysResetThenTheDefaultCapWhereItDiffers) {
    EXPECT_EQ(once([&] { return services->ResetToFactory(gpu.get()); }), ADLX_OK);
    EXPECT_EQ(takeWrites(), GetParam().reset);
}

INSTANTIATE_TEST_SUITE_P(Captures, Family, ::testing::ValuesIn(kFamilies),
                         [](const auto& info) { return std::string(info.param.fixture); });

// ---- Set: one contract call, the exact commands, in order.

struct SetRow {
    const char* name;
    const char* fixture;
    std::function<ADLX_RESULT(RuntimeTest&)> call;
    ADLX_RESULT result;
    std::vector<std::string> writes;
};
std::ostream& operator<<(std::ostream& os, const SetRow& row) { return os << row.name; }

class Setters : public RuntimeTest {
public:
    using RuntimeTest::fan;
    using RuntimeTest::gfx;
    using RuntimeTest::gpu;
    using RuntimeTest::kernel;
    using RuntimeTest::power;
    using RuntimeTest::services;
    using RuntimeTest::vram;
    // One contract call, checked to read no file twice.
    template <class Call>
    ADLX_RESULT one(Call&& call) {
        return once(std::forward<Call>(call));
    }
};

class Set : public Setters, public ::testing::WithParamInterface<SetRow> {
protected:
    void SetUp() override {
        mount(GetParam().fixture);
        if (IsSkipped()) return;
        start();
    }
};

ADLX_RESULT setCurve(RuntimeTest& t, std::vector<std::pair<int, int>> points) {
    auto& s = static_cast<Setters&>(t);
    auto f = s.fan();
    adlx::InterfacePtr<IADLXManualFanTuningStateList> list;
    if (s.one([&] { return f->GetEmptyFanTuningStates(list.put()); }) != ADLX_OK) return ADLX_FAIL;
    for (adlx_uint i = 0; i < list->Size() && i < points.size(); ++i) {
        adlx::InterfacePtr<IADLXManualFanTuningState> state;
        list->At(i, state.put());
        state->SetFanSpeed(points[i].first);
        state->SetTemperature(points[i].second);
    }
    return s.one([&] { return f->SetFanTuningStates(list.get()); });
}

// A row's call: one call on one feature interface of the card, which must read no file twice.
#define ON_FEATURE(getter, call)                     \
    [](RuntimeTest& t) {                             \
        auto& s = static_cast<Setters&>(t);          \
        auto feature = s.getter();                   \
        return s.one([&] { return feature->call; }); \
    }
#define GFX(call) ON_FEATURE(gfx, call)
#define VRAM(call) ON_FEATURE(vram, call)
#define POWER(call) ON_FEATURE(power, call)
#define FAN(call) ON_FEATURE(fan, call)

// clang-format off
const SetRow kSets[] = {
    {"PolarisMinKeepsTheLevelsVoltage", "rx580", GFX(SetGPUMinFrequency(400)), ADLX_OK,
     {"pp_od_clk_voltage: s 0 400 750\n", "pp_od_clk_voltage: c\n"}},
    {"PolarisMaxIsTheTopLevel", "rx580", GFX(SetGPUMaxFrequency(1400)), ADLX_OK,
     {"pp_od_clk_voltage: s 7 1400 1150\n", "pp_od_clk_voltage: c\n"}},
    {"PolarisVoltageIsTheTopLevels", "rx580", GFX(SetGPUVoltage(1100)), ADLX_OK,
     {"pp_od_clk_voltage: s 7 1366 1100\n", "pp_od_clk_voltage: c\n"}},
    {"PolarisMinAboveTheMaxWritesTheMaxFirst", "rx580", GFX(SetGPUMinFrequency(1500)), ADLX_OK,
     {"pp_od_clk_voltage: s 7 1500 1150\n", "pp_od_clk_voltage: s 0 1500 750\n",
      "pp_od_clk_voltage: s 1 1500 769\n", "pp_od_clk_voltage: s 2 1500 912\n",
      "pp_od_clk_voltage: s 3 1500 1125\n", "pp_od_clk_voltage: s 4 1500 1150\n",
      "pp_od_clk_voltage: s 5 1500 1150\n", "pp_od_clk_voltage: s 6 1500 1150\n", "pp_od_clk_voltage: c\n"}},
    // The levels between the lowest and the highest stay within the new minimum and maximum, each
    // with its own voltage, so the table the card runs still rises.
    {"PolarisMaxBelowTheMiddleLevelsTakesThemDown", "rx580", GFX(SetGPUMaxFrequency(1200)), ADLX_OK,
     {"pp_od_clk_voltage: s 7 1200 1150\n", "pp_od_clk_voltage: s 4 1200 1150\n",
      "pp_od_clk_voltage: s 5 1200 1150\n", "pp_od_clk_voltage: s 6 1200 1150\n", "pp_od_clk_voltage: c\n"}},
    {"PolarisMinAboveTheMiddleLevelsTakesThemUp", "rx580", GFX(SetGPUMinFrequency(1000)), ADLX_OK,
     {"pp_od_clk_voltage: s 0 1000 750\n", "pp_od_clk_voltage: s 1 1000 769\n",
      "pp_od_clk_voltage: s 2 1000 912\n", "pp_od_clk_voltage: c\n"}},
    {"PolarisMemoryBelowTheMiddleLevelTakesItDown", "rx580", VRAM(SetMaxVRAMFrequency(900)), ADLX_OK,
     {"pp_od_clk_voltage: m 2 900 975\n", "pp_od_clk_voltage: m 1 900 825\n", "pp_od_clk_voltage: c\n"}},
    // A Polaris table with fewer levels (as on the smaller chips): the indices are the kernel's.
    {"PolarisLevelsAreTheTablesOwn", "rx580", [](RuntimeTest& t) {
         auto& s = static_cast<Setters&>(t);
         s.kernel.set("class/drm/card0/device/pp_od_clk_voltage",
                      "OD_SCLK:\n0:        300MHz        750mV\n1:        800MHz        800mV\n"
                      "2:       1100MHz        900mV\nOD_MCLK:\n0:        300MHz        750mV\n"
                      "1:       1500MHz        850mV\nOD_RANGE:\nSCLK:     300MHz       2000MHz\n"
                      "MCLK:     300MHz       2250MHz\nVDDC:     750mV        1200mV\n");
         auto g = s.gfx();
         auto v = s.vram();
         const ADLX_RESULT results[] = {s.one([&] { return g->SetGPUMaxFrequency(700); }),
                                        s.one([&] { return v->SetMaxVRAMFrequency(1600); }),
                                        s.one([&] { return g->SetGPUVoltage(950); })};
         for (ADLX_RESULT r : results) if (r != ADLX_OK) return r;
         return ADLX_OK;
     }, ADLX_OK,
     {"pp_od_clk_voltage: s 2 700 900\n", "pp_od_clk_voltage: s 1 700 800\n", "pp_od_clk_voltage: c\n",
      "pp_od_clk_voltage: m 1 1600 850\n", "pp_od_clk_voltage: c\n",
      "pp_od_clk_voltage: s 2 1100 950\n", "pp_od_clk_voltage: c\n"}},
    {"PolarisMemoryIsTheTopLevel", "rx580", VRAM(SetMaxVRAMFrequency(2000)), ADLX_OK,
     {"pp_od_clk_voltage: m 2 2000 975\n", "pp_od_clk_voltage: c\n"}},
    {"PolarisPowerIsAPercentageOfTheDefault", "rx580", POWER(SetPowerLimit(10)), ADLX_OK,
     {"power1_cap: 171000000\n"}},
    {"PolarisPowerTopOfTheRangeStaysWithinTheMaximum", "rx580", POWER(SetPowerLimit(30)), ADLX_OK,
     {"power1_cap: 201000000\n"}},
    {"PolarisPowerLowestIsOneWattNotZero", "rx580", POWER(SetPowerLimit(-99)), ADLX_OK,
     {"power1_cap: 2000000\n"}},
    {"PolarisPowerOfZeroWattsIsRefused", "rx580", POWER(SetPowerLimit(-100)), ADLX_INVALID_ARGS, {}},
    {"PolarisClockOutsideTheRangeIsRefusedUnwritten", "rx580", GFX(SetGPUMaxFrequency(2001)), ADLX_INVALID_ARGS, {}},
    {"Navi1xVoltageIsTheTopCurvePoint", "rx5700xt", GFX(SetGPUVoltage(1050)), ADLX_OK,
     {"pp_od_clk_voltage: vc 2 1900 1050\n", "pp_od_clk_voltage: c\n"}},
    {"Navi1xMin", "rx5700xt", GFX(SetGPUMinFrequency(1400)), ADLX_OK,
     {"pp_od_clk_voltage: s 0 1400\n", "pp_od_clk_voltage: c\n"}},
    {"Navi1xMemoryIsLevelOne", "rx5700xt", VRAM(SetMaxVRAMFrequency(900)), ADLX_OK,
     {"pp_od_clk_voltage: m 1 900\n", "pp_od_clk_voltage: c\n"}},
    // Its minimum (500 MHz) lies below the kernel's own range (800 MHz): setting it back is no
    // change, not a refusal.
    {"Navi1xUnchangedValueOutsideItsOwnRangeWritesNothing", "rx5500xt", GFX(SetGPUMinFrequency(500)), ADLX_OK, {}},
    {"Navi1xChangedValueOutsideTheRangeIsRefused", "rx5500xt", GFX(SetGPUMinFrequency(501)), ADLX_INVALID_ARGS, {}},
    {"Navi2xMax", "rx6900xt", GFX(SetGPUMaxFrequency(2600)), ADLX_OK,
     {"pp_od_clk_voltage: s 1 2600\n", "pp_od_clk_voltage: c\n"}},
    {"Navi2xMaxBelowTheMinWritesTheMinFirst", "rx6600", GFX(SetGPUMaxFrequency(2500)), ADLX_OK,
     {"pp_od_clk_voltage: s 0 2500\n", "pp_od_clk_voltage: s 1 2500\n", "pp_od_clk_voltage: c\n"}},
    {"Navi2xVoltageOffsetIsNoVoltage", "rx6900xt", GFX(SetGPUVoltage(1100)), ADLX_NOT_SUPPORTED, {}},
    {"Navi2xPowerAboveTheRangeIsRefused", "rx6600", POWER(SetPowerLimit(21)), ADLX_INVALID_ARGS, {}},
    {"Navi2xUnchangedValuesWriteNothing", "rx6600", [](RuntimeTest& t) {
         auto& s = static_cast<Setters&>(t);
         auto g = s.gfx();
         auto v = s.vram();
         auto p = s.power();
         const ADLX_RESULT results[] = {s.one([&] { return g->SetGPUMinFrequency(2600); }),
                                        s.one([&] { return g->SetGPUMaxFrequency(2700); }),
                                        s.one([&] { return v->SetMaxVRAMFrequency(925); }),
                                        s.one([&] { return p->SetPowerLimit(20); })};
         for (ADLX_RESULT r : results) if (r != ADLX_OK) return r;
         return ADLX_OK;
     }, ADLX_OK, {}},
    {"Navi3xMinAboveTheMaxWritesTheMaxFirst", "rx7800xt", GFX(SetGPUMinFrequency(2700)), ADLX_OK,
     {"pp_od_clk_voltage: s 1 2700\n", "pp_od_clk_voltage: s 0 2700\n", "pp_od_clk_voltage: c\n"}},
    {"Navi3xMemory", "rx7900xtx", VRAM(SetMaxVRAMFrequency(1300)), ADLX_OK,
     {"pp_od_clk_voltage: m 1 1300\n", "pp_od_clk_voltage: c\n"}},
    // The RDNA3 kernel may drop the power cap when the overdrive table is committed: a cap other
    // than the default is written again after each commit, the value read before it.
    {"Navi3xCommitWritesTheChosenCapAgain", "rx7800xt", [](RuntimeTest& t) {
         auto& s = static_cast<Setters&>(t);
         auto g = s.gfx();
         auto p = s.power();
         auto f = s.fan();
         const ADLX_RESULT results[] = {s.one([&] { return p->SetPowerLimit(10); }),
                                        s.one([&] { return g->SetGPUMaxFrequency(2700); }),
                                        s.one([&] { return f->SetZeroRPMState(false); })};
         for (ADLX_RESULT r : results) if (r != ADLX_OK) return r;
         return ADLX_OK;
     }, ADLX_OK,
     {"power1_cap: 260000000\n", "pp_od_clk_voltage: s 1 2700\n", "pp_od_clk_voltage: c\n",
      "power1_cap: 260000000\n", "gpu_od/fan_ctrl/fan_zero_rpm_enable: 0\n",
      "gpu_od/fan_ctrl/fan_zero_rpm_enable: c\n", "power1_cap: 260000000\n"}},
    {"Navi3xCommitWithTheDefaultCapWritesNoCap", "rx7800xt", GFX(SetGPUMaxFrequency(2700)), ADLX_OK,
     {"pp_od_clk_voltage: s 1 2700\n", "pp_od_clk_voltage: c\n"}},
    {"Navi3xFanCurvePointByPointThenCommit", "rx7800xt",
     [](RuntimeTest& t) { return setCurve(t, {{35, 30}, {45, 50}, {60, 65}, {80, 80}, {100, 95}}); }, ADLX_OK,
     {"gpu_od/fan_ctrl/fan_curve: 0 30 35\n", "gpu_od/fan_ctrl/fan_curve: 1 50 45\n",
      "gpu_od/fan_ctrl/fan_curve: 2 65 60\n", "gpu_od/fan_ctrl/fan_curve: 3 80 80\n",
      "gpu_od/fan_ctrl/fan_curve: 4 95 100\n", "gpu_od/fan_ctrl/fan_curve: c\n"}},
    {"Navi3xFanCurveBelowTheMinimumSpeedIsRefusedUnwritten", "rx7800xt",
     [](RuntimeTest& t) { return setCurve(t, {{30, 30}, {45, 50}, {60, 65}, {80, 80}, {100, 95}}); },
     ADLX_INVALID_ARGS, {}},
    {"Navi3xZeroRpmOff", "rx7800xt", FAN(SetZeroRPMState(false)), ADLX_OK,
     {"gpu_od/fan_ctrl/fan_zero_rpm_enable: 0\n", "gpu_od/fan_ctrl/fan_zero_rpm_enable: c\n"}},
    // RDNA4 keeps a cap above its default in the overdrive table, as Navi 3x: the cap power1_cap
    // shows (120 W, below the default here) is written again after every commit.
    {"Rdna4ZeroRpmOn", "rx9070xt", FAN(SetZeroRPMState(true)), ADLX_OK,
     {"gpu_od/fan_ctrl/fan_zero_rpm_enable: 1\n", "gpu_od/fan_ctrl/fan_zero_rpm_enable: c\n",
      "power1_cap: 120000000\n"}},
    {"Rdna4EngineClockOffsetIsNoClock", "rx9070xt", GFX(SetGPUMaxFrequency(3000)), ADLX_NOT_SUPPORTED, {}},
    {"Rdna4PowerShownRoundedIsKept", "rx9070xt", POWER(SetPowerLimit(-61)), ADLX_OK, {}},
    {"Rdna4Power", "rx9070xt", POWER(SetPowerLimit(-50)), ADLX_OK, {"power1_cap: 152000000\n"}},
    {"Rdna4Memory", "rx9070xt", VRAM(SetMaxVRAMFrequency(1300)), ADLX_OK,
     {"pp_od_clk_voltage: m 1 1300\n", "pp_od_clk_voltage: c\n", "power1_cap: 120000000\n"}},
    {"ApuMaxInTheManualLevel", "phoenix", GFX(SetGPUMaxFrequency(2000)), ADLX_OK,
     {"power_dpm_force_performance_level: manual\n", "pp_od_clk_voltage: s 1 2000\n", "pp_od_clk_voltage: c\n"}},
    {"ApuAlreadyInTheManualLevel", "phoenix", [](RuntimeTest& t) {
         auto& s = static_cast<Setters&>(t);
         s.kernel.set("class/drm/card0/device/power_dpm_force_performance_level", "manual\n");
         auto g = s.gfx();
         return s.one([&] { return g->SetGPUMinFrequency(1000); });
     }, ADLX_OK, {"pp_od_clk_voltage: s 0 1000\n", "pp_od_clk_voltage: c\n"}},
    {"ApuUnchangedValueNeedsNoLevel", "phoenix", GFX(SetGPUMaxFrequency(2700)), ADLX_OK, {}},
    {"ApuVoltageIsNotOffered", "phoenix", GFX(SetGPUVoltage(900)), ADLX_NOT_SUPPORTED, {}},
    {"Navi3xVoltageIsNotOffered", "rx7800xt", GFX(SetGPUVoltage(1100)), ADLX_NOT_SUPPORTED, {}},
    {"ApuHasNoMemoryClock", "phoenix", VRAM(SetMaxVRAMFrequency(1000)), ADLX_NOT_SUPPORTED, {}},
    {"ApuWithoutOverdriveHasNoClocks", "vangogh", GFX(SetGPUMinFrequency(400)), ADLX_NOT_SUPPORTED, {}},
    {"ApuPowerWithoutOverdrive", "vangogh", POWER(SetPowerLimit(20)), ADLX_OK, {"power1_cap: 18000000\n"}},
};
// clang-format on

TEST_P(Set, WritesExactlyTheKernelsCommandsInOrder) {
    const SetRow& row = GetParam();
    EXPECT_EQ(row.call(*this), row.result);
    EXPECT_EQ(takeWrites(), row.writes);
}

INSTANTIATE_TEST_SUITE_P(Captures, Set, ::testing::ValuesIn(kSets),
                         [](const auto& info) { return std::string(info.param.name); });

// The program's Fan page: the driver's points, the ranges, and the first point it refuses.
class FanCurve : public RuntimeTest {};

TEST_F(FanCurve, ValidationNamesTheFirstOffendingPoint) {
    mount("rx7800xt");
    if (IsSkipped()) return;
    start();
    auto f = fan();
    ADLX_IntRange speed{}, temperature{};
    EXPECT_EQ(f->GetFanTuningRanges(&speed, &temperature), ADLX_OK);
    EXPECT_EQ(speed, (ADLX_IntRange{35, 100, 1}));
    EXPECT_EQ(temperature, (ADLX_IntRange{25, 100, 1}));

    adlx::InterfacePtr<IADLXManualFanTuningStateList> current;
    ASSERT_EQ(f->GetFanTuningStates(current.put()), ADLX_OK);
    ASSERT_EQ(current->Size(), 5u);
    adlx_int index = 7;
    // The kernel's "no custom curve" (all zeros) is below every range: it cannot be sent back.
    EXPECT_EQ(f->IsValidFanTuningStates(current.get(), &index), ADLX_INVALID_ARGS);
    EXPECT_EQ(index, 0);

    const std::vector<std::pair<int, int>> cases[] = {
        {{40, 30}, {50, 40}, {45, 50}, {70, 60}, {90, 70}},   // speed falls at 2
        {{40, 30}, {50, 40}, {60, 50}, {70, 45}, {90, 70}},   // temperature falls at 3
        {{40, 30}, {50, 40}, {60, 50}, {70, 60}, {90, 101}},  // beyond 100 C at 4
        {{40, 24}, {50, 40}, {60, 50}, {70, 60}, {90, 70}},   // below 25 C at 0
    };
    const int expected[] = {2, 3, 4, 0};
    for (size_t c = 0; c < std::size(cases); ++c) {
        adlx::InterfacePtr<IADLXManualFanTuningStateList> list;
        ASSERT_EQ(f->GetEmptyFanTuningStates(list.put()), ADLX_OK);
        for (adlx_uint i = 0; i < 5; ++i) {
            adlx::InterfacePtr<IADLXManualFanTuningState> state;
            ASSERT_EQ(list->At(i, state.put()), ADLX_OK);
            state->SetFanSpeed(cases[c][i].first);
            state->SetTemperature(cases[c][i].second);
        }
        index = -7;
        EXPECT_EQ(f->IsValidFanTuningStates(list.get(), &index), ADLX_INVALID_ARGS) << c;
        EXPECT_EQ(index, expected[c]) << c;
        EXPECT_EQ(f->SetFanTuningStates(list.get()), ADLX_INVALID_ARGS) << c;
    }
    EXPECT_TRUE(takeWrites().empty());
}

}  // namespace
