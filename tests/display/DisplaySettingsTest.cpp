// SPDX-License-Identifier: GPL-3.0-or-later
// The seven display settings: what the lists offer, how values travel between the page and the
// driver, and the rule that ties integer scaling to GPU scaling.

#include "DisplayFixture.h"

namespace {

class DisplaySettings : public DisplayTest {};

TEST_F(DisplaySettings, EverySettingReachesTheDriverAndIsReadBack) {
    Start();
    ASSERT_EQ(Selected(kDisplayPage, 1087), "Simulated 27GP850 (DisplayPort)");
    ShowPage(kDisplayPage);

    Click(kDisplayPage, 1080);  // FreeSync off
    Click(kDisplayPage, 1081);  // Virtual Super Resolution on
    Click(kDisplayPage, 1082);  // GPU scaling on, which lets integer scaling be chosen
    ASSERT_TRUE(Enabled(kDisplayPage, 1084));
    Click(kDisplayPage, 1084);
    Choose(kDisplayPage, 1083, 2);
    Choose(kDisplayPage, 1085, 0);
    Choose(kDisplayPage, 1086, 4);
    Press(1002);

    EXPECT_EQ(Get("display0.freeSync.enabled"), "false");
    EXPECT_EQ(Get("display0.vsr.enabled"), "true");
    EXPECT_EQ(Get("display0.gpuScaling.enabled"), "true");
    EXPECT_EQ(Get("display0.scalingMode"), "2");
    EXPECT_EQ(Get("display0.integerScaling.enabled"), "true");
    EXPECT_EQ(Get("display0.colorDepth"), "1");
    EXPECT_EQ(Get("display0.pixelFormat"), "5");

    // Away to the other display and back: the page shows what the driver kept.
    Choose(kDisplayPage, 1087, 1);
    Choose(kDisplayPage, 1087, 0);
    EXPECT_FALSE(Checked(kDisplayPage, 1080));
    EXPECT_TRUE(Checked(kDisplayPage, 1081));
    EXPECT_TRUE(Checked(kDisplayPage, 1082));
    EXPECT_TRUE(Checked(kDisplayPage, 1084));
    EXPECT_TRUE(Enabled(kDisplayPage, 1084));
    EXPECT_EQ(Selected(kDisplayPage, 1083), "Center");
    EXPECT_EQ(Selected(kDisplayPage, 1085), "6 BPC");
    EXPECT_EQ(Selected(kDisplayPage, 1086), "YCbCr 4:2:0");
}

TEST_F(DisplaySettings, ColourDepthOffersOnlyTheDepthsTheDisplayTakes) {
    Start(Displays({R"({"colorDepth":{"values":[2,3],"value":2}})"}));

    EXPECT_EQ(Items(kDisplayPage, 1085), QStringList({"8 BPC", "10 BPC"}));
    EXPECT_EQ(Selection(kDisplayPage, 1085), 0);
    // One question per vocabulary entry, in ascending order.
    EXPECT_EQ(CallHeads({"IADLXDisplayColorDepth.IsSupportedColorDepth"}),
              (std::vector<std::string>{"IADLXDisplayColorDepth.IsSupportedColorDepth 1",
                                        "IADLXDisplayColorDepth.IsSupportedColorDepth 2",
                                        "IADLXDisplayColorDepth.IsSupportedColorDepth 3",
                                        "IADLXDisplayColorDepth.IsSupportedColorDepth 4",
                                        "IADLXDisplayColorDepth.IsSupportedColorDepth 5",
                                        "IADLXDisplayColorDepth.IsSupportedColorDepth 6"}));

    ShowPage(kDisplayPage);
    Choose(kDisplayPage, 1085, 1);
    ClearTrace();
    Press(1002);
    EXPECT_EQ(CallHeads({"IADLXDisplayColorDepth.SetValue"}),
              std::vector<std::string>{"IADLXDisplayColorDepth.SetValue 3"});
    EXPECT_EQ(Selected(kDisplayPage, 1085), "10 BPC");
}

TEST_F(DisplaySettings, ListsOfferWholeOrSupportedVocabularies) {
    Start(Displays({R"({"pixelFormat":{"values":[5,1,3],"value":3}})"}));
    // The scaling mode list holds every mode without asking about any of them.
    EXPECT_EQ(Items(kDisplayPage, 1083), QStringList({"Preserve aspect ratio", "Full panel", "Center"}));
    EXPECT_EQ(Items(kDisplayPage, 1086),
              QStringList({"RGB 4:4:4 PC Standard (Full RGB)", "YCbCr 4:2:2", "YCbCr 4:2:0"}));
    EXPECT_EQ(Selected(kDisplayPage, 1086), "YCbCr 4:2:2");
}

struct EmptyList {
    const char* name;
    int combo;
    std::string display;
    std::string fault;
    std::string setter;
};

class EmptySupportedList : public DisplayTest, public ::testing::WithParamInterface<EmptyList> {};

// Supported, but no single value reported supported (or no answer to any question): the list is
// emptied and stays enabled, and applying sends the fallback.
TEST_P(EmptySupportedList, IsEnabledAndAppliesTheFallback) {
    const EmptyList& c = GetParam();
    Start(Displays({c.display}));
    if (!c.fault.empty()) {
        Sim().Fault(c.fault);
        Choose(kDisplayPage, 1087, 0);
    }

    EXPECT_TRUE(Items(kDisplayPage, c.combo).isEmpty());
    EXPECT_TRUE(Enabled(kDisplayPage, c.combo));
    ShowPage(kDisplayPage);
    ClearTrace();
    Press(1002);
    EXPECT_EQ(CallHeads({c.setter.substr(0, c.setter.find(' '))}), std::vector<std::string>{c.setter});
}

INSTANTIATE_TEST_SUITE_P(
    Display, EmptySupportedList,
    ::testing::Values(
        EmptyList{"colourDepthNoneSupported", 1085, R"({"colorDepth":{"values":[]}})", "",
                  "IADLXDisplayColorDepth.SetValue 2"},
        EmptyList{"colourDepthQuestionsFail", 1085, R"({"colorDepth":{"values":[2,3]}})",
                  "IADLXDisplayColorDepth.IsSupportedColorDepth", "IADLXDisplayColorDepth.SetValue 2"},
        EmptyList{"pixelFormatNoneSupported", 1086, R"({"pixelFormat":{"values":[]}})", "",
                  "IADLXDisplayPixelFormat.SetValue 1"},
        EmptyList{"pixelFormatQuestionsFail", 1086, R"({"pixelFormat":{"values":[2,3]}})",
                  "IADLXDisplayPixelFormat.IsSupportedPixelFormat", "IADLXDisplayPixelFormat.SetValue 1"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ListReadFailure {
    const char* name;
    int combo;
    std::string display;
    std::string fault;
    QString before;
    QString after;
};

class ListReadFails : public DisplayTest, public ::testing::WithParamInterface<ListReadFailure> {};

// A read the driver does not answer looks for the list's fallback value and selects it when
// listed; otherwise the selection stays.
TEST_P(ListReadFails, SelectsTheFallbackWhenListed) {
    const ListReadFailure& c = GetParam();
    Start(Displays({c.display}));
    ASSERT_EQ(Selected(kDisplayPage, c.combo), c.before);
    Sim().Fault(c.fault);
    Dlg().ReadPage(kDisplayPage);
    EXPECT_EQ(Selected(kDisplayPage, c.combo), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Display, ListReadFails,
    ::testing::Values(
        ListReadFailure{"colourDepthValue", 1085, R"({"colorDepth":{"values":[2,3],"value":3}})",
                        "IADLXDisplayColorDepth.GetValue", "10 BPC", "8 BPC"},
        ListReadFailure{"colourDepthInterface", 1085, R"({"colorDepth":{"values":[2,3],"value":3}})",
                        "IADLXDisplayServices.GetColorDepth", "10 BPC", "8 BPC"},
        ListReadFailure{"colourDepthFallbackNotListed", 1085, R"({"colorDepth":{"values":[3,4],"value":4}})",
                        "IADLXDisplayColorDepth.GetValue", "12 BPC", "12 BPC"},
        ListReadFailure{"scalingMode", 1083, R"({"scalingMode":2})", "IADLXDisplayScalingMode.GetMode", "Center",
                        "Preserve aspect ratio"},
        ListReadFailure{"pixelFormat", 1086, R"({"pixelFormat":{"value":5}})", "IADLXDisplayPixelFormat.GetValue",
                        "YCbCr 4:2:0", "RGB 4:4:4 PC Standard (Full RGB)"}),
    [](const auto& info) { return std::string(info.param.name); });

class SwitchReadFails : public DisplayTest, public ::testing::WithParamInterface<std::pair<const char*, int>> {};

TEST_P(SwitchReadFails, UnchecksOnlyItsBox) {
    const auto [getter, box] = GetParam();
    Start(Displays({R"({"freeSync":{"enabled":true},"vsr":{"enabled":true},"gpuScaling":{"enabled":true},
                        "integerScaling":{"enabled":true}})"}));
    for (const int id : kSwitches) ASSERT_TRUE(Checked(kDisplayPage, id)) << id;

    Sim().Fault(std::string("IADLXDisplayServices.") + getter);
    Dlg().ReadPage(kDisplayPage);
    for (const int id : kSwitches) EXPECT_EQ(Checked(kDisplayPage, id), id != box) << id;
}

INSTANTIATE_TEST_SUITE_P(Display, SwitchReadFails,
                         ::testing::Values(std::pair{"GetFreeSync", 1080},
                                           std::pair{"GetVirtualSuperResolution", 1081},
                                           std::pair{"GetGPUScaling", 1082}, std::pair{"GetIntegerScaling", 1084}));

TEST_F(DisplaySettings, SetSendsEverySettingInOrderEvenToADisabledBox) {
    Start(Displays({R"({"gpuScaling":{"enabled":true},"integerScaling":{"enabled":false},
                        "colorDepth":{"value":3}})"}));
    ShowPage(kDisplayPage);
    Click(kDisplayPage, 1082);  // GPU scaling off: integer scaling can no longer be chosen
    ASSERT_FALSE(Enabled(kDisplayPage, 1084));
    SetChecked(kDisplayPage, 1084, true);
    ClearTrace();
    Press(1002);

    EXPECT_EQ(CallHeads({"IADLXDisplayFreeSync.Set", "IADLXDisplayVSR.Set", "IADLXDisplayGPUScaling.Set",
                         "IADLXDisplayScalingMode.Set", "IADLXDisplayIntegerScaling.Set",
                         "IADLXDisplayColorDepth.Set", "IADLXDisplayPixelFormat.Set"}),
              (std::vector<std::string>{
                  "IADLXDisplayFreeSync.SetEnabled true",
                  "IADLXDisplayVSR.SetEnabled false",
                  "IADLXDisplayGPUScaling.SetEnabled false",
                  "IADLXDisplayScalingMode.SetMode 0",
                  "IADLXDisplayIntegerScaling.SetEnabled true",
                  "IADLXDisplayColorDepth.SetValue 3",
                  "IADLXDisplayPixelFormat.SetValue 1",
              }));
    // The read-back: integer scaling was kept by the driver, but GPU scaling is off.
    EXPECT_TRUE(Checked(kDisplayPage, 1084));
    EXPECT_FALSE(Enabled(kDisplayPage, 1084));
}

struct ScalingCase {
    const char* name;
    bool gpuScalingOn;
    bool integerSupported;
    bool integerEnabled;
};

class IntegerScalingRule : public DisplayTest, public ::testing::WithParamInterface<ScalingCase> {};

TEST_P(IntegerScalingRule, FollowsGpuScalingAndSupport) {
    const ScalingCase& c = GetParam();
    Start(Displays({std::string(R"({"gpuScaling":{"enabled":)") + (c.gpuScalingOn ? "true" : "false") +
                    R"(},"integerScaling":{"supported":)" + (c.integerSupported ? "true" : "false") + "}}"}));
    EXPECT_EQ(Enabled(kDisplayPage, 1084), c.integerEnabled);
}

INSTANTIATE_TEST_SUITE_P(Display, IntegerScalingRule,
                         ::testing::Values(ScalingCase{"gpuScalingOnIntegerSupported", true, true, true},
                                           ScalingCase{"gpuScalingOnIntegerUnsupported", true, false, false},
                                           ScalingCase{"gpuScalingOffIntegerSupported", false, true, false},
                                           ScalingCase{"gpuScalingOffIntegerUnsupported", false, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The page follows the user's clicks without knowing what the display supports; the flag keeps
// an unsupported integer scaling from being sent.
TEST_F(DisplaySettings, ClickingGpuScalingEnablesIntegerScalingButUnsupportedIsNeverSent) {
    Start(Displays({R"({"gpuScaling":{"enabled":true},"integerScaling":{"supported":false}})"}));
    ShowPage(kDisplayPage);
    ASSERT_FALSE(Enabled(kDisplayPage, 1084));

    Click(kDisplayPage, 1082);
    EXPECT_FALSE(Enabled(kDisplayPage, 1084));
    Click(kDisplayPage, 1082);
    EXPECT_TRUE(Enabled(kDisplayPage, 1084));

    Click(kDisplayPage, 1084);
    ClearTrace();
    Press(1002);
    EXPECT_EQ(Calls({"IADLXDisplayServices.GetIntegerScaling", "IADLXDisplayIntegerScaling"}),
              std::vector<std::string>{});
    EXPECT_EQ(CallHeads({"IADLXDisplayGPUScaling.SetEnabled"}),
              std::vector<std::string>{"IADLXDisplayGPUScaling.SetEnabled true"});
}

TEST_F(DisplaySettings, UncheckingGpuScalingKeepsIntegerScalingsCheckMark) {
    Start(Displays({R"({"gpuScaling":{"enabled":true},"integerScaling":{"enabled":true}})"}));
    ASSERT_TRUE(Enabled(kDisplayPage, 1084));
    ASSERT_TRUE(Checked(kDisplayPage, 1084));

    Click(kDisplayPage, 1082);
    EXPECT_FALSE(Enabled(kDisplayPage, 1084));
    EXPECT_TRUE(Checked(kDisplayPage, 1084));
}

TEST_F(DisplaySettings, ChoosingADisplayWithoutIntegerScalingDisablesIt) {
    Start(Displays({R"({"name":"A","gpuScaling":{"enabled":true}})",
                    R"({"name":"B","gpuScaling":{"enabled":true},"integerScaling":{"supported":false}})"}));
    ASSERT_TRUE(Enabled(kDisplayPage, 1084));
    Choose(kDisplayPage, 1087, 1);
    EXPECT_FALSE(Enabled(kDisplayPage, 1084));
}

// A display without the three list features leaves the lists as the previous display filled
// them, disabled, and nothing is read from or sent to them.
TEST_F(DisplaySettings, UnsupportedListsKeepThePreviousItemsAndAreLeftAlone) {
    Start(Displays({R"({"name":"A","colorDepth":{"values":[2,3],"value":3},"pixelFormat":{"values":[1,4]}})",
                    R"({"name":"B","scalingMode":{"supported":false},"colorDepth":{"supported":false},
                        "pixelFormat":{"supported":false}})"}));
    Choose(kDisplayPage, 1087, 1);

    for (const int id : {1083, 1085, 1086}) EXPECT_FALSE(Enabled(kDisplayPage, id)) << id;
    EXPECT_EQ(Items(kDisplayPage, 1085), QStringList({"8 BPC", "10 BPC"}));
    EXPECT_EQ(Items(kDisplayPage, 1086),
              QStringList({"RGB 4:4:4 PC Standard (Full RGB)", "RGB 4:4:4 Studio (Limited RGB)"}));
    ShowPage(kDisplayPage);
    ClearTrace();
    Press(1002);
    EXPECT_EQ(Calls({"IADLXDisplayScalingMode", "IADLXDisplayColorDepth", "IADLXDisplayPixelFormat",
                     "IADLXDisplayServices.GetScalingMode", "IADLXDisplayServices.GetColorDepth",
                     "IADLXDisplayServices.GetPixelFormat"}),
              std::vector<std::string>{});

    Choose(kDisplayPage, 1087, 0);
    for (const int id : {1083, 1085, 1086}) EXPECT_TRUE(Enabled(kDisplayPage, id)) << id;
    EXPECT_EQ(Selected(kDisplayPage, 1085), "10 BPC");
}

TEST_F(DisplaySettings, ADisplayWithNoFeatureIsNeverAskedForAValue) {
    Start(Displays({R"({"freeSync":{"supported":false},"vsr":{"supported":false},
                        "gpuScaling":{"supported":false},"scalingMode":{"supported":false},
                        "integerScaling":{"supported":false},"colorDepth":{"supported":false},
                        "pixelFormat":{"supported":false}})"}));
    for (const int id : kFeatureControls) EXPECT_FALSE(Enabled(kDisplayPage, id)) << id;

    ShowPage(kDisplayPage);
    ClearTrace();
    Press(1002);
    Press(1006);
    EXPECT_EQ(DisplayCalls(), std::vector<std::string>{});
}

}  // namespace
