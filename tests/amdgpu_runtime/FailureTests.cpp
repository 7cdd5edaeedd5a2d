// SPDX-License-Identifier: GPL-3.0-or-later
// What the kernel refuses, what it does not offer, and a card that goes away.

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "Kernel.h"
#include "RuntimeFixture.h"

namespace {

struct RefusalRow {
    const char* name;
    const char* fixture;
    const char* refusedFile;     // every write to it fails, or
    const char* refusedCommand;  // this one command fails
    int error;
    std::function<ADLX_RESULT(RuntimeTest&)> call;
    ADLX_RESULT result;
    std::vector<std::string> writes;
};
std::ostream& operator<<(std::ostream& os, const RefusalRow& row) { return os << row.name; }

class Access : public RuntimeTest {
public:
    using RuntimeTest::fan;
    using RuntimeTest::gfx;
    using RuntimeTest::gpu;
    using RuntimeTest::power;
    using RuntimeTest::services;
};

class Refused : public Access, public ::testing::WithParamInterface<RefusalRow> {};

#define ON(call) [](RuntimeTest& t) { return static_cast<Access&>(t).call; }

// clang-format off
const RefusalRow kRefusals[] = {
    // The kernel staged the first command and refused the second: both are staged back to what
    // was read, and nothing is committed.
    {"MinAboveMaxRefusedHalfWayIsStagedBackNotCommitted", "rx7800xt", nullptr, "s 0 2700\n", EINVAL,
     ON(gfx()->SetGPUMinFrequency(2700)), ADLX_INVALID_ARGS,
     {"pp_od_clk_voltage: s 1 2700\n", "pp_od_clk_voltage: s 0 2700\n",
      "pp_od_clk_voltage: s 0 500\n", "pp_od_clk_voltage: s 1 2660\n"}},
    {"RefusedCommitIsStagedBack", "rx6900xt", nullptr, "c\n", EPERM,
     ON(gfx()->SetGPUMaxFrequency(2600)), ADLX_FAIL,
     {"pp_od_clk_voltage: s 1 2600\n", "pp_od_clk_voltage: c\n", "pp_od_clk_voltage: s 1 2499\n"}},
    // 524 comes only from the fan_ctrl files (pp_od_clk_voltage turns every refusal into EINVAL):
    // a zero RPM setting the card's firmware does not offer.
    {"SettingTheCardDoesNotOfferIsUnsupported", "rx7800xt", nullptr, "0\n", amdgpu::kEnotsupp,
     ON(fan()->SetZeroRPMState(false)), ADLX_NOT_SUPPORTED,
     {"gpu_od/fan_ctrl/fan_zero_rpm_enable: 0\n", "gpu_od/fan_ctrl/fan_zero_rpm_enable: 1\n"}},
    {"PowerCapWithoutRootFails", "rx580", "class/drm/card0/device/hwmon/hwmon4/power1_cap", nullptr, EACCES,
     ON(power()->SetPowerLimit(10)), ADLX_FAIL, {"power1_cap: 171000000\n"}},
    {"ResetWithoutRootFails", "rx6900xt", "class/drm/card0/device/pp_od_clk_voltage", nullptr, EACCES,
     ON(services->ResetToFactory(static_cast<Access&>(t).gpu.get())), ADLX_FAIL, {"pp_od_clk_voltage: r\n"}},
    // The APUs are put into the manual performance level for an edit, and back into the level
    // they ran in when the kernel refuses it.
    {"ApuRefusedEditGoesBackToItsLevel", "phoenix", nullptr, "s 1 2000\n", EINVAL,
     ON(gfx()->SetGPUMaxFrequency(2000)), ADLX_INVALID_ARGS,
     {"power_dpm_force_performance_level: manual\n", "pp_od_clk_voltage: s 1 2000\n",
      "pp_od_clk_voltage: s 1 2700\n", "power_dpm_force_performance_level: auto\n"}},
    {"ApuRefusedResetGoesBackToItsLevel", "phoenix", nullptr, "r\n", EINVAL,
     ON(services->ResetToFactory(static_cast<Access&>(t).gpu.get())), ADLX_INVALID_ARGS,
     {"power_dpm_force_performance_level: manual\n", "pp_od_clk_voltage: r\n",
      "power_dpm_force_performance_level: auto\n"}},
    {"ApuLevelRefusedWritesNoEdit", "phoenix", "class/drm/card0/device/power_dpm_force_performance_level",
     nullptr, EACCES, ON(gfx()->SetGPUMaxFrequency(2000)), ADLX_FAIL,
     {"power_dpm_force_performance_level: manual\n"}},
    {"ZeroRpmRefusedIsNotCommitted", "rx7800xt", nullptr, "0\n", EINVAL,
     ON(fan()->SetZeroRPMState(false)), ADLX_INVALID_ARGS,
     {"gpu_od/fan_ctrl/fan_zero_rpm_enable: 0\n", "gpu_od/fan_ctrl/fan_zero_rpm_enable: 1\n"}},
};
// clang-format on

TEST_P(Refused, IsAFailureAndTheCardKeepsWhatItRuns) {
    const RefusalRow& row = GetParam();
    mount(row.fixture);
    if (IsSkipped()) return;
    if (row.refusedFile != nullptr) kernel.fileErrors[row.refusedFile] = row.error;
    if (row.refusedCommand != nullptr) kernel.commandErrors[row.refusedCommand] = row.error;
    start();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(once([&] { return row.call(*this); }), row.result);
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(takeWrites(), row.writes);
}

INSTANTIATE_TEST_SUITE_P(Kernel, Refused, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

class Vanished : public Access {};

TEST_F(Vanished, ACardWhoseFilesAreGoneFailsEveryCallWithoutCrashing) {
    mount("rx7800xt");
    if (IsSkipped()) return;
    start();
    auto g = gfx();
    auto p = power();
    auto f = fan();
    adlx::InterfacePtr<IADLXManualFanTuningStateList> list;
    ASSERT_EQ(f->GetFanTuningStates(list.put()), ADLX_OK);
    kernel.removeBelow("class/drm/card0");

    adlx_int value = 0;
    EXPECT_NE(g->GetGPUMaxFrequency(&value), ADLX_OK);
    EXPECT_NE(g->SetGPUMaxFrequency(2500), ADLX_OK);
    EXPECT_NE(p->GetPowerLimit(&value), ADLX_OK);
    EXPECT_NE(p->SetPowerLimit(5), ADLX_OK);
    EXPECT_NE(f->SetFanTuningStates(list.get()), ADLX_OK);
    EXPECT_NE(f->SetZeroRPMState(false), ADLX_OK);
    EXPECT_NE(services->ResetToFactory(gpu.get()), ADLX_OK);
    adlx_bool yes = true;
    EXPECT_EQ(services->IsSupportedManualGFXTuning(gpu.get(), &yes), ADLX_OK);
    EXPECT_FALSE(yes);
    EXPECT_TRUE(takeWrites().empty());
}

// The hint is per process, so it is watched in a process of its own.
class OverdriveOff : public Access {};

int hintsPrinted(const std::function<void()>& calls) {
    const std::string path = ::testing::TempDir() + "tachyon-amdgpu-stderr.txt";
    std::fflush(stderr);
    if (std::freopen(path.c_str(), "w", stderr) == nullptr) return -1;
    calls();
    std::fflush(stderr);
    std::ifstream in(path);
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
        if (line.find("overdrive is off") != std::string::npos &&
            line.find("amdgpu.ppfeaturemask=0xfff7ffff") != std::string::npos)
            ++n;
    }
    return n;
}

TEST_F(OverdriveOff, ClocksAreUnsupportedAndOneLineSaysHowToSwitchItOnOncePerProcess) {
    mount("vangogh");
    if (IsSkipped()) return;
    kernel.set("module/amdgpu/parameters/ppfeaturemask", "0xfff7bfff\n");
    start();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const int n = hintsPrinted([&] {
                for (int i = 0; i < 3; ++i) {
                    adlx_bool yes = true;
                    services->IsSupportedManualGFXTuning(gpu.get(), &yes);
                    if (yes) std::exit(90);
                    services->IsSupportedManualVRAMTuning(gpu.get(), &yes);
                    if (yes) std::exit(91);
                }
            });
            std::exit(n);
        },
        ::testing::ExitedWithCode(1), "");
    // Power stays: it is hwmon's, not overdrive's.
    adlx_bool yes = false;
    EXPECT_EQ(services->IsSupportedManualPowerTuning(gpu.get(), &yes), ADLX_OK);
    EXPECT_TRUE(yes);
}

TEST_F(OverdriveOff, The3DSettingsServicesOfferNothingWithoutALinuxEquivalent) {
    mount("rx6900xt");
    if (IsSkipped()) return;
    start();
    adlx::InterfacePtr<IADLX3DSettingsServices> settings;
    ASSERT_EQ(system->Get3DSettingsServices(settings.put()), ADLX_OK);
    adlx::InterfacePtr<IADLX3DChill> chill;
    EXPECT_EQ(settings->GetChill(gpu.get(), chill.put()), ADLX_NOT_SUPPORTED);
    EXPECT_FALSE(chill);
    adlx::InterfacePtr<IADLX3DRadeonSuperResolution> rsr;
    EXPECT_EQ(settings->GetRadeonSuperResolution(rsr.put()), ADLX_NOT_SUPPORTED);
    // The display services exist too; which displays they list and that none of a display's
    // settings is offered is DisplayTests.cpp's, over connectors it builds (the device folder
    // mounted here holds no connector entries of class/drm).
    adlx::InterfacePtr<IADLXDisplayServices> displays;
    EXPECT_EQ(system->GetDisplaysServices(displays.put()), ADLX_OK);
    EXPECT_TRUE(displays);
}

class Audit : public Access {};

TEST_F(Audit, ALeakADoubleReleaseAndACallOnAReleasedObjectAreCounted) {
    mount("rx6600");
    if (IsSkipped()) return;
    start();
    IADLXInterface* base = nullptr;
    ASSERT_EQ(services->GetManualPowerTuning(gpu.get(), &base), ADLX_OK);
    EXPECT_EQ(base->Release(), 0);
    EXPECT_EQ(base->Release(), 0);
    EXPECT_EQ(base->QueryInterface(IADLXManualPowerTuning::IID(), reinterpret_cast<void**>(&base)),
              ADLX_INVALID_OBJECT);
    IADLXInterface* leaked = nullptr;
    ASSERT_EQ(services->GetManualFanTuning(gpu.get(), &leaked), ADLX_OK);
    services.reset();
    gpu.reset();
    gpus.reset();
    AmdgpuRuntime::instance().stop();
    EXPECT_EQ(AmdgpuRuntime::instance().audit(), "live=1 double=1 dead_calls=1");
    // A late release of an object of the ended session is no fault; the next session starts clean.
    leaked->Release();
    FakeKernel empty;
    AmdgpuRuntime::instance().start(empty);
}

// The window ends each command through the system; only writes leave notices, so reads leave none.
TEST_F(Access, TheEndOfACommandReachesTheKernelSeamAndReadsLeaveNoNotice) {
    mount("rx6900xt");
    if (IsSkipped()) return;
    start();
    adlx::InterfacePtr<IADLXUserCommands> commands;
    ASSERT_EQ(system->GetUserCommands(commands.put()), ADLX_OK);
    ASSERT_TRUE(commands);
    adlx_int frequency = 0;
    gfx()->GetGPUMaxFrequency(&frequency);
    EXPECT_EQ(commands->EndCommand(), ADLX_OK);
    EXPECT_EQ(kernel.commandsEnded, 1);
    const char* text = "stale";
    EXPECT_EQ(commands->NextNotice(&text), ADLX_NOT_FOUND);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(commands->NextNotice(nullptr), ADLX_INVALID_ARGS);
}

}  // namespace
