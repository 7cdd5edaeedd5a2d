// SPDX-License-Identifier: GPL-3.0-or-later
// The runtime over the kernel model, in the cases where the kernel's own rules decide what a call
// must do: a card asleep in runtime suspend or in a reset, a reset that cannot bring the factory
// clocks back, a card without a voltage curve, the power cap RDNA4 drops at a commit, and a fan
// curve that prints the same points as the one asked for.

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

#include "KernelModel.h"
#include "RuntimeFixture.h"

namespace {

using kernelmodel::KernelModel;

const std::filesystem::path kTrees = TACHYON_AMDGPU_FIXTURES;

class OnModel : public RuntimeTest {
public:
    using RuntimeTest::gfx;
    using RuntimeTest::vram;

protected:
    void startModel(const std::string& tree) {
        std::string error;
        model = KernelModel::FromTrees({kTrees / tree}, &error);
        ASSERT_NE(model, nullptr) << error;
        startOn(*model);
        model->ClearWrites();
    }
    std::string od() const { return KernelModel::DevicePath(0, "pp_od_clk_voltage"); }
    std::vector<std::string> accepted() {
        auto lines = model->AcceptedCommands(0);
        model->ClearWrites();
        return lines;
    }

    std::unique_ptr<KernelModel> model;
};

// What the calls printed on standard error, in a process of its own (the hints are per process).
std::string stderrOf(const std::function<void()>& calls) {
    const std::string path = ::testing::TempDir() + "tachyon-amdgpu-kernel-rules.txt";
    std::fflush(stderr);
    if (std::freopen(path.c_str(), "w", stderr) == nullptr) return "<no stderr>";
    calls();
    std::fflush(stderr);
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// ---- a card in runtime suspend or in a reset ---------------------------------------------------

// Kernels 6.13 to 6.17 answer a sleeping card's read with EPERM, 6.18 and later with EBUSY.
TEST_F(OnModel, ASleepingCardIsWokenThroughItsRenderNodeAndReadAgain) {
    for (const int answer : {EPERM, EBUSY}) {
        SCOPED_TRACE(answer == EPERM ? "EPERM" : "EBUSY");
        startModel("navi2x");
        model->SetSleeping(0, true, answer);
        adlx_int mhz = 0;
        EXPECT_EQ(once([&] { return gfx()->GetGPUMaxFrequency(&mhz); }), ADLX_OK);
        EXPECT_EQ(mhz, 2581);
        EXPECT_EQ(model->WakeCount(0), 1);
        model->SetSleeping(0, true, answer);
        adlx_bool yes = false;
        EXPECT_EQ(services->IsSupportedManualPowerTuning(gpu.get(), &yes), ADLX_OK);
        EXPECT_TRUE(yes);
        EXPECT_EQ(model->WakeCount(0), 2) << "one wake per call";
        TearDown();
    }
}

TEST_F(OnModel, ACardThatStaysAsleepOrInResetFailsInsteadOfOfferingNothing) {
    for (const bool reset : {false, true}) {
        SCOPED_TRACE(reset ? "in reset (EBUSY)" : "asleep, the render node refused (EPERM)");
        startModel(reset ? "navi3x" : "navi2x");
        if (reset) {
            model->SetResetting(0, true);
        } else {
            model->SetSleeping(0, true);
            model->SetWakeError(0, EACCES);
        }
        adlx_int value = 0;
        adlx_bool yes = true;
        ADLX_IntRange range{};
        EXPECT_EQ(gfx()->GetGPUMaxFrequency(&value), ADLX_FAIL);
        EXPECT_EQ(gfx()->SetGPUMaxFrequency(2400), ADLX_FAIL);
        EXPECT_EQ(vram()->GetMaxVRAMFrequencyRange(&range), ADLX_FAIL);
        EXPECT_EQ(power()->GetPowerLimit(&value), ADLX_FAIL);
        EXPECT_EQ(power()->SetPowerLimit(5), ADLX_FAIL);
        EXPECT_EQ(services->IsSupportedManualGFXTuning(gpu.get(), &yes), ADLX_FAIL);
        EXPECT_FALSE(yes);
        EXPECT_EQ(services->ResetToFactory(gpu.get()), ADLX_FAIL);
        if (reset) {
            adlx::InterfacePtr<IADLXManualFanTuningStateList> list;
            EXPECT_EQ(fan()->GetFanTuningStates(list.put()), ADLX_FAIL);
            EXPECT_EQ(fan()->GetZeroRPMState(&yes), ADLX_FAIL);
        }
        EXPECT_TRUE(accepted().empty());
        TearDown();
    }
}

// Neither a sleeping card nor EPERM from root is a reason to switch overdrive on or to ask for
// root; EACCES is.
TEST_F(OnModel, NoOverdriveAdviceForASleepingCardAndNoRootAdviceForEpermAsRoot) {
    if (::geteuid() != 0) GTEST_SKIP() << "EPERM is a missing right when not root";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            startModel("navi2x");
            model->SetSleeping(0, true);
            model->SetWakeError(0, EACCES);
            std::string err = stderrOf([&] {
                adlx_bool yes = true;
                services->IsSupportedManualGFXTuning(gpu.get(), &yes);
                services->IsSupportedManualVRAMTuning(gpu.get(), &yes);
                model->SetSleeping(0, false);
                model->FailNextWrite(EPERM, "power1_cap");
                power()->SetPowerLimit(5);
            });
            if (err.find("overdrive") != std::string::npos) std::exit(10);
            if (err.find("needs root") != std::string::npos) std::exit(11);
            err = stderrOf([&] {
                model->FailNextWrite(EACCES, "power1_cap");
                power()->SetPowerLimit(5);
            });
            std::exit(err.find("needs root") != std::string::npos ? 0 : 12);
        },
        ::testing::ExitedWithCode(0), "");
}

// ---- resets -------------------------------------------------------------------------------------

// Vega20's `r` copies back the table its firmware holds, the last committed one: after a
// committed overclock no command brings the factory clocks back.
TEST_F(OnModel, Vega20ResetReportsTheClocksItCannotResetAndStillResetsThePowerCap) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            startModel("vega20");
            if (gfx()->SetGPUMaxFrequency(1900) != ADLX_OK) std::exit(10);
            if (power()->SetPowerLimit(10) != ADLX_OK) std::exit(11);
            accepted();
            ADLX_RESULT first = ADLX_OK;
            ADLX_RESULT second = ADLX_OK;
            const std::string err = stderrOf([&] {
                first = services->ResetToFactory(gpu.get());
                second = services->ResetToFactory(gpu.get());
            });
            if (first != ADLX_FAIL || second != ADLX_FAIL) std::exit(12);
            const auto writes = accepted();
            if (writes != std::vector<std::string>{"hwmon/hwmon3/power1_cap: 250000000\\n"}) std::exit(13);
            std::size_t lines = 0;
            for (std::size_t at = 0; (at = err.find("last committed", at)) != std::string::npos; ++at)
                ++lines;
            std::exit(lines == 1 ? 0 : 14);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(OnModel, Navi1xWithoutAVoltageCurveIsResetWithRThenC) {
    startModel("navi1x-nocurve");
    ASSERT_EQ(gfx()->SetGPUMaxFrequency(1900), ADLX_OK);
    accepted();
    EXPECT_EQ(services->ResetToFactory(gpu.get()), ADLX_OK);
    EXPECT_EQ(accepted(), (std::vector<std::string>{"pp_od_clk_voltage: r\\n", "pp_od_clk_voltage: c\\n"}));
    EXPECT_FALSE(model->Uncommitted(0));
    EXPECT_NE(model->CommittedRead(0, "pp_od_clk_voltage").find("1: 1845Mhz"), std::string::npos);
}

// ---- what a commit does to the power cap ------------------------------------------------------

TEST_F(OnModel, TheChosenPowerCapStaysInEffectAfterEveryOverdriveCommit) {
    struct Row {
        const char* tree;
        std::function<ADLX_RESULT(OnModel&)> commit;
    };
    for (const Row& row : {Row{"navi3x", [](OnModel& t) { return t.gfx()->SetGPUMaxFrequency(2700); }},
                           Row{"rdna4", [](OnModel& t) { return t.vram()->SetMaxVRAMFrequency(1300); }}}) {
        SCOPED_TRACE(row.tree);
        startModel(row.tree);
        ASSERT_EQ(power()->SetPowerLimit(8), ADLX_OK);
        const long long chosen = model->EffectivePowerCap(0);
        ASSERT_EQ(row.commit(*this), ADLX_OK);
        EXPECT_EQ(model->EffectivePowerCap(0), chosen);
        TearDown();
    }
}

// ---- the fan curve on SMU13/14 ----------------------------------------------------------------

TEST_F(OnModel, SettingTheCurveTheKernelPrintsMakesItTheActiveOne) {
    startModel("navi3x");
    auto f = fan();
    adlx::InterfacePtr<IADLXManualFanTuningStateList> list;
    ASSERT_EQ(f->GetFanTuningStates(list.put()), ADLX_OK);
    EXPECT_EQ(f->SetFanTuningStates(list.get()), ADLX_OK);
    EXPECT_EQ(accepted(), (std::vector<std::string>{"gpu_od/fan_ctrl/fan_curve: 0 40 20\\n",
                                                    "gpu_od/fan_ctrl/fan_curve: c\\n"}));
    EXPECT_FALSE(model->Uncommitted(0));
}

}  // namespace
