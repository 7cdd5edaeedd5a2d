// SPDX-License-Identifier: GPL-3.0-or-later
// The drop-down settings: V-Sync, the anti-aliasing mode, level and method, the anisotropic
// filtering level and the tessellation mode and level. The two levels belong to their modes.

#include "GraphicsTest.h"

namespace {

// The anti-aliasing and tessellation mode/level pairs behave alike.
struct ModeLevelPair {
    const char* name;
    std::string driver;  // "gpu0.antiAliasing"
    std::string iface;
    int modeList;
    int levelList;
    int levelPosition;  // a level the user picks, and what it stands for
    QString levelLabel;
    int levelValue;
    int driverLevel;  // a level the driver holds, and its label
    QString driverLevelLabel;
};

std::ostream& operator<<(std::ostream& os, const ModeLevelPair& p) { return os << p.name; }

const std::vector<ModeLevelPair> kPairs = {
    {"AntiAliasing", "gpu0.antiAliasing", "IADLX3DAntiAliasing", 1056, 1057, 4, "8X", 8, 4, "4X"},
    {"Tessellation", "gpu0.tessellation", "IADLX3DTessellation", 1062, 1063, 3, "6X", 6, 16, "16X"},
};

const QString kOverride = QStringLiteral("Override application settings");

class ModeLevelTest : public GraphicsTest, public ::testing::WithParamInterface<ModeLevelPair> {
protected:
    std::vector<std::string> ModeAndLevelCalls() {
        const ModeLevelPair& p = GetParam();
        return Sent({p.iface + ".SetMode", p.iface + ".GetMode", p.iface + ".SetLevel"});
    }
};

TEST_P(ModeLevelTest, OverrideModeShowsTheDriversLevelInAUsableList) {
    const ModeLevelPair& p = GetParam();
    Start(R"({"gpus": [{"antiAliasing": {"mode": 2, "level": 4}, "tessellation": {"mode": 2, "level": 16}}]})");
    EXPECT_EQ(Selected(kGraphicsPage, p.modeList), kOverride);
    EXPECT_TRUE(Enabled(kGraphicsPage, p.levelList));
    EXPECT_EQ(Selected(kGraphicsPage, p.levelList), p.driverLevelLabel);
}

TEST_P(ModeLevelTest, ChoosingOverrideEnablesTheLevelAtOnceAndSetSendsModeThenLevel) {
    const ModeLevelPair& p = GetParam();
    Start(R"({"gpus": [{"antiAliasing": {"mode": 0}, "tessellation": {"mode": 0}}]})");
    EXPECT_FALSE(Enabled(kGraphicsPage, p.levelList));

    ClearTrace();
    Choose(kGraphicsPage, p.modeList, 2);
    EXPECT_TRUE(Enabled(kGraphicsPage, p.levelList));
    EXPECT_TRUE(Calls().empty()) << "nothing reaches the driver before Set";

    Choose(kGraphicsPage, p.levelList, p.levelPosition);
    ASSERT_EQ(Selected(kGraphicsPage, p.levelList), p.levelLabel);
    PressSet();
    // The apply asks the driver's mode just before the level; the last GetMode is the read after Set.
    EXPECT_EQ(ModeAndLevelCalls(), (std::vector<std::string>{p.iface + ".SetMode 2", p.iface + ".GetMode",
                                                              p.iface + ".SetLevel " + std::to_string(p.levelValue),
                                                              p.iface + ".GetMode"}));
    EXPECT_EQ(DriverValue(p.driver + ".level"), std::to_string(p.levelValue));
    EXPECT_EQ(Selected(kGraphicsPage, p.modeList), kOverride);
    EXPECT_EQ(Selected(kGraphicsPage, p.levelList), p.levelLabel);
}

TEST_P(ModeLevelTest, LeavingOverrideDisablesTheLevelAndSendsNoLevel) {
    const ModeLevelPair& p = GetParam();
    Start(R"({"gpus": [{"antiAliasing": {"mode": 2, "level": 4}, "tessellation": {"mode": 2, "level": 16}}]})");
    Choose(kGraphicsPage, p.modeList, 0);
    EXPECT_FALSE(Enabled(kGraphicsPage, p.levelList));
    ClearTrace();
    PressSet();
    EXPECT_EQ(ModeAndLevelCalls(),
              (std::vector<std::string>{p.iface + ".SetMode 0", p.iface + ".GetMode", p.iface + ".GetMode"}));
    EXPECT_EQ(DriverValue(p.driver + ".level"), std::to_string(p.driverLevel));
    EXPECT_FALSE(Enabled(kGraphicsPage, p.levelList));
}

// The mode apply may be refused; the level goes only when the driver really is at the override.
TEST_P(ModeLevelTest, LevelFollowsTheModeTheDriverKept) {
    const ModeLevelPair& p = GetParam();
    Start(R"({"gpus": [{"antiAliasing": {"mode": 0}, "tessellation": {"mode": 0}}]})");
    Choose(kGraphicsPage, p.modeList, 2);
    Choose(kGraphicsPage, p.levelList, p.levelPosition);
    Sim().Fault(p.iface + ".SetMode");
    ClearTrace();
    PressSet();
    EXPECT_TRUE(Sent({p.iface + ".SetLevel"}).empty());
    // The read after Set shows the mode the driver has, and the level list follows it.
    EXPECT_NE(Selected(kGraphicsPage, p.modeList), kOverride);
    EXPECT_FALSE(Enabled(kGraphicsPage, p.levelList));

    // A mode that cannot be asked counts as not overridden.
    Sim().ClearFaults();
    Choose(kGraphicsPage, p.modeList, 2);
    Sim().Fault(p.iface + ".GetMode");
    ClearTrace();
    PressSet();
    EXPECT_TRUE(Sent({p.iface + ".SetLevel"}).empty());
}

// A position the mode list does not hold changes nothing, however it is sent.
TEST_P(ModeLevelTest, NotificationWithAPositionOutsideTheListChangesNothing) {
    const ModeLevelPair& p = GetParam();
    Start(R"({"gpus": [{"antiAliasing": {"mode": 2}, "tessellation": {"mode": 2}}]})");
    const int code = p.modeList == 1056 ? 2 : 3;
    ASSERT_TRUE(Enabled(kGraphicsPage, p.levelList));
    for (const std::intptr_t position : {std::intptr_t{-1}, std::intptr_t{3}, std::intptr_t{1000},
                                         (std::intptr_t{1} << 32)}) {
        EXPECT_EQ(Dlg().OnPageNotify(code, position), 0);
        EXPECT_TRUE(Enabled(kGraphicsPage, p.levelList)) << position;
    }
    // A position beyond the range of a list index must not wrap onto a real one (here 0).
    Dlg().OnPageNotify(code, 1);
    ASSERT_FALSE(Enabled(kGraphicsPage, p.levelList));
    Dlg().OnPageNotify(code, (std::intptr_t{1} << 32) + 2);
    EXPECT_FALSE(Enabled(kGraphicsPage, p.levelList));
    Dlg().OnPageNotify(code, 2);
    EXPECT_TRUE(Enabled(kGraphicsPage, p.levelList));
}

INSTANTIATE_TEST_SUITE_P(Graphics, ModeLevelTest, ::testing::ValuesIn(kPairs),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

class ListFeatureTest : public GraphicsTest {};

TEST_F(ListFeatureTest, ListsHoldTheirWholeVocabularyInValueOrder) {
    Start();
    EXPECT_EQ(Items(kGraphicsPage, 1055), (QStringList{"Always off", "Off, unless application specifies",
                                                       "On, unless application specifies", "Always on"}));
    EXPECT_EQ(Items(kGraphicsPage, 1056),
              (QStringList{"Use application settings", "Enhance application settings", kOverride}));
    EXPECT_EQ(Items(kGraphicsPage, 1057), (QStringList{"2X", "2XEQ", "4X", "4XEQ", "8X", "8XEQ"}));
    EXPECT_EQ(Items(kGraphicsPage, 1058), (QStringList{"Multisampling", "Adaptive multisampling", "Supersampling"}));
    EXPECT_EQ(Items(kGraphicsPage, 1061), (QStringList{"2X", "4X", "8X", "16X"}));
    EXPECT_EQ(Items(kGraphicsPage, 1062), (QStringList{"AMD optimized", "Use application settings", kOverride}));
    EXPECT_EQ(Items(kGraphicsPage, 1063), (QStringList{"Off", "2X", "4X", "6X", "8X", "16X", "32X", "64X"}));
}

TEST_F(ListFeatureTest, MethodIsSentWhateverTheMode) {
    Start(R"({"gpus": [{"antiAliasing": {"mode": 0, "method": 0}}]})");
    Choose(kGraphicsPage, 1058, 2);
    ClearTrace();
    PressSet();
    EXPECT_EQ(Sent({"IADLX3DAntiAliasing.Set"}),
              (std::vector<std::string>{"IADLX3DAntiAliasing.SetMode 0", "IADLX3DAntiAliasing.SetMethod 2"}));
    EXPECT_EQ(Selected(kGraphicsPage, 1058), QStringLiteral("Supersampling"));
}

// The anisotropic level has no mode: it goes on every apply, also while filtering is off.
TEST_F(ListFeatureTest, AnisotropicLevelIsSentEvenWhileFilteringIsOff) {
    Start(R"({"gpus": [{"anisotropic": {"enabled": false, "level": 16}}]})");
    EXPECT_FALSE(Enabled(kGraphicsPage, 1061));
    EXPECT_EQ(Selected(kGraphicsPage, 1061), QStringLiteral("16X"));
    ClearTrace();
    PressSet();
    EXPECT_EQ(Sent({"IADLX3DAnisotropicFiltering.Set"}),
              (std::vector<std::string>{"IADLX3DAnisotropicFiltering.SetEnabled false",
                                        "IADLX3DAnisotropicFiltering.SetLevel 16"}));
}

TEST_F(ListFeatureTest, VSyncShowsAndSendsTheDriversMode) {
    Start(R"({"gpus": [{"vsync": {"mode": 3}}]})");
    EXPECT_TRUE(Enabled(kGraphicsPage, 1055));
    EXPECT_EQ(Selected(kGraphicsPage, 1055), QStringLiteral("Always on"));
    Choose(kGraphicsPage, 1055, 0);
    ClearTrace();
    PressSet();
    EXPECT_EQ(Sent({"IADLX3DWaitForVerticalRefresh."}),
              (std::vector<std::string>{"IADLX3DWaitForVerticalRefresh.SetMode 0",
                                        "IADLX3DWaitForVerticalRefresh.GetMode"}));
    EXPECT_EQ(DriverValue("gpu0.vsync.mode"), "0");
}

// One list at a time left without a selection: its setter gets the default.
struct EmptyListCase {
    int list;
    std::string sent;
};

class EmptyListTest : public GraphicsTest, public ::testing::WithParamInterface<EmptyListCase> {};

TEST_P(EmptyListTest, NothingSelectedSendsTheDefault) {
    const EmptyListCase& c = GetParam();
    // Both modes at the override so the levels are sent.
    Start(R"({"gpus": [{"antiAliasing": {"mode": 2, "level": 8, "method": 1}, "vsync": {"mode": 3},
                        "anisotropic": {"level": 8}, "tessellation": {"mode": 2, "level": 16}}]})");
    Dlg().Combo(kGraphicsPage, c.list)->setCurrentIndex(-1);
    ClearTrace();
    PressSet();
    const std::string setter = c.sent.substr(0, c.sent.rfind(' '));
    EXPECT_EQ(Sent({setter + " "}), std::vector<std::string>{c.sent});
}

INSTANTIATE_TEST_SUITE_P(Graphics, EmptyListTest,
                         ::testing::Values(EmptyListCase{1055, "IADLX3DWaitForVerticalRefresh.SetMode 0"},
                                           EmptyListCase{1056, "IADLX3DAntiAliasing.SetMode 0"},
                                           EmptyListCase{1057, "IADLX3DAntiAliasing.SetLevel 0"},
                                           EmptyListCase{1058, "IADLX3DAntiAliasing.SetMethod 0"},
                                           EmptyListCase{1061, "IADLX3DAnisotropicFiltering.SetLevel 0"},
                                           EmptyListCase{1062, "IADLX3DTessellation.SetMode 0"},
                                           EmptyListCase{1063, "IADLX3DTessellation.SetLevel 1"}),
                         [](const auto& info) { return std::to_string(info.param.list); });

// The driver reports a value the list has no label for.
struct UnlabelledValueCase {
    const char* name;
    std::string driverKey;
    int value;
    int list;
    int expectedPosition;  // -1: the user's earlier choice stays
    int levelList;         // the level list whose enabled state the read must leave alone
};

std::ostream& operator<<(std::ostream& os, const UnlabelledValueCase& c) { return os << c.name; }

class UnlabelledValueTest : public GraphicsTest, public ::testing::WithParamInterface<UnlabelledValueCase> {};

TEST_P(UnlabelledValueTest, KeepsTheSelectionExceptLevelZero) {
    const UnlabelledValueCase& c = GetParam();
    Start(R"({"gpus": [{"antiAliasing": {"mode": 2}, "tessellation": {"mode": 2}}]})");
    // From both sides: for a mode list, position 1 locks its level list and position 2 (the
    // override) unlocks it, so a read that set the level list from an unknown mode shows up either way.
    for (const int chosen : {1, 2}) {
        SCOPED_TRACE(chosen);
        Choose(kGraphicsPage, c.list, chosen);
        const bool levelListEnabled = Enabled(kGraphicsPage, c.levelList);
        SetDriver(c.driverKey, std::to_string(c.value));
        Dlg().ReadPage(kGraphicsPage);
        EXPECT_EQ(Selection(kGraphicsPage, c.list), c.expectedPosition < 0 ? chosen : c.expectedPosition);
        // An unknown mode leaves its level list as it was.
        EXPECT_EQ(Enabled(kGraphicsPage, c.levelList), levelListEnabled);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Graphics, UnlabelledValueTest,
    ::testing::Values(UnlabelledValueCase{"VSync", "gpu0.vsync.mode", 9, 1055, -1, 1057},
                      UnlabelledValueCase{"AntiAliasingMode", "gpu0.antiAliasing.mode", 5, 1056, -1, 1057},
                      UnlabelledValueCase{"AntiAliasingLevel", "gpu0.antiAliasing.level", 7, 1057, -1, 1057},
                      UnlabelledValueCase{"AntiAliasingLevelZero", "gpu0.antiAliasing.level", 0, 1057, 0, 1057},
                      UnlabelledValueCase{"AntiAliasingMethod", "gpu0.antiAliasing.method", 7, 1058, -1, 1057},
                      UnlabelledValueCase{"AnisotropicLevel", "gpu0.anisotropic.level", 3, 1061, -1, 1057},
                      UnlabelledValueCase{"AnisotropicLevelZero", "gpu0.anisotropic.level", 0, 1061, 0, 1057},
                      UnlabelledValueCase{"TessellationMode", "gpu0.tessellation.mode", 9, 1062, -1, 1063},
                      UnlabelledValueCase{"TessellationLevel", "gpu0.tessellation.level", 3, 1063, -1, 1063},
                      // 0 is no tessellation level, and only the two other level lists treat it as their first.
                      UnlabelledValueCase{"TessellationLevelZero", "gpu0.tessellation.level", 0, 1063, -1, 1063}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListFeatureTest, UnlabelledVSyncModeKeepsTheChoiceAndTheNextApplySendsIt) {
    Start();
    Choose(kGraphicsPage, 1055, 2);
    SetDriver("gpu0.vsync.mode", "9");
    Dlg().ReadPage(kGraphicsPage);
    EXPECT_EQ(Selected(kGraphicsPage, 1055), QStringLiteral("On, unless application specifies"));
    ClearTrace();
    PressSet();
    EXPECT_EQ(Sent({"IADLX3DWaitForVerticalRefresh.SetMode"}),
              std::vector<std::string>{"IADLX3DWaitForVerticalRefresh.SetMode 2"});
}

// A driver that cannot be asked: the lists show the defaults; one that cannot be reached gets nothing.
TEST_F(ListFeatureTest, FailingGettersShowTheDefaultsAndUnobtainableFeaturesSkipTheirSetters) {
    Start(R"({"gpus": [{"vsync": {"mode": 3}, "tessellation": {"mode": 2, "level": 16}}]})");
    Sim().Fault("IADLX3DWaitForVerticalRefresh.GetMode");
    Sim().Fault("IADLX3DTessellation.GetLevel");
    Dlg().ReadPage(kGraphicsPage);
    EXPECT_EQ(Selected(kGraphicsPage, 1055), QStringLiteral("Always off"));
    EXPECT_EQ(Selected(kGraphicsPage, 1063), QStringLiteral("Off"));

    Sim().ClearFaults();
    Sim().Fault("IADLX3DSettingsServices.GetWaitForVerticalRefresh");
    Sim().Fault("IADLX3DSettingsServices.GetTessellation");
    ClearTrace();
    Dlg().ApplyPage(kGraphicsPage);
    EXPECT_TRUE(Sent({"IADLX3DWaitForVerticalRefresh.", "IADLX3DTessellation."}).empty());
    EXPECT_EQ(DriverValue("gpu0.vsync.mode"), "3");
}

// Each feature stands on its own support.
TEST_F(ListFeatureTest, TessellationAndAnisotropicLevelWorkWithoutAntiAliasing) {
    Start(R"({"gpus": [{"antiAliasing": {"supported": false}, "tessellation": {"mode": 2, "level": 16},
                        "anisotropic": {"level": 4}}]})");
    EXPECT_EQ(Dlg().m_antiAliasingSupported, 0);
    for (const int id : {1056, 1057, 1058}) EXPECT_FALSE(Enabled(kGraphicsPage, id)) << id;
    EXPECT_EQ(Selected(kGraphicsPage, 1063), QStringLiteral("16X"));
    EXPECT_EQ(Selected(kGraphicsPage, 1061), QStringLiteral("4X"));
    Choose(kGraphicsPage, 1063, 7);
    Choose(kGraphicsPage, 1061, 3);
    ClearTrace();
    PressSet();
    EXPECT_TRUE(Sent({"IADLX3DAntiAliasing."}).empty());
    EXPECT_EQ(Sent({"IADLX3DTessellation.SetLevel", "IADLX3DAnisotropicFiltering.SetLevel"}),
              (std::vector<std::string>{"IADLX3DAnisotropicFiltering.SetLevel 16", "IADLX3DTessellation.SetLevel 64"}));
    EXPECT_EQ(Selected(kGraphicsPage, 1063), QStringLiteral("64X"));
}

// Lists of an unsupported feature keep what the earlier GPU filled in, disabled.
TEST_F(ListFeatureTest, GpuWithoutTessellationKeepsTheListsItemsDisabled) {
    Start();
    const QStringList modes = Items(kGraphicsPage, 1062);
    const QStringList levels = Items(kGraphicsPage, 1063);
    ASSERT_FALSE(levels.isEmpty());
    ClearTrace();
    auto* selector = qobject_cast<QComboBox*>(Dlg().MainControl(1000));
    selector->setCurrentIndex(1);
    emit selector->activated(1);
    EXPECT_EQ(Dlg().m_tessellationSupported, 0);
    EXPECT_FALSE(Enabled(kGraphicsPage, 1062));
    EXPECT_FALSE(Enabled(kGraphicsPage, 1063));
    EXPECT_EQ(Items(kGraphicsPage, 1062), modes);
    EXPECT_EQ(Items(kGraphicsPage, 1063), levels);
    EXPECT_TRUE(Sent({"IADLX3DTessellation.Get"}).empty());
    EXPECT_EQ(Dlg().ReadTessellationLevel(), ADLX_NOT_SUPPORTED);
    EXPECT_EQ(Dlg().ApplyTessellationMode(), ADLX_NOT_SUPPORTED);
}
