// SPDX-License-Identifier: GPL-3.0-or-later
// A GPU or display that the driver refuses to hand out when the user picks it: the window must not
// go on with the previous one's features and hand the driver a null device.

#include <QComboBox>

#include "ReliabilityFixture.h"

namespace {

// Set on every page, "+" and Reset: every road to the driver the user has.
void EveryCommand(ReliabilityTest& t) {
    for (int page : {kTuningPage, kFanPage, kGraphicsPage, kDisplayPage}) {
        t.ShowTab(page);
        t.PressButton(1002);
    }
    t.PressButton(1006);
    t.PressButton(1003);
}

}  // namespace

TEST_F(ReliabilityTest, GpuRefusedAtSelectionSendsNoCallWithANullGpu) {
    CTachyonDlg& dlg = Open();
    ASSERT_EQ(dlg.m_gfxTuningSupported, 1);
    Sim().Fault("IADLXGPUList.At#1");
    ClearTrace();

    ChooseIn(dlg.MainControl(1000), 1);
    EveryCommand(*this);

    const std::vector<std::string> trace = Sim().Trace();
    EXPECT_EQ(ForbiddenCalls(trace), std::vector<std::string>{});
    EXPECT_TRUE(CallsOf(trace, {"IADLXGPUTuningServices.ResetToFactory"}).empty());
    // Nothing of the first GPU is offered any more, as if the new one supported nothing.
    EXPECT_EQ(dlg.m_gfxTuningSupported, 0);
    EXPECT_EQ(dlg.m_fanTuningSupported, 0);
    EXPECT_EQ(dlg.m_chillSupported, 0);
    EXPECT_FALSE(dlg.Control(kTuningPage, 1008)->isEnabled());
    EXPECT_FALSE(dlg.Control(kFanPage, 1023)->isEnabled());
    EXPECT_FALSE(dlg.Control(kGraphicsPage, 1044)->isEnabled());
    // The system-wide setting does not need a GPU.
    EXPECT_EQ(dlg.m_superResolutionSupported, 1);
    EXPECT_TRUE(dlg.Control(kGraphicsPage, 1048)->isEnabled());

    // The GPU can be had again: everything comes back.
    Sim().ClearFaults();
    ChooseIn(dlg.MainControl(1000), 0);
    EXPECT_EQ(dlg.m_gfxTuningSupported, 1);
    EXPECT_TRUE(dlg.Control(kTuningPage, 1008)->isEnabled());
}

TEST_F(ReliabilityTest, DisplayRefusedAtSelectionSendsNoCallWithANullDisplay) {
    CTachyonDlg& dlg = Open();
    ASSERT_EQ(dlg.m_freeSyncSupported, 1);
    Sim().Fault("IADLXDisplayList.At#1");
    ClearTrace();

    ChooseIn(dlg.Combo(kDisplayPage, 1087), 1);
    EveryCommand(*this);

    EXPECT_EQ(ForbiddenCalls(Sim().Trace()), std::vector<std::string>{});
    EXPECT_EQ(dlg.m_freeSyncSupported, 0);
    EXPECT_EQ(dlg.m_colorDepthSupported, 0);
    EXPECT_FALSE(dlg.Control(kDisplayPage, 1080)->isEnabled());

    Sim().ClearFaults();
    ChooseIn(dlg.Combo(kDisplayPage, 1087), 0);
    EXPECT_EQ(dlg.m_freeSyncSupported, 1);
}

// The sweep's judgement of a trace line, on the kinds of lines the runtime writes.
TEST(ForbiddenCallsTest, FlagsCallsOnDeadObjectsAndMissingOrForeignDevices) {
    const struct {
        const char* line;
        bool forbidden;
    } cases[] = {
        {"IADLXGPUTuningServices.IsSupportedManualGFXTuning gpu0 -> 0 true", false},
        {"IADLXManualGraphicsTuning2.SetGPUMaxFrequency 2500 -> 0", false},
        {"IADLXGPU.Name -> 0 \"null\"", false},  // an out-value, not an argument
        {"DEAD IADLXGPU.Name -> 2", true},
        {"STALE IADLXDisplay.Name -> 2", true},
        {"IADLX3DSettingsServices.GetAntiLag null -> 4", true},
        {"IADLXDisplayServices.GetFreeSync foreign -> 4", true},
        {"IADLXGPUTuningServices.ResetToFactory dead:gpu1 -> 4", true},
        {"IADLXDisplayServices.GetGPUScaling stale:display0 -> 4", true},
        {"IADLXManualFanTuning.SetFanTuningStates null -> 4", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ForbiddenCalls({c.line}).size(), c.forbidden ? 1u : 0u) << c.line;
    }
}

TEST(FaultNameTest, TraceLinesNameTheFaultThatBreaksThem) {
    EXPECT_EQ(FaultNameOf("IADLXGPUList.At 1 -> 0"), "IADLXGPUList.At");
    EXPECT_EQ(FaultNameOf("IADLXGPU.QueryInterface IADLXGPU1 -> 0"), "QueryInterface:IADLXGPU1");
    EXPECT_EQ(FaultNameOf("IADLXGPU.Release -> 0"), "");
    EXPECT_EQ(FaultNameOf("IADLXGPU.Acquire -> 2"), "");
    EXPECT_EQ(FaultNameOf("ADLXTerminate -> 0 live=0 double=0 dead_calls=0"), "");
}

// A refused count answers an empty list, and the trace must say so: the sweep tells a fault that
// bit from one that did not by the answers traced.
TEST_F(ReliabilityTest, RefusedCountIsTracedAsTheEmptyListItAnswers) {
    Open({"IADLXGPUList.Size"});
    const std::vector<std::string> sizes = CallsOf(Sim().Trace(), {"IADLXGPUList.Size"});
    ASSERT_FALSE(sizes.empty());
    for (const std::string& line : sizes) EXPECT_EQ(line, "IADLXGPUList.Size -> 0");
}
