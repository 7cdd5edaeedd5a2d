// SPDX-License-Identifier: GPL-3.0-or-later
// The features shown as a check box with value edits: what a read puts on the page, what an apply
// sends, in which order, and what an unsupported feature leaves alone.

#include <QCheckBox>

#include "GraphicsTest.h"

namespace {

struct CheckBoxFeature {
    const char* name;
    std::string driver;  // the feature's key in the runtime ("gpu0.boost")
    std::string iface;
    int checkBox;
    std::vector<int> edits;
    std::vector<std::string> valueKeys;  // the driver's value behind each edit
    std::vector<std::string> getters;    // after IsEnabled, in order
    std::vector<std::string> setters;    // after SetEnabled, in order
    std::vector<int> dependents;
    std::vector<int> driverValues;       // in range, so the driver keeps them
    int (CTachyonDlg::*read)();
    int (CTachyonDlg::*apply)();
};

std::ostream& operator<<(std::ostream& os, const CheckBoxFeature& f) { return os << f.name; }

const std::vector<CheckBoxFeature> kFeatures = {
    {"SuperResolution", "superResolution", "IADLX3DRadeonSuperResolution", 1048, {1049}, {"superResolution.sharpness"},
     {"GetSharpness"}, {"SetSharpness"}, {1049}, {33},
     &CTachyonDlg::ReadSuperResolution, &CTachyonDlg::ApplySuperResolution},
    {"Boost", "gpu0.boost", "IADLX3DBoost", 1040, {1041}, {"gpu0.boost.resolution"}, {"GetResolution"},
     {"SetResolution"}, {1041}, {66}, &CTachyonDlg::ReadBoost, &CTachyonDlg::ApplyBoost},
    {"Chill", "gpu0.chill", "IADLX3DChill", 1044, {1042, 1043}, {"gpu0.chill.minFps", "gpu0.chill.maxFps"},
     {"GetMinFPS", "GetMaxFPS"}, {"SetMinFPS", "SetMaxFPS"}, {1042, 1043}, {40, 120},
     &CTachyonDlg::ReadChill, &CTachyonDlg::ApplyChill},
    {"ImageSharpening", "gpu0.imageSharpening", "IADLX3DImageSharpening", 1046, {1047},
     {"gpu0.imageSharpening.sharpness"}, {"GetSharpness"}, {"SetSharpness"}, {1047}, {55},
     &CTachyonDlg::ReadImageSharpening, &CTachyonDlg::ApplyImageSharpening},
    {"EnhancedSync", "gpu0.enhancedSync", "IADLX3DEnhancedSync", 1050, {}, {}, {}, {}, {}, {},
     &CTachyonDlg::ReadEnhancedSync, &CTachyonDlg::ApplyEnhancedSync},
    {"FrameRateTarget", "gpu0.frtc", "IADLX3DFrameRateTargetControl", 1051, {1052}, {"gpu0.frtc.fps"}, {"GetFPS"},
     {"SetFPS"}, {1052}, {90}, &CTachyonDlg::ReadFrameRateTarget, &CTachyonDlg::ApplyFrameRateTarget},
    {"MorphologicalAntiAliasing", "gpu0.mlaa", "IADLX3DMorphologicalAntiAliasing", 1059, {}, {}, {}, {}, {}, {},
     &CTachyonDlg::ReadMorphologicalAntiAliasing, &CTachyonDlg::ApplyMorphologicalAntiAliasing},
    // The level list follows the box; the level itself is a drop-down setting of its own.
    {"AnisotropicFiltering", "gpu0.anisotropic", "IADLX3DAnisotropicFiltering", 1060, {}, {}, {}, {}, {1061}, {},
     &CTachyonDlg::ReadAnisotropicFiltering, &CTachyonDlg::ApplyAnisotropicFiltering},
};

class CheckBoxFeatureTest : public GraphicsTest, public ::testing::WithParamInterface<CheckBoxFeature> {
protected:
    std::vector<std::string> Prefixed(const std::string& first, const std::vector<std::string>& methods) {
        const CheckBoxFeature& f = GetParam();
        std::vector<std::string> lines{f.iface + "." + first};
        for (const std::string& m : methods) lines.push_back(f.iface + "." + m);
        return lines;
    }
};

TEST_P(CheckBoxFeatureTest, ReadShowsTheDriversStateValuesAndEnablesDependentsWithIt) {
    const CheckBoxFeature& f = GetParam();
    Start();
    SetDriver(f.driver + ".enabled", "true");
    for (std::size_t i = 0; i < f.valueKeys.size(); ++i) SetDriver(f.valueKeys[i], std::to_string(f.driverValues[i]));
    ClearTrace();
    EXPECT_EQ((Dlg().*f.read)(), ADLX_OK);

    // IsEnabled first, then the getters in their order.
    EXPECT_EQ(Sent(Prefixed("IsEnabled", f.getters)), Prefixed("IsEnabled", f.getters));
    EXPECT_TRUE(Checked(kGraphicsPage, f.checkBox));
    for (std::size_t i = 0; i < f.edits.size(); ++i) {
        EXPECT_EQ(Text(kGraphicsPage, f.edits[i]), QString::number(f.driverValues[i])) << f.edits[i];
    }
    for (const int id : f.dependents) EXPECT_TRUE(Enabled(kGraphicsPage, id)) << id;

    // Switched off in the driver: the box clears, the values are still shown, but cannot be edited.
    SetDriver(f.driver + ".enabled", "false");
    Dlg().ReadPage(kGraphicsPage);
    EXPECT_FALSE(Checked(kGraphicsPage, f.checkBox));
    for (std::size_t i = 0; i < f.edits.size(); ++i) {
        EXPECT_EQ(Text(kGraphicsPage, f.edits[i]), QString::number(f.driverValues[i])) << f.edits[i];
    }
    for (const int id : f.dependents) EXPECT_FALSE(Enabled(kGraphicsPage, id)) << id;
}

// A getter that fails reads as the safe value: an unknown state as off (its edits locked), an
// unknown value as 0, while everything the driver did answer is still shown.
TEST_P(CheckBoxFeatureTest, FailedStateReadsAsUncheckedAndLocksTheDependents) {
    const CheckBoxFeature& f = GetParam();
    Start(kAllOnScenario);
    for (std::size_t i = 0; i < f.valueKeys.size(); ++i) SetDriver(f.valueKeys[i], std::to_string(f.driverValues[i]));
    // The page held the opposite, so a read that skipped the box or its dependents shows up.
    SetChecked(kGraphicsPage, f.checkBox, true);
    for (const int id : f.dependents) Dlg().Control(kGraphicsPage, id)->setEnabled(true);
    for (const int id : f.edits) SetText(kGraphicsPage, id, QStringLiteral("12"));

    Sim().Fault(f.iface + ".IsEnabled");
    ClearTrace();
    EXPECT_EQ((Dlg().*f.read)(), ADLX_OK);
    ASSERT_EQ(Calls({f.iface + ".IsEnabled"}), std::vector<std::string>{f.iface + ".IsEnabled -> 3"});
    EXPECT_FALSE(Checked(kGraphicsPage, f.checkBox));
    for (const int id : f.dependents) EXPECT_FALSE(Enabled(kGraphicsPage, id)) << id;
    for (std::size_t i = 0; i < f.edits.size(); ++i) {
        EXPECT_EQ(Text(kGraphicsPage, f.edits[i]), QString::number(f.driverValues[i])) << f.edits[i];
    }
}

// The features with at least one value behind their box.
class CheckBoxValueTest : public CheckBoxFeatureTest {};

TEST_P(CheckBoxValueTest, FailedValueGetterShowsZeroInItsEditOnly) {
    const CheckBoxFeature& f = GetParam();
    Start(kAllOnScenario);
    for (std::size_t i = 0; i < f.valueKeys.size(); ++i) SetDriver(f.valueKeys[i], std::to_string(f.driverValues[i]));
    for (std::size_t failing = 0; failing < f.getters.size(); ++failing) {
        SCOPED_TRACE(f.getters[failing]);
        SetChecked(kGraphicsPage, f.checkBox, false);
        for (const int id : f.dependents) Dlg().Control(kGraphicsPage, id)->setEnabled(false);
        for (const int id : f.edits) SetText(kGraphicsPage, id, QStringLiteral("12"));

        Sim().ClearFaults();
        Sim().Fault(f.iface + "." + f.getters[failing]);
        ClearTrace();
        EXPECT_EQ((Dlg().*f.read)(), ADLX_OK);
        ASSERT_EQ(Calls({f.iface + "." + f.getters[failing]}),
                  std::vector<std::string>{f.iface + "." + f.getters[failing] + " -> 3"});
        EXPECT_TRUE(Checked(kGraphicsPage, f.checkBox));
        for (const int id : f.dependents) EXPECT_TRUE(Enabled(kGraphicsPage, id)) << id;
        for (std::size_t i = 0; i < f.edits.size(); ++i) {
            const QString expected = i == failing ? QStringLiteral("0") : QString::number(f.driverValues[i]);
            EXPECT_EQ(Text(kGraphicsPage, f.edits[i]), expected) << f.edits[i];
        }
    }
}

TEST_P(CheckBoxFeatureTest, UncheckedBoxSendsOnlySetEnabledFalse) {
    const CheckBoxFeature& f = GetParam();
    Start(kAllOnScenario);
    SetChecked(kGraphicsPage, f.checkBox, false);
    for (const int id : f.edits) SetText(kGraphicsPage, id, QStringLiteral("50"));
    ClearTrace();
    PressSet();
    EXPECT_EQ(Sent(Prefixed("SetEnabled", f.setters)), std::vector<std::string>{f.iface + ".SetEnabled false"});
    EXPECT_EQ(DriverValue(f.driver + ".enabled"), "false");
}

TEST_P(CheckBoxFeatureTest, CheckedBoxSendsTheEditsInOrderAsNumbersAndShowsWhatTheDriverKept) {
    const CheckBoxFeature& f = GetParam();
    Start();
    SetChecked(kGraphicsPage, f.checkBox, true);
    // Leading zeros are dropped; an empty edit is 0.
    for (std::size_t i = 0; i < f.edits.size(); ++i) {
        SetText(kGraphicsPage, f.edits[i], i == 0 ? QStringLiteral("007") : QString());
    }
    ClearTrace();
    PressSet();

    std::vector<std::string> expected{f.iface + ".SetEnabled true"};
    for (std::size_t i = 0; i < f.setters.size(); ++i) {
        expected.push_back(f.iface + "." + f.setters[i] + (i == 0 ? " 7" : " 0"));
    }
    EXPECT_EQ(Sent(Prefixed("SetEnabled", f.setters)), expected);
    EXPECT_TRUE(Checked(kGraphicsPage, f.checkBox));
    // Whatever the driver refused, the read after Set shows the value it holds.
    for (std::size_t i = 0; i < f.edits.size(); ++i) {
        EXPECT_EQ(Text(kGraphicsPage, f.edits[i]).toStdString(), DriverValue(f.valueKeys[i])) << f.edits[i];
    }
}

TEST_P(CheckBoxFeatureTest, UnsupportedFeatureIsDisabledAndNeitherReadNorApplied) {
    const CheckBoxFeature& f = GetParam();
    const std::string unsupported = f.driver == "superResolution"
                                        ? R"({"superResolution": {"supported": false}})"
                                        : R"({"gpus": [{")" + f.driver.substr(5) + R"(": {"supported": false}}]})";
    Start(unsupported);
    EXPECT_FALSE(Enabled(kGraphicsPage, f.checkBox));
    for (const int id : f.dependents) EXPECT_FALSE(Enabled(kGraphicsPage, id)) << id;

    SetChecked(kGraphicsPage, f.checkBox, true);
    for (const int id : f.edits) SetText(kGraphicsPage, id, QStringLiteral("12"));
    ClearTrace();
    EXPECT_EQ((Dlg().*f.apply)(), ADLX_NOT_SUPPORTED);
    EXPECT_EQ((Dlg().*f.read)(), ADLX_NOT_SUPPORTED);
    PressSet();
    EXPECT_TRUE(Sent({f.iface + "."}).empty());
    // The page keeps what it held.
    EXPECT_TRUE(Checked(kGraphicsPage, f.checkBox));
    for (const int id : f.edits) EXPECT_EQ(Text(kGraphicsPage, id), QStringLiteral("12")) << id;
}

// A driver that cannot hand out the feature: the page is left exactly as it was.
TEST_P(CheckBoxFeatureTest, FeatureThatCannotBeObtainedTouchesNothing) {
    const CheckBoxFeature& f = GetParam();
    Start(kAllOnScenario);
    const std::string getter = f.driver == "superResolution" ? "GetRadeonSuperResolution"
                               : f.iface == "IADLX3DMorphologicalAntiAliasing"
                                   ? "GetMorphologicAntiAliasing"
                                   : "Get" + f.iface.substr(std::string("IADLX3D").size());
    Sim().Fault("IADLX3DSettingsServices." + getter);
    SetChecked(kGraphicsPage, f.checkBox, false);
    for (const int id : f.edits) SetText(kGraphicsPage, id, QStringLiteral("12"));
    ClearTrace();
    PressSet();
    EXPECT_TRUE(Sent({f.iface + "."}).empty());
    EXPECT_FALSE(Checked(kGraphicsPage, f.checkBox));
    for (const int id : f.edits) EXPECT_EQ(Text(kGraphicsPage, id), QStringLiteral("12")) << id;
    for (const int id : f.dependents) EXPECT_TRUE(Enabled(kGraphicsPage, id)) << id;
}

INSTANTIATE_TEST_SUITE_P(Graphics, CheckBoxFeatureTest, ::testing::ValuesIn(kFeatures),
                         [](const auto& info) { return std::string(info.param.name); });

std::vector<CheckBoxFeature> FeaturesWithValues() {
    std::vector<CheckBoxFeature> withValues;
    for (const CheckBoxFeature& f : kFeatures) {
        if (!f.getters.empty()) withValues.push_back(f);
    }
    return withValues;
}

INSTANTIATE_TEST_SUITE_P(Graphics, CheckBoxValueTest, ::testing::ValuesIn(FeaturesWithValues()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

class ChillTest : public GraphicsTest {};

// The minimum goes first even when it is above the new maximum; nothing is corrected or reported,
// and the page shows the pair the driver kept: the minimum it took, the maximum it refused.
TEST_F(ChillTest, MinimumAboveMaximumIsSentMinimumFirstWithoutComplaint) {
    Start();
    SetChecked(kGraphicsPage, 1044, true);
    SetText(kGraphicsPage, 1042, QStringLiteral("30"));
    SetText(kGraphicsPage, 1043, QStringLiteral("20"));
    ClearTrace();
    PressSet();
    EXPECT_EQ(Sent({"IADLX3DChill.Set"}),
              (std::vector<std::string>{"IADLX3DChill.SetEnabled true", "IADLX3DChill.SetMinFPS 30",
                                        "IADLX3DChill.SetMaxFPS 20"}));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(Text(kGraphicsPage, 1042).toStdString(), DriverValue("gpu0.chill.minFps"));
    EXPECT_EQ(Text(kGraphicsPage, 1043).toStdString(), DriverValue("gpu0.chill.maxFps"));
    EXPECT_EQ(Text(kGraphicsPage, 1042), QStringLiteral("30"));
    EXPECT_EQ(Text(kGraphicsPage, 1043), QStringLiteral("144"));
}

// A new pair wholly above the old one: the minimum is still sent first, so the driver refuses it
// against the old maximum and takes only the maximum. The page shows that split quietly.
TEST_F(ChillTest, PairAboveTheOldMaximumKeepsTheOldMinimumAndShowsIt) {
    Start();
    ASSERT_EQ(DriverValue("gpu0.chill.minFps"), "70");
    ASSERT_EQ(DriverValue("gpu0.chill.maxFps"), "144");
    SetChecked(kGraphicsPage, 1044, true);
    SetText(kGraphicsPage, 1042, QStringLiteral("150"));
    SetText(kGraphicsPage, 1043, QStringLiteral("200"));
    ClearTrace();
    PressSet();
    EXPECT_EQ(Calls({"IADLX3DChill.SetMinFPS", "IADLX3DChill.SetMaxFPS"}),
              (std::vector<std::string>{"IADLX3DChill.SetMinFPS 150 -> 4", "IADLX3DChill.SetMaxFPS 200 -> 0"}));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(DriverValue("gpu0.chill.minFps"), "70");
    EXPECT_EQ(DriverValue("gpu0.chill.maxFps"), "200");
    EXPECT_TRUE(Checked(kGraphicsPage, 1044));
    EXPECT_EQ(Text(kGraphicsPage, 1042), QStringLiteral("70"));
    EXPECT_EQ(Text(kGraphicsPage, 1043), QStringLiteral("200"));
}
