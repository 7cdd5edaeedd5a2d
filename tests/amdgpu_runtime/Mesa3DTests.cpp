// SPDX-License-Identifier: GPL-3.0-or-later
// The 3D settings services over the user's Mesa settings, as the program calls them: handed out
// per live GPU, arguments checked, a Set read back, and nothing callable after the session ended.

#include <filesystem>

#include "RuntimeFixture.h"
#include "TempHome.h"

namespace {

class Mesa3D : public RuntimeTest {
protected:
    TempHome home;
};

}  // namespace

TEST_F(Mesa3D, FeaturesAreHandedOutForALiveGpuAndReadBackWhatTheirSetWrote) {
    mount("rx6900xt");
    if (IsSkipped()) return;
    start();
    adlx::InterfacePtr<IADLX3DSettingsServices> settings;
    ASSERT_EQ(system->Get3DSettingsServices(settings.put()), ADLX_OK);

    adlx::InterfacePtr<IADLX3DWaitForVerticalRefresh> vsync;
    EXPECT_EQ(settings->GetWaitForVerticalRefresh(nullptr, vsync.put()), ADLX_INVALID_ARGS);
    EXPECT_FALSE(vsync);
    EXPECT_EQ(settings->GetWaitForVerticalRefresh(gpu.get(), nullptr), ADLX_INVALID_ARGS);
    ASSERT_EQ(settings->GetWaitForVerticalRefresh(gpu.get(), vsync.put()), ADLX_OK);
    adlx_bool supported = false;
    EXPECT_EQ(vsync->IsSupported(&supported), ADLX_OK);
    EXPECT_TRUE(supported);
    EXPECT_EQ(vsync->GetMode(nullptr), ADLX_INVALID_ARGS);
    EXPECT_EQ(vsync->SetMode(WFVR_ALWAYS_ON), ADLX_OK);
    ADLX_WAIT_FOR_VERTICAL_REFRESH_MODE mode = WFVR_ALWAYS_OFF;
    EXPECT_EQ(vsync->GetMode(&mode), ADLX_OK);
    EXPECT_EQ(mode, WFVR_ALWAYS_ON);
    EXPECT_EQ(vsync->SetMode(static_cast<ADLX_WAIT_FOR_VERTICAL_REFRESH_MODE>(7)), ADLX_INVALID_ARGS);
    EXPECT_TRUE(std::filesystem::exists(home.drirc()));

    adlx::InterfacePtr<IADLX3DFrameRateTargetControl> frtc;
    ASSERT_EQ(settings->GetFrameRateTargetControl(gpu.get(), frtc.put()), ADLX_OK);
    ADLX_IntRange range{};
    EXPECT_EQ(frtc->GetFPSRange(&range), ADLX_OK);
    EXPECT_EQ(range.minValue, 1);
    EXPECT_EQ(range.maxValue, 1000);
    EXPECT_EQ(frtc->SetEnabled(true), ADLX_OK);
    EXPECT_EQ(frtc->SetFPS(90), ADLX_OK);
    adlx_int fps = 0;
    EXPECT_EQ(frtc->GetFPS(&fps), ADLX_OK);
    EXPECT_EQ(fps, 90);

    // Sharpening and Anti-Lag are handed out and say whether their layers are there.
    adlx::InterfacePtr<IADLX3DAntiLag> antiLag;
    ASSERT_EQ(settings->GetAntiLag(gpu.get(), antiLag.put()), ADLX_OK);
    EXPECT_EQ(antiLag->IsSupported(&supported), ADLX_OK);
    EXPECT_FALSE(supported);
    adlx_bool on = true;
    EXPECT_EQ(antiLag->IsEnabled(&on), ADLX_NOT_SUPPORTED);
    home.installLayer("VkLayer_MESA_anti_lag.json");
    EXPECT_EQ(antiLag->IsSupported(&supported), ADLX_OK);
    EXPECT_TRUE(supported);
    // Anti-Lag+ has no Linux equivalent.
    void* plus = nullptr;
    EXPECT_NE(antiLag->QueryInterface(IADLX3DAntiLag1::IID(), &plus), ADLX_OK);
    EXPECT_EQ(plus, nullptr);

    AmdgpuRuntime::instance().stop();
    EXPECT_EQ(vsync->GetMode(&mode), ADLX_TERMINATED);
    EXPECT_EQ(frtc->SetFPS(60), ADLX_TERMINATED);
}
