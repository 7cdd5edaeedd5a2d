// SPDX-License-Identifier: GPL-3.0-or-later
// The GPU probe: which support flags it sets and which controls it enables with them.

#include <QComboBox>

#include "TachyonTest.h"

namespace {

struct ProbeRow {
    const char* feature;
    const char* gpuJson;  // the GPU 0 settings that take the feature away
    int CTachyonDlg::*flag;
    int page;
    std::vector<int> controls;
};

const std::vector<ProbeRow>& ProbeRows() {
    static const std::vector<ProbeRow> rows = {
        {"engine clocks", R"("gfx": {"supported": false})", &CTachyonDlg::m_gfxTuningSupported, kTuningPage, {1007, 1008, 1011}},
        {"power", R"("power": {"supported": false})", &CTachyonDlg::m_powerTuningSupported, kTuningPage, {1012}},
        {"TDC", R"("power": {"tdcSupported": false})", &CTachyonDlg::m_tdcSupported, kTuningPage, {1014}},
        {"Anti-Lag", R"("antiLag": {"supported": false})", &CTachyonDlg::m_antiLagSupported, kGraphicsPage, {1045, 1054}},
        {"Anti-Lag+", R"("antiLag": {"levelSupported": false})", &CTachyonDlg::m_antiLagLevelSupported, kGraphicsPage, {1054}},
        {"Boost", R"("boost": {"supported": false})", &CTachyonDlg::m_boostSupported, kGraphicsPage, {1040, 1041}},
        {"Chill", R"("chill": {"supported": false})", &CTachyonDlg::m_chillSupported, kGraphicsPage, {1044, 1042, 1043}},
        {"Image Sharpening", R"("imageSharpening": {"supported": false})", &CTachyonDlg::m_imageSharpeningSupported,
         kGraphicsPage, {1046, 1047}},
        {"Enhanced Sync", R"("enhancedSync": {"supported": false})", &CTachyonDlg::m_enhancedSyncSupported,
         kGraphicsPage, {1050}},
        {"frame rate target", R"("frtc": {"supported": false})", &CTachyonDlg::m_frtcSupported, kGraphicsPage, {1051, 1052}},
        {"morphological AA", R"("mlaa": {"supported": false})", &CTachyonDlg::m_mlaaSupported, kGraphicsPage, {1059}},
        {"anisotropic", R"("anisotropic": {"supported": false})", &CTachyonDlg::m_anisotropicSupported, kGraphicsPage,
         {1060, 1061}},
        {"shader cache", R"("shaderCache": {"supported": false})", &CTachyonDlg::m_resetShaderCacheSupported,
         kGraphicsPage, {1053}},
    };
    return rows;
}

std::string OneGpu(const std::string& settings) { return R"({"gpus": [{)" + settings + "}]}"; }

}  // namespace

class Probe : public TachyonTest {};

TEST_F(Probe, ACardWithEveryFeatureSetsEveryFlagAndEnablesItsControls) {
    Start(OneGpu(R"("name": "Full")"));
    for (const ProbeRow& row : ProbeRows()) {
        EXPECT_EQ(Dlg().*row.flag, 1) << row.feature;
        for (const int id : row.controls) EXPECT_TRUE(Enabled(row.page, id)) << row.feature << " " << id;
    }
    EXPECT_EQ(Dlg().m_superResolutionSupported, 1);
    EXPECT_EQ(Dlg().m_samSupported, 1);
}

TEST_F(Probe, EachMissingFeatureClearsItsFlagAndDisablesExactlyItsControls) {
    for (const ProbeRow& row : ProbeRows()) {
        SCOPED_TRACE(row.feature);
        Start(OneGpu(row.gpuJson));
        EXPECT_EQ(Dlg().*row.flag, 0);
        for (const int id : row.controls) EXPECT_FALSE(Enabled(row.page, id)) << id;
        // Every other row's controls stay enabled.
        for (const ProbeRow& other : ProbeRows()) {
            if (&other == &row || other.page != row.page) continue;
            for (const int id : other.controls) {
                if (std::find(row.controls.begin(), row.controls.end(), id) != row.controls.end()) continue;
                EXPECT_TRUE(Enabled(other.page, id)) << other.feature << " " << id;
            }
        }
        CloseWindow();
        EXPECT_EQ(Sim().Audit().live, 0);
    }
}

TEST_F(Probe, SuperResolutionIsAskedWithoutAGpu) {
    Start(R"({"superResolution": {"supported": false}})");
    EXPECT_EQ(Dlg().m_superResolutionSupported, 0);
    EXPECT_FALSE(Enabled(kGraphicsPage, 1048));
    EXPECT_FALSE(Enabled(kGraphicsPage, 1049));
    const auto calls = Calls({"IADLX3DSettingsServices.GetRadeonSuperResolution"});
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().find("gpu"), std::string::npos) << calls.front();
}

TEST_F(Probe, TdcIsAskedEvenWithoutPowerTuning) {
    Start(OneGpu(R"("power": {"supported": false, "tdcSupported": true})"));
    EXPECT_EQ(Dlg().m_powerTuningSupported, 0);
    EXPECT_EQ(Dlg().m_tdcSupported, 1);
    EXPECT_FALSE(Enabled(kTuningPage, 1012));
    EXPECT_TRUE(Enabled(kTuningPage, 1014));
}

TEST_F(Probe, SmartAccessMemoryUnsupportedLeavesItsBoxEnabled) {
    Start(OneGpu(R"("sam": {"supported": false})"));
    EXPECT_EQ(Dlg().m_samSupported, 0);
    EXPECT_TRUE(Enabled(kTuningPage, 1015));
}

TEST_F(Probe, AntiLagUnsupportedNeverAsksForTheLevelInterface) {
    Start(OneGpu(R"("antiLag": {"supported": false, "levelSupported": true})"));
    EXPECT_EQ(Dlg().m_antiLagLevelSupported, 0);
    EXPECT_FALSE(Enabled(kGraphicsPage, 1054));
    for (const std::string& line : Sim().Trace()) {
        EXPECT_EQ(line.find("QueryInterface IADLX3DAntiLag1"), std::string::npos) << line;
    }
}

TEST_F(Probe, AMissingServiceLeavesItsBlockAsTheLastGpuLeftIt) {
    // GPU 1 lacks Boost and engine tuning; without services its probe must not touch those flags.
    Start(R"({"gpus": [{"name": "A"}, {"name": "B", "gfx": {"supported": false}, "boost": {"supported": false}}]})");
    Sim().Fault("IADLXSystem.GetGPUTuningServices");
    Sim().Fault("IADLXSystem.Get3DSettingsServices");
    EXPECT_EQ(Dlg().SelectGpu(1), 0);
    EXPECT_EQ(Dlg().m_gfxTuningSupported, 1);
    EXPECT_TRUE(Enabled(kTuningPage, 1007));
    EXPECT_EQ(Dlg().m_boostSupported, 1);
    EXPECT_TRUE(Enabled(kGraphicsPage, 1040));
    Dlg().ReadAll();  // reads run against no services and call nothing through them
}

TEST_F(Probe, ChangingGpuReprobesAndAListKeepsItsItemsDisabled) {
    Start(R"({"gpus": [{"name": "A"}, {"name": "B", "anisotropic": {"supported": false}}]})");
    const QStringList levels = Items(kGraphicsPage, 1061);
    EXPECT_EQ(levels, QStringList({"2X", "4X", "8X", "16X"}));
    EXPECT_TRUE(Enabled(kGraphicsPage, 1061));
    auto* selector = qobject_cast<QComboBox*>(Dlg().MainControl(1000));
    selector->setCurrentIndex(1);
    emit selector->activated(1);
    EXPECT_EQ(Dlg().m_anisotropicSupported, 0);
    EXPECT_FALSE(Enabled(kGraphicsPage, 1061));
    EXPECT_EQ(Items(kGraphicsPage, 1061), levels);
}

TEST_F(Probe, APrimaryGpuIsMarkedAndAMissingNameGivesAnEmptyText) {
    Start(R"({"gpus": [{"name": "Card", "multiGpuMode": 1}, {"name": "Other", "multiGpuMode": 2}]})");
    auto* selector = qobject_cast<QComboBox*>(Dlg().MainControl(1000));
    ASSERT_EQ(selector->count(), 2);
    EXPECT_EQ(selector->itemText(0), "Card - Primary");
    EXPECT_EQ(selector->itemText(1), "Other");
    EXPECT_EQ(selector->currentIndex(), 0);
    CloseWindow();
    Start(R"({"gpus": [{"name": "Card"}]})");
    Sim().Fault("IADLXGPU.Name");
    Sim().Fault("QueryInterface:IADLXGPU1");
    Dlg().findChild<QComboBox*>("1000")->clear();
    Dlg().EnumerateGpus();
    EXPECT_EQ(Dlg().findChild<QComboBox*>("1000")->itemText(0), "");
}

TEST_F(Probe, AGpuThatCannotBeFetchedIsLeftOutAndAnOutOfRangePositionChangesNothing) {
    Start(R"({"gpus": [{"name": "A"}, {"name": "B"}]})");
    EXPECT_EQ(Dlg().SelectGpu(2), ADLX_FAIL);
    EXPECT_EQ(Dlg().SelectGpu(static_cast<unsigned>(-1)), ADLX_FAIL);
    Sim().Fault("IADLXGPUList.At#1");
    Dlg().findChild<QComboBox*>("1000")->clear();
    Dlg().EnumerateGpus();
    EXPECT_EQ(Dlg().findChild<QComboBox*>("1000")->count(), 1);
    EXPECT_EQ(Dlg().SelectGpu(1), ADLX_FAIL);
    EXPECT_EQ(Dlg().m_gpu.get(), nullptr);
}

TEST_F(Probe, AGpuLeftOutOfTheListDoesNotShiftTheLaterEntries) {
    Start(R"({"gpus": [{"name": "A"}, {"name": "B"}, {"name": "C"}]})");
    Sim().Fault("IADLXGPUList.At#1");
    auto* selector = qobject_cast<QComboBox*>(Dlg().MainControl(1000));
    selector->clear();
    Dlg().EnumerateGpus();
    ASSERT_EQ(selector->count(), 2);
    EXPECT_EQ(selector->itemText(1), "C");
    ClearTrace();
    selector->setCurrentIndex(1);
    emit selector->activated(1);
    EXPECT_FALSE(Calls({"IADLXGPUList.At 2 -> 0"}).empty()) << "entry 1 shows C, the list's third GPU";
    EXPECT_FALSE(Calls({"IADLXGPUTuningServices.IsSupportedManualGFXTuning gpu2"}).empty());
}

// A support question the driver answers "yes" while reporting failure counts as "no", for every
// question any probe asks.
TEST_F(Probe, AFailedSupportQuestionCountsAsUnsupportedWhateverItWrote) {
    const struct {
        const char* call;
        int CTachyonDlg::*flag;
        int page;
        std::vector<int> controls;  // disabled with the flag
    } rows[] = {
        // clang-format off
        {"IADLXGPUTuningServices.IsSupportedManualGFXTuning", &CTachyonDlg::m_gfxTuningSupported, kTuningPage, {1007, 1008, 1011}},
        {"IADLXGPUTuningServices.IsSupportedManualVRAMTuning", &CTachyonDlg::m_vramTuningSupported, kTuningPage, {1010, 1013}},
        {"IADLXManualVRAMTuning2.IsSupportedMemoryTiming", &CTachyonDlg::m_memoryTimingSupported, kTuningPage, {1013}},
        {"IADLXGPUTuningServices.IsSupportedManualPowerTuning", &CTachyonDlg::m_powerTuningSupported, kTuningPage, {1012}},
        {"IADLXManualPowerTuning.IsSupportedTDCLimit", &CTachyonDlg::m_tdcSupported, kTuningPage, {1014}},
        {"IADLXGPUTuningServices.IsSupportedManualFanTuning", &CTachyonDlg::m_fanTuningSupported, kFanPage, {1023, 1024, 1025, 1026, 1027, 1028, 1029, 1030, 1031, 1032}},
        {"IADLXManualFanTuning.IsSupportedZeroRPM", &CTachyonDlg::m_zeroRpmSupported, kFanPage, {1035}},
        {"IADLXSmartAccessMemory.IsSupported", &CTachyonDlg::m_samSupported, kTuningPage, {}},
        {"IADLX3DAntiLag.IsSupported", &CTachyonDlg::m_antiLagSupported, kGraphicsPage, {1045, 1054}},
        {"IADLX3DAntiLag1.IsSupported", &CTachyonDlg::m_antiLagLevelSupported, kGraphicsPage, {1054}},
        {"IADLX3DBoost.IsSupported", &CTachyonDlg::m_boostSupported, kGraphicsPage, {1040, 1041}},
        {"IADLX3DChill.IsSupported", &CTachyonDlg::m_chillSupported, kGraphicsPage, {1044, 1042, 1043}},
        {"IADLX3DImageSharpening.IsSupported", &CTachyonDlg::m_imageSharpeningSupported, kGraphicsPage, {1046, 1047}},
        {"IADLX3DRadeonSuperResolution.IsSupported", &CTachyonDlg::m_superResolutionSupported, kGraphicsPage, {1048, 1049}},
        {"IADLX3DEnhancedSync.IsSupported", &CTachyonDlg::m_enhancedSyncSupported, kGraphicsPage, {1050}},
        {"IADLX3DWaitForVerticalRefresh.IsSupported", &CTachyonDlg::m_vsyncSupported, kGraphicsPage, {1055}},
        {"IADLX3DFrameRateTargetControl.IsSupported", &CTachyonDlg::m_frtcSupported, kGraphicsPage, {1051, 1052}},
        {"IADLX3DAntiAliasing.IsSupported", &CTachyonDlg::m_antiAliasingSupported, kGraphicsPage, {1056, 1057, 1058}},
        {"IADLX3DMorphologicalAntiAliasing.IsSupported", &CTachyonDlg::m_mlaaSupported, kGraphicsPage, {1059}},
        {"IADLX3DAnisotropicFiltering.IsSupported", &CTachyonDlg::m_anisotropicSupported, kGraphicsPage, {1060, 1061}},
        {"IADLX3DTessellation.IsSupported", &CTachyonDlg::m_tessellationSupported, kGraphicsPage, {1062, 1063}},
        {"IADLX3DResetShaderCache.IsSupported", &CTachyonDlg::m_resetShaderCacheSupported, kGraphicsPage, {1053}},
        {"IADLXDisplayFreeSync.IsSupported", &CTachyonDlg::m_freeSyncSupported, kDisplayPage, {1080}},
        {"IADLXDisplayVSR.IsSupported", &CTachyonDlg::m_vsrSupported, kDisplayPage, {1081}},
        {"IADLXDisplayGPUScaling.IsSupported", &CTachyonDlg::m_gpuScalingSupported, kDisplayPage, {1082}},
        {"IADLXDisplayIntegerScaling.IsSupported", &CTachyonDlg::m_integerScalingSupported, kDisplayPage, {1084}},
        {"IADLXDisplayScalingMode.IsSupported", &CTachyonDlg::m_scalingModeSupported, kDisplayPage, {1083}},
        {"IADLXDisplayColorDepth.IsSupported", &CTachyonDlg::m_colorDepthSupported, kDisplayPage, {1085}},
        {"IADLXDisplayPixelFormat.IsSupported", &CTachyonDlg::m_pixelFormatSupported, kDisplayPage, {1086}},
        // clang-format on
    };
    Start();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.call);
        ASSERT_EQ(Dlg().*row.flag, 1) << "the default card has the feature";
        Sim().Fault(std::string("FailAfterWrite:") + row.call);
        ClearTrace();
        Dlg().SelectGpu(0);
        const auto asked = Calls({row.call});
        EXPECT_TRUE(std::any_of(asked.begin(), asked.end(), [](const std::string& line) {
            return line.ends_with("-> 3 true");
        })) << "the driver wrote yes and failed";
        EXPECT_EQ(Dlg().*row.flag, 0);
        for (const int id : row.controls) EXPECT_FALSE(Enabled(row.page, id)) << id;
        Sim().ClearFaults();
        Dlg().SelectGpu(0);
    }
}
