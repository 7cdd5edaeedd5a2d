// SPDX-License-Identifier: GPL-3.0-or-later
// Anti-Lag and its Anti-Lag+ level: " Anti-Lag +" (1054) starts hidden, yet reads set it and
// applies use it.

#include "GraphicsTest.h"

namespace {

struct AntiLagCase {
    const char* name;
    bool enabled;
    int level;
    bool levelSupported;
    bool plusCheckedBefore;  // what the hidden box held before the read
    bool antiLagShown;
    bool plusShown;
    std::vector<std::string> sentBySet;  // Set pressed without changes
};

std::ostream& operator<<(std::ostream& os, const AntiLagCase& c) { return os << c.name; }

const std::vector<AntiLagCase> kCases = {
    {"OnAtLevelOne", true, 1, true, false, true, true,
     {"IADLX3DAntiLag.SetEnabled true", "IADLX3DAntiLag1.SetLevel 1"}},
    {"OnAtLevelZero", true, 0, true, true, true, false,
     {"IADLX3DAntiLag.SetEnabled true", "IADLX3DAntiLag1.SetLevel 0"}},
    // Switched off: the driver's level stays as it was.
    {"Off", false, 1, true, true, false, false, {"IADLX3DAntiLag.SetEnabled false"}},
    // Without Anti-Lag+ the read leaves the box alone while Anti-Lag is on, and no level is written.
    {"OnWithoutLevelSupport", true, 0, false, true, true, true, {"IADLX3DAntiLag.SetEnabled true"}},
    {"OffWithoutLevelSupport", false, 0, false, true, false, false, {"IADLX3DAntiLag.SetEnabled false"}},
};

class AntiLagTest : public GraphicsTest, public ::testing::WithParamInterface<AntiLagCase> {};

TEST_P(AntiLagTest, ReadShowsBothBoxesAndSetWritesBackWhatTheDriverHad) {
    const AntiLagCase& c = GetParam();
    Start();
    SetDriver("gpu0.antiLag.levelSupported", c.levelSupported ? "true" : "false");
    Dlg().SelectGpu(0);
    SetDriver("gpu0.antiLag.enabled", c.enabled ? "true" : "false");
    SetDriver("gpu0.antiLag.level", std::to_string(c.level));
    SetChecked(kGraphicsPage, 1054, c.plusCheckedBefore);

    EXPECT_EQ(Dlg().ReadAntiLag(), ADLX_OK);
    EXPECT_EQ(Checked(kGraphicsPage, 1045), c.antiLagShown);
    EXPECT_EQ(Checked(kGraphicsPage, 1054), c.plusShown);
    EXPECT_FALSE(Visible(kGraphicsPage, 1054));
    EXPECT_EQ(Enabled(kGraphicsPage, 1054), c.levelSupported);

    ClearTrace();
    PressSet();
    EXPECT_EQ(Sent({"IADLX3DAntiLag.Set", "IADLX3DAntiLag1.Set"}), c.sentBySet);
    EXPECT_EQ(DriverValue("gpu0.antiLag.level"), std::to_string(c.level));
}

INSTANTIATE_TEST_SUITE_P(Graphics, AntiLagTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

class AntiLagLevelTest : public GraphicsTest {};

// The user asks for Anti-Lag+ through the hidden box's state: checking it also checks Anti-Lag.
TEST_F(AntiLagLevelTest, CheckingAntiLagPlusSwitchesBothOnInTheDriver) {
    Start();
    ASSERT_FALSE(Checked(kGraphicsPage, 1045));
    Click(kGraphicsPage, 1054);
    EXPECT_TRUE(Checked(kGraphicsPage, 1045));
    ClearTrace();
    PressSet();
    EXPECT_EQ(Sent({"IADLX3DAntiLag.Set", "IADLX3DAntiLag1.Set"}),
              (std::vector<std::string>{"IADLX3DAntiLag.SetEnabled true", "IADLX3DAntiLag1.SetLevel 1"}));
    EXPECT_TRUE(Checked(kGraphicsPage, 1045));
    EXPECT_TRUE(Checked(kGraphicsPage, 1054));
}

// A runtime that refuses the newer interface: the level is neither supported, read nor written.
TEST_F(AntiLagLevelTest, RefusedLevelInterfaceMeansNoLevel) {
    Start();
    Sim().Fault("QueryInterface:IADLX3DAntiLag1");
    SetDriver("gpu0.antiLag.enabled", "true");
    SetDriver("gpu0.antiLag.level", "1");
    Dlg().SelectGpu(0);
    EXPECT_EQ(Dlg().m_antiLagLevelSupported, 0);
    EXPECT_FALSE(Enabled(kGraphicsPage, 1054));
    EXPECT_TRUE(Enabled(kGraphicsPage, 1045));

    // Supported as far as the program knew, but the query fails at read and apply time.
    Dlg().m_antiLagLevelSupported = 1;
    SetChecked(kGraphicsPage, 1054, false);
    Dlg().ReadAntiLag();
    EXPECT_TRUE(Checked(kGraphicsPage, 1045));
    EXPECT_FALSE(Checked(kGraphicsPage, 1054));
    ClearTrace();
    SetChecked(kGraphicsPage, 1054, true);
    Dlg().ApplyAntiLag();
    EXPECT_EQ(Sent({"IADLX3DAntiLag.Set", "IADLX3DAntiLag1.Set"}),
              std::vector<std::string>{"IADLX3DAntiLag.SetEnabled true"});
}

// A level the driver cannot tell reads as plain Anti-Lag; an unknown state reads as off, with the
// level box cleared too.
TEST_F(AntiLagLevelTest, FailedGettersReadAsTheLowerSetting) {
    Start(kAllOnScenario);
    ASSERT_EQ(DriverValue("gpu0.antiLag.level"), "1");
    SetChecked(kGraphicsPage, 1045, false);
    SetChecked(kGraphicsPage, 1054, true);
    Sim().Fault("IADLX3DAntiLag1.GetLevel");
    ClearTrace();
    EXPECT_EQ(Dlg().ReadAntiLag(), ADLX_OK);
    ASSERT_EQ(Calls({"IADLX3DAntiLag1.GetLevel"}), std::vector<std::string>{"IADLX3DAntiLag1.GetLevel -> 3"});
    EXPECT_TRUE(Checked(kGraphicsPage, 1045));
    EXPECT_FALSE(Checked(kGraphicsPage, 1054));

    Sim().ClearFaults();
    SetChecked(kGraphicsPage, 1045, true);
    SetChecked(kGraphicsPage, 1054, true);
    Sim().Fault("IADLX3DAntiLag.IsEnabled");
    ClearTrace();
    EXPECT_EQ(Dlg().ReadAntiLag(), ADLX_OK);
    ASSERT_EQ(Calls({"IADLX3DAntiLag.IsEnabled"}), std::vector<std::string>{"IADLX3DAntiLag.IsEnabled -> 3"});
    EXPECT_FALSE(Checked(kGraphicsPage, 1045));
    EXPECT_FALSE(Checked(kGraphicsPage, 1054));
}
