// SPDX-License-Identifier: GPL-3.0-or-later
// Engine clocks and voltage: the road of one change from the Tuning page to the driver and back.

#include "TuningFixture.h"

namespace {

class ClockTuning : public TuningTest {};

TEST_F(ClockTuning, SetSendsMinimumMaximumAndVoltageInOrderThenShowsWhatTheDriverKept) {
    StartWith(Gpus({R"({"gfx":{"maxFrequency":2400}})"}));
    EXPECT_EQ(Text(kTuningPage, 1007), "500");
    EXPECT_EQ(Text(kTuningPage, 1008), "2400");
    EXPECT_EQ(Text(kTuningPage, 1011), "1150");

    SetText(kTuningPage, 1008, "2500");
    ClearTrace();
    Press(1002);

    // The whole road: the page's four applies, then its four reads, each through an interface of
    // its own fetched for the occasion.
    EXPECT_EQ(Calls(), (std::vector<std::string>{
                           "IADLXGPUTuningServices.GetManualGFXTuning gpu0 -> 0",
                           "IADLXManualGraphicsTuning2.SetGPUMinFrequency 500 -> 0",
                           "IADLXManualGraphicsTuning2.SetGPUMaxFrequency 2500 -> 0",
                           "IADLXManualGraphicsTuning2.SetGPUVoltage 1150 -> 0",
                           "IADLXGPUTuningServices.GetManualVRAMTuning gpu0 -> 0",
                           "IADLXManualVRAMTuning2.SetMaxVRAMFrequency 2500 -> 0",
                           "IADLXManualVRAMTuning2.SetMemoryTimingDescription 0 -> 0",
                           "IADLXGPUTuningServices.GetManualPowerTuning gpu0 -> 0",
                           "IADLXManualPowerTuning.SetPowerLimit 0 -> 0",
                           "IADLXManualPowerTuning.SetTDCLimit 0 -> 0",
                           "IADLXGPUTuningServices1.GetSmartAccessMemory gpu0 -> 0",
                           "IADLXSmartAccessMemory.IsEnabled -> 0 true",
                           "IADLXGPUTuningServices.GetManualGFXTuning gpu0 -> 0",
                           "IADLXManualGraphicsTuning2.GetGPUMinFrequency -> 0 500",
                           "IADLXManualGraphicsTuning2.GetGPUMaxFrequency -> 0 2500",
                           "IADLXManualGraphicsTuning2.GetGPUVoltage -> 0 1150",
                           "IADLXGPUTuningServices.GetManualVRAMTuning gpu0 -> 0",
                           "IADLXManualVRAMTuning2.GetMaxVRAMFrequency -> 0 2500",
                           "IADLXManualVRAMTuning2.GetMemoryTimingDescription -> 0 0",
                           "IADLXGPUTuningServices.GetManualPowerTuning gpu0 -> 0",
                           "IADLXManualPowerTuning.GetPowerLimit -> 0 0",
                           "IADLXManualPowerTuning.GetTDCLimit -> 0 0",
                           "IADLXGPUTuningServices1.GetSmartAccessMemory gpu0 -> 0",
                           "IADLXSmartAccessMemory.IsEnabled -> 0 true",
                       }));
    EXPECT_EQ(Text(kTuningPage, 1008), "2500");
    EXPECT_EQ(DriverValue("gpu0.gfx.maxFrequency"), "2500");
}

struct RefusedCase {
    const char* typed;
    const char* sent;
};

TEST_F(ClockTuning, AValueTheDriverRefusesComesBackAsTheDriversOldValue) {
    // Out of range above and below, and an empty edit, which is sent as 0.
    for (const RefusedCase c : {RefusedCase{"3500", "3500"}, RefusedCase{"100", "100"}, RefusedCase{"", "0"}}) {
        SCOPED_TRACE(c.typed);
        StartWith(Gpus({R"({"gfx":{"maxFrequency":2400}})"}));
        SetText(kTuningPage, 1007, "600");
        SetText(kTuningPage, 1008, c.typed);
        ClearTrace();
        Press(1002);
        EXPECT_EQ(CallsOn("IADLXManualGraphicsTuning2.Set"),
                  (std::vector<std::string>{"IADLXManualGraphicsTuning2.SetGPUMinFrequency 600 -> 0",
                                            std::string("IADLXManualGraphicsTuning2.SetGPUMaxFrequency ") + c.sent +
                                                " -> 4",
                                            "IADLXManualGraphicsTuning2.SetGPUVoltage 1150 -> 0"}));
        EXPECT_EQ(Text(kTuningPage, 1007), "600") << "the accepted neighbour is kept";
        EXPECT_EQ(Text(kTuningPage, 1008), "2400");
    }
}

TEST_F(ClockTuning, WithoutEngineTuningTheEditsAreDisabledKeepTheirTextAndNothingIsSent) {
    StartWith(Gpus({"{}", R"({"gfx":{"supported":false}})"}));
    ChooseGpu(1);
    EXPECT_FALSE(Enabled(kTuningPage, 1007));
    EXPECT_FALSE(Enabled(kTuningPage, 1008));
    EXPECT_FALSE(Enabled(kTuningPage, 1011));
    // The first GPU's values stay in sight.
    EXPECT_EQ(Text(kTuningPage, 1008), "2500");

    SetText(kTuningPage, 1008, "2000");
    ClearTrace();
    Press(1002);
    Press(1006);
    Press(1003);
    EXPECT_TRUE(CallsOn("IADLXManualGraphicsTuning2.").empty());
    EXPECT_TRUE(CallsOn("IADLXGPUTuningServices.GetManualGFXTuning").empty());
    EXPECT_EQ(Text(kTuningPage, 1008), "2000");
}

TEST_F(ClockTuning, TheUnusedMemoryEditStaysHiddenAndUntouched) {
    StartWith();
    SetText(kTuningPage, 1009, "keep");
    Press(1002);
    Press(1003);
    ChooseGpu(1);
    EXPECT_FALSE(Visible(kTuningPage, 1009));
    EXPECT_EQ(Text(kTuningPage, 1009), "keep");
}

}  // namespace
