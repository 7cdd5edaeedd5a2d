// SPDX-License-Identifier: GPL-3.0-or-later
// The Graphics page as a whole: which controls each support answer governs, the order in which
// Set works through the sixteen features, the page's own control rules, and the shader cache reset.

#include <QComboBox>
#include <QTest>

#include "GraphicsTest.h"

namespace {

struct SupportRow {
    const char* name;
    std::string supportKey;
    int CTachyonDlg::*flag;
    std::vector<int> controls;
};

std::ostream& operator<<(std::ostream& os, const SupportRow& r) { return os << r.name; }

const std::vector<SupportRow> kSupportRows = {
    {"SuperResolution", "superResolution.supported", &CTachyonDlg::m_superResolutionSupported, {1048, 1049}},
    // Without Anti-Lag its level is not even asked for.
    {"AntiLag", "gpu0.antiLag.supported", &CTachyonDlg::m_antiLagSupported, {1045, 1054}},
    {"AntiLagLevel", "gpu0.antiLag.levelSupported", &CTachyonDlg::m_antiLagLevelSupported, {1054}},
    {"Boost", "gpu0.boost.supported", &CTachyonDlg::m_boostSupported, {1040, 1041}},
    {"Chill", "gpu0.chill.supported", &CTachyonDlg::m_chillSupported, {1044, 1042, 1043}},
    {"ImageSharpening", "gpu0.imageSharpening.supported", &CTachyonDlg::m_imageSharpeningSupported, {1046, 1047}},
    {"EnhancedSync", "gpu0.enhancedSync.supported", &CTachyonDlg::m_enhancedSyncSupported, {1050}},
    {"VSync", "gpu0.vsync.supported", &CTachyonDlg::m_vsyncSupported, {1055}},
    {"FrameRateTarget", "gpu0.frtc.supported", &CTachyonDlg::m_frtcSupported, {1051, 1052}},
    {"AntiAliasing", "gpu0.antiAliasing.supported", &CTachyonDlg::m_antiAliasingSupported, {1056, 1057, 1058}},
    {"MorphologicalAntiAliasing", "gpu0.mlaa.supported", &CTachyonDlg::m_mlaaSupported, {1059}},
    {"AnisotropicFiltering", "gpu0.anisotropic.supported", &CTachyonDlg::m_anisotropicSupported, {1060, 1061}},
    {"Tessellation", "gpu0.tessellation.supported", &CTachyonDlg::m_tessellationSupported, {1062, 1063}},
    {"ShaderCache", "gpu0.shaderCache.supported", &CTachyonDlg::m_resetShaderCacheSupported, {1053}},
};

const std::vector<int> kFeatureControls = {1048, 1049, 1045, 1054, 1040, 1041, 1044, 1042, 1043, 1046, 1047, 1050,
                                           1055, 1051, 1052, 1056, 1057, 1058, 1059, 1060, 1061, 1062, 1063, 1053};

class SupportTest : public GraphicsTest, public ::testing::WithParamInterface<SupportRow> {};

TEST_P(SupportTest, AnUnsupportedFeatureDisablesExactlyItsControls) {
    const SupportRow& r = GetParam();
    Start(kAllOnScenario);
    for (const int id : kFeatureControls) ASSERT_TRUE(Enabled(kGraphicsPage, id)) << id;

    SetDriver(r.supportKey, "false");
    ClearTrace();
    Dlg().OnGpuSelChange();
    EXPECT_EQ(Dlg().*r.flag, 0);
    for (const int id : kFeatureControls) {
        const bool governed = std::find(r.controls.begin(), r.controls.end(), id) != r.controls.end();
        EXPECT_EQ(Enabled(kGraphicsPage, id), !governed) << id;
    }
    if (r.flag == &CTachyonDlg::m_antiLagSupported) {
        for (const std::string& line : Sim().Trace()) EXPECT_EQ(line.find("IADLX3DAntiLag1"), std::string::npos) << line;
    }

    // And back: supported again on the next selection.
    SetDriver(r.supportKey, "true");
    Dlg().OnGpuSelChange();
    EXPECT_EQ(Dlg().*r.flag, 1);
    for (const int id : r.controls) EXPECT_TRUE(Enabled(kGraphicsPage, id)) << id;
}

INSTANTIATE_TEST_SUITE_P(Graphics, SupportTest, ::testing::ValuesIn(kSupportRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

class GraphicsPageTest : public GraphicsTest {
protected:
    // The 3D settings services methods called, in order ("GetBoost").
    std::vector<std::string> ServicesGetters() {
        std::vector<std::string> names;
        for (const std::string& line : Calls({"IADLX3DSettingsServices."})) {
            const std::size_t dot = line.find('.');
            names.push_back(line.substr(dot + 1, line.find(' ') - dot - 1));
        }
        return names;
    }
};

TEST_F(GraphicsPageTest, SetAppliesThenRereadsTheSixteenFeaturesInOrderAndNothingElse) {
    Start(kAllOnScenario);
    SetText(kTuningPage, 1008, QStringLiteral("1234"));
    SetText(kFanPage, 1023, QStringLiteral("77"));
    ClearTrace();
    PressSet();

    const std::vector<std::string> oneRound = {
        "GetRadeonSuperResolution", "GetAntiLag", "GetBoost", "GetChill", "GetImageSharpening", "GetEnhancedSync",
        "GetWaitForVerticalRefresh", "GetFrameRateTargetControl",
        "GetAntiAliasing", "GetAntiAliasing", "GetAntiAliasing",  // mode, level, method
        "GetMorphologicAntiAliasing",
        "GetAnisotropicFiltering", "GetAnisotropicFiltering",  // on/off, level
        "GetTessellation", "GetTessellation"};                 // mode, level
    std::vector<std::string> expected = oneRound;
    expected.insert(expected.end(), oneRound.begin(), oneRound.end());
    EXPECT_EQ(ServicesGetters(), expected);
    for (const std::string& line : Calls()) EXPECT_EQ(line.rfind("IADLX3D", 0), 0u) << line;

    EXPECT_EQ(Text(kTuningPage, 1008), QStringLiteral("1234"));
    EXPECT_EQ(Text(kFanPage, 1023), QStringLiteral("77"));
}

// Super Resolution belongs to the whole system; every other feature is asked for the chosen GPU.
TEST_F(GraphicsPageTest, SuperResolutionIsObtainedWithoutAGpuTheOthersForTheChosenOne) {
    Start();
    auto* selector = qobject_cast<QComboBox*>(Dlg().MainControl(1000));
    selector->setCurrentIndex(1);
    ClearTrace();
    emit selector->activated(1);
    const std::vector<std::string> lines = Calls({"IADLX3DSettingsServices.Get"});
    ASSERT_FALSE(lines.empty());
    for (const std::string& line : lines) {
        if (line.rfind("IADLX3DSettingsServices.GetRadeonSuperResolution", 0) == 0) {
            EXPECT_EQ(line, "IADLX3DSettingsServices.GetRadeonSuperResolution -> 0");
        } else {
            EXPECT_NE(line.find(" gpu1 -> 0"), std::string::npos) << line;
        }
    }
}

// Every interface a read or apply fetched is let go again (the fixture's audit after each test);
// here the whole page is worked through many times over to make a leak show.
TEST_F(GraphicsPageTest, RepeatedSetAndPlusKeepNoInterface) {
    Start(kAllOnScenario);
    for (int i = 0; i < 5; ++i) {
        PressSet();
        Press(1006);
    }
    Click(kGraphicsPage, 1053);
}

struct DependentRule {
    int checkBox;
    std::vector<int> dependents;
};

TEST_F(GraphicsPageTest, ValueControlsFollowTheirCheckBoxWhenClicked) {
    Start(kAllOnScenario);
    const std::vector<DependentRule> rules = {
        {1048, {1049}}, {1040, {1041}}, {1044, {1042, 1043}}, {1046, {1047}}, {1051, {1052}}, {1060, {1061}}};
    for (const DependentRule& rule : rules) {
        ASSERT_TRUE(Checked(kGraphicsPage, rule.checkBox)) << rule.checkBox;
        Click(kGraphicsPage, rule.checkBox);
        for (const int id : rule.dependents) EXPECT_FALSE(Enabled(kGraphicsPage, id)) << rule.checkBox << " " << id;
        Click(kGraphicsPage, rule.checkBox);
        for (const int id : rule.dependents) EXPECT_TRUE(Enabled(kGraphicsPage, id)) << rule.checkBox << " " << id;
    }
}

// " Anti-Lag +" is checked only while " Anti-Lag" is.
TEST_F(GraphicsPageTest, AntiLagPairKeepsPlusOnlyWithAntiLag) {
    Start(kAllOnScenario);
    ASSERT_TRUE(Checked(kGraphicsPage, 1045));
    ASSERT_TRUE(Checked(kGraphicsPage, 1054));
    Click(kGraphicsPage, 1045);
    EXPECT_FALSE(Checked(kGraphicsPage, 1045));
    EXPECT_FALSE(Checked(kGraphicsPage, 1054));
    Click(kGraphicsPage, 1054);
    EXPECT_TRUE(Checked(kGraphicsPage, 1045));
    EXPECT_TRUE(Checked(kGraphicsPage, 1054));
    // Unchecking the plus leaves Anti-Lag on.
    Click(kGraphicsPage, 1054);
    EXPECT_TRUE(Checked(kGraphicsPage, 1045));
    EXPECT_FALSE(Checked(kGraphicsPage, 1054));
}

TEST_F(GraphicsPageTest, ThirdPlusTypedOnThePageRevealsAntiLagPlusWithItsState) {
    Start(kAllOnScenario);
    ShowPage(kGraphicsPage);
    QWidget* target = Dlg().Control(kGraphicsPage, 1041);
    ASSERT_TRUE(target->isEnabled());
    QTest::keyClick(target, '+');
    QTest::keyClick(target, '+');
    EXPECT_FALSE(Visible(kGraphicsPage, 1054));
    QTest::keyClick(target, '+');
    EXPECT_TRUE(Visible(kGraphicsPage, 1054));
    EXPECT_TRUE(Checked(kGraphicsPage, 1054));
    EXPECT_TRUE(Enabled(kGraphicsPage, 1054));
    QTest::keyClick(target, '+');
    EXPECT_TRUE(Visible(kGraphicsPage, 1054));
}

class ShaderCacheTest : public GraphicsTest {};

TEST_F(ShaderCacheTest, NoSendsNothing) {
    Start();
    prompts.answers.push_back(PromptAnswer::No);
    ClearTrace();
    Click(kGraphicsPage, 1053);
    ASSERT_EQ(prompts.messages.size(), 1u);
    const RecordedMessage& asked = prompts.messages[0];
    EXPECT_EQ(asked.caption, QStringLiteral("Reset Shader Cache"));
    EXPECT_EQ(asked.text, QString());
    EXPECT_EQ(asked.buttons, PromptButtons::YesNo);
    EXPECT_EQ(asked.icon, PromptIcon::Question);
    EXPECT_EQ(asked.ownerName, QStringLiteral("Tab_Graphics"));
    EXPECT_TRUE(Calls().empty());
}

TEST_F(ShaderCacheTest, YesSendsExactlyOneResetAndShowsNothingAfterwards) {
    Start();
    SetText(kGraphicsPage, 1041, QStringLiteral("99"));  // an unsaved edit survives: nothing is re-read
    prompts.answers.push_back(PromptAnswer::Yes);
    ClearTrace();
    Click(kGraphicsPage, 1053);
    EXPECT_EQ(Sent({""}), (std::vector<std::string>{"IADLX3DSettingsServices.GetResetShaderCache gpu0",
                                                    "IADLX3DResetShaderCache.ResetShaderCache"}));
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(Text(kGraphicsPage, 1041), QStringLiteral("99"));
}

// The driver failing the reset is not reported either.
TEST_F(ShaderCacheTest, FailedResetIsSilent) {
    Start();
    Sim().Fault("IADLX3DResetShaderCache.ResetShaderCache");
    prompts.answers.push_back(PromptAnswer::Yes);
    Click(kGraphicsPage, 1053);
    EXPECT_EQ(prompts.messages.size(), 1u);
}

TEST_F(ShaderCacheTest, UnsupportedResetDoesNothingEvenWhenAskedFor) {
    Start(R"({"gpus": [{"shaderCache": {"supported": false}}]})");
    EXPECT_FALSE(Enabled(kGraphicsPage, 1053));
    ClearTrace();
    EXPECT_EQ(Dlg().OnPageNotify(1, 0), 0);
    EXPECT_TRUE(Calls().empty());
}
