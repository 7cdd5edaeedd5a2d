// SPDX-License-Identifier: GPL-3.0-or-later
// The memory's maximum clock and its timing level, whose list holds exactly what the driver offers.

#include <QStringList>

#include "TuningFixture.h"

namespace {

class MemoryTuning : public TuningTest {};

TEST_F(MemoryTuning, TheDriversTimingListIsShownInItsOrderWithUnknownLevelsByNumber) {
    StartWith(Gpus({R"({"vram":{"timings":[0,1,7],"timing":1}})"}));
    EXPECT_TRUE(Enabled(kTuningPage, 1013));
    EXPECT_EQ(Items(kTuningPage, 1013), (QStringList{"Default", "Fast Timing", "Unknown Timing Level 7"}));
    EXPECT_EQ(Selection(kTuningPage, 1013), 1);

    Choose(kTuningPage, 1013, 2);
    ClearTrace();
    Press(1002);
    EXPECT_EQ(CallsOn("IADLXManualVRAMTuning2.SetMemoryTimingDescription"),
              (std::vector<std::string>{"IADLXManualVRAMTuning2.SetMemoryTimingDescription 7 -> 0"}));
    EXPECT_EQ(DriverValue("gpu0.vram.timing"), "7");
    EXPECT_EQ(Selected(kTuningPage, 1013), "Unknown Timing Level 7");
}

TEST_F(MemoryTuning, AValueListedTwiceIsShownAtItsFirstPosition) {
    StartWith(Gpus({R"({"vram":{"timings":[1,0,1],"timing":1}})"}));
    EXPECT_EQ(Items(kTuningPage, 1013), (QStringList{"Fast Timing", "Default", "Fast Timing"}));
    EXPECT_EQ(Selection(kTuningPage, 1013), 0);
    // The second entry of the same level applies the same value.
    Choose(kTuningPage, 1013, 2);
    ClearTrace();
    Press(1002);
    EXPECT_EQ(CallsOn("IADLXManualVRAMTuning2.SetMemoryTimingDescription"),
              (std::vector<std::string>{"IADLXManualVRAMTuning2.SetMemoryTimingDescription 1 -> 0"}));
    EXPECT_EQ(Selection(kTuningPage, 1013), 0);
}

TEST_F(MemoryTuning, AnItemTheListDoesNotDeliverIsLeftOutAndTheOthersKeepTheirValues) {
    StartWith(Gpus({R"({"vram":{"timings":[0,1,7],"timing":7}})"}));
    Sim().Fault("IADLXMemoryTimingDescriptionList.At#1");
    ChooseGpu(0);
    EXPECT_EQ(Items(kTuningPage, 1013), (QStringList{"Default", "Unknown Timing Level 7"}));
    EXPECT_EQ(Selection(kTuningPage, 1013), 1);

    Choose(kTuningPage, 1013, 0);
    ClearTrace();
    Press(1002);
    EXPECT_EQ(DriverValue("gpu0.vram.timing"), "0");
    Choose(kTuningPage, 1013, 1);
    Press(1002);
    EXPECT_EQ(DriverValue("gpu0.vram.timing"), "7");
}

TEST_F(MemoryTuning, AnEmptyListLeavesAnEnabledEmptyComboThatAppliesTheDefaultLevel) {
    StartWith(Gpus({R"({"vram":{"timings":[],"timing":0}})"}));
    EXPECT_TRUE(Enabled(kTuningPage, 1013));
    EXPECT_TRUE(Items(kTuningPage, 1013).isEmpty());
    ClearTrace();
    Press(1002);
    EXPECT_EQ(MethodsOn("IADLXManualVRAMTuning2."),
              (std::vector<std::string>{"IADLXManualVRAMTuning2.SetMaxVRAMFrequency",
                                        "IADLXManualVRAMTuning2.SetMemoryTimingDescription",
                                        "IADLXManualVRAMTuning2.GetMaxVRAMFrequency",
                                        "IADLXManualVRAMTuning2.GetMemoryTimingDescription"}));
    EXPECT_EQ(CallsOn("IADLXManualVRAMTuning2.SetMemoryTimingDescription").at(0).rfind(
                  "IADLXManualVRAMTuning2.SetMemoryTimingDescription 0 ", 0),
              0u);
}

TEST_F(MemoryTuning, WithoutTimingSupportTheClockStillWorksAndTheTimingIsStillAskedAndSent) {
    // The first GPU fills the list; the second tunes memory but not its timing.
    StartWith(Gpus({R"({"vram":{"timings":[0,1,2],"timing":2}})",
                    R"({"vram":{"timingSupported":false,"timings":[],"timing":1,
                                "maxFrequency":{"value":2000,"min":1800,"max":2200}}})"}));
    EXPECT_EQ(Selection(kTuningPage, 1013), 2);

    ClearTrace();
    ChooseGpu(1);
    EXPECT_TRUE(Enabled(kTuningPage, 1010));
    EXPECT_FALSE(Enabled(kTuningPage, 1013));
    EXPECT_EQ(Text(kTuningPage, 1010), "2000");
    // The list the first GPU left stays, unusable; the timing is asked nonetheless.
    EXPECT_EQ(Items(kTuningPage, 1013), (QStringList{"Default", "Fast Timing", "Fast Timing Level 2"}));
    EXPECT_EQ(MethodsOn("IADLXManualVRAMTuning2.GetMemoryTimingDescription").size(), 1u);
    EXPECT_TRUE(CallsOn("IADLXManualVRAMTuning2.GetSupportedMemoryTimingDescriptionList").empty());

    SetText(kTuningPage, 1010, "2100");
    ClearTrace();
    Press(1002);
    EXPECT_EQ(MethodsOn("IADLXManualVRAMTuning2.Set"),
              (std::vector<std::string>{"IADLXManualVRAMTuning2.SetMaxVRAMFrequency",
                                        "IADLXManualVRAMTuning2.SetMemoryTimingDescription"}));
    EXPECT_EQ(DriverValue("gpu1.vram.maxFrequency"), "2100");
    EXPECT_EQ(Text(kTuningPage, 1010), "2100");
}

TEST_F(MemoryTuning, WithoutMemoryTuningNothingIsAskedOrSentAndTheControlsAreDisabled) {
    StartWith(Gpus({"{}", R"({"vram":{"supported":false}})"}));
    ChooseGpu(1);
    EXPECT_FALSE(Enabled(kTuningPage, 1010));
    EXPECT_FALSE(Enabled(kTuningPage, 1013));
    EXPECT_EQ(Text(kTuningPage, 1010), "2500") << "the first GPU's value stays";
    ClearTrace();
    Press(1002);
    EXPECT_TRUE(CallsOn("IADLXManualVRAMTuning2.").empty());
}

}  // namespace
