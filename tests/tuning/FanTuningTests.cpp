// SPDX-License-Identifier: GPL-3.0-or-later
// The fan curve of five points and zero RPM; the driver decides how many points a curve has and
// whether a curve may be set.

#include "TuningFixture.h"

namespace {

class FanTuning : public TuningTest {
protected:
    QStringList Speeds() {
        QStringList texts;
        for (int k = 0; k < 5; ++k) texts << Text(kFanPage, 1023 + 2 * k);
        return texts;
    }
    QStringList Temperatures() {
        QStringList texts;
        for (int k = 0; k < 5; ++k) texts << Text(kFanPage, 1024 + 2 * k);
        return texts;
    }
    void EnterCurve(const QStringList& speeds, const QStringList& temperatures) {
        for (int k = 0; k < 5; ++k) {
            SetText(kFanPage, 1023 + 2 * k, speeds[k]);
            SetText(kFanPage, 1024 + 2 * k, temperatures[k]);
        }
    }
    void SetOnFanPage() {
        ShowPage(kFanPage);
        Press(1002);
    }
};

TEST_F(FanTuning, FivePointsAreShownAsSpeedAndTemperatureRowsAndSetAfterValidation) {
    StartWith(Gpus({R"({"fan":{"curve":[[20,30],[35,50],[55,65],[75,75],[95,85]],"zeroRpm":true}})"}));
    EXPECT_EQ(Speeds(), (QStringList{"20", "35", "55", "75", "95"}));
    EXPECT_EQ(Temperatures(), (QStringList{"30", "50", "65", "75", "85"}));
    EXPECT_TRUE(Checked(kFanPage, 1035));

    EnterCurve({"30", "40", "60", "80", "100"}, {"35", "50", "60", "70", "90"});
    SetChecked(kFanPage, 1035, false);
    ClearTrace();
    SetOnFanPage();
    EXPECT_EQ(MethodsOn("IADLXManualFanTuning."),
              (std::vector<std::string>{"IADLXManualFanTuning.GetEmptyFanTuningStates",
                                        "IADLXManualFanTuning.IsValidFanTuningStates",
                                        "IADLXManualFanTuning.SetFanTuningStates",
                                        "IADLXManualFanTuning.SetZeroRPMState",
                                        "IADLXManualFanTuning.GetFanTuningStates",
                                        "IADLXManualFanTuning.GetZeroRPMState"}));
    EXPECT_EQ(DriverValue("gpu0.fan.curve"), "[[30,35],[40,50],[60,60],[80,70],[100,90]]");
    EXPECT_EQ(DriverValue("gpu0.fan.zeroRpm"), "false");
    EXPECT_EQ(Speeds(), (QStringList{"30", "40", "60", "80", "100"}));
    EXPECT_EQ(Temperatures(), (QStringList{"35", "50", "60", "70", "90"}));
    EXPECT_FALSE(Checked(kFanPage, 1035));
}

TEST_F(FanTuning, ADriverCurveOfThreePointsLeavesTheLastTwoRowsAtZeroAndUnsent) {
    StartWith(Gpus({R"({"fan":{"curve":[[30,40],[60,60],[90,80]]}})"}));
    EXPECT_EQ(Speeds(), (QStringList{"30", "60", "90", "0", "0"}));
    EXPECT_EQ(Temperatures(), (QStringList{"40", "60", "80", "0", "0"}));

    EnterCurve({"35", "65", "95", "99", "98"}, {"45", "65", "85", "97", "96"});
    ClearTrace();
    SetOnFanPage();
    EXPECT_EQ(CallsOn("IADLXManualFanTuningState.Set"),
              (std::vector<std::string>{"IADLXManualFanTuningState.SetFanSpeed 35 -> 0",
                                        "IADLXManualFanTuningState.SetTemperature 45 -> 0",
                                        "IADLXManualFanTuningState.SetFanSpeed 65 -> 0",
                                        "IADLXManualFanTuningState.SetTemperature 65 -> 0",
                                        "IADLXManualFanTuningState.SetFanSpeed 95 -> 0",
                                        "IADLXManualFanTuningState.SetTemperature 85 -> 0"}));
    EXPECT_EQ(DriverValue("gpu0.fan.curve"), "[[35,45],[65,65],[95,85]]");
    EXPECT_EQ(Speeds(), (QStringList{"35", "65", "95", "0", "0"}));
}

TEST_F(FanTuning, PointsBeyondTheFifthKeepTheDriversCurrentValues) {
    StartWith(Gpus({R"({"fan":{"defaultCurve":[[20,30],[30,40],[40,50],[50,60],[60,70],[70,80],[80,90]],
                              "curve":[[25,35],[35,45],[45,55],[55,65],[65,75],[75,85],[85,95]]}})"}));
    EXPECT_EQ(Speeds(), (QStringList{"25", "35", "45", "55", "65"}));
    SetText(kFanPage, 1023, "30");
    SetOnFanPage();
    EXPECT_EQ(DriverValue("gpu0.fan.curve"), "[[30,35],[35,45],[45,55],[55,65],[65,75],[75,85],[85,95]]");
}

TEST_F(FanTuning, ARefusedCurveIsNotSetButZeroRpmIsStillApplied) {
    StartWith();
    const QStringList speeds = Speeds();
    const QStringList temperatures = Temperatures();
    EXPECT_TRUE(Checked(kFanPage, 1035));

    // Temperatures falling from the third point on.
    EnterCurve({"30", "40", "60", "80", "100"}, {"60", "70", "50", "80", "90"});
    SetChecked(kFanPage, 1035, false);
    ClearTrace();
    SetOnFanPage();
    EXPECT_EQ(CallsOn("IADLXManualFanTuning.IsValidFanTuningStates"),
              (std::vector<std::string>{"IADLXManualFanTuning.IsValidFanTuningStates list -> 4 2"}));
    EXPECT_TRUE(CallsOn("IADLXManualFanTuning.SetFanTuningStates").empty());
    EXPECT_EQ(CallsOn("IADLXManualFanTuning.SetZeroRPMState"),
              (std::vector<std::string>{"IADLXManualFanTuning.SetZeroRPMState false -> 0"}));
    // The read that follows shows the driver's unchanged curve.
    EXPECT_EQ(Speeds(), speeds);
    EXPECT_EQ(Temperatures(), temperatures);
    EXPECT_FALSE(Checked(kFanPage, 1035));
}

TEST_F(FanTuning, WithoutZeroRpmTheBoxIsDisabledAndNeitherReadNorWritten) {
    StartWith(Gpus({R"({"fan":{"zeroRpmSupported":false,"zeroRpm":false,"zeroRpmDefault":false}})"}));
    EXPECT_TRUE(Enabled(kFanPage, 1023));
    EXPECT_FALSE(Enabled(kFanPage, 1035));
    SetChecked(kFanPage, 1035, true);
    SetText(kFanPage, 1031, "90");
    ClearTrace();
    SetOnFanPage();
    EXPECT_EQ(MethodsOn("IADLXManualFanTuning.SetFanTuningStates").size(), 1u);
    EXPECT_TRUE(CallsOn("IADLXManualFanTuning.SetZeroRPMState").empty());
    EXPECT_TRUE(CallsOn("IADLXManualFanTuning.GetZeroRPMState").empty());
    EXPECT_TRUE(Checked(kFanPage, 1035));
    EXPECT_EQ(Text(kFanPage, 1031), "90");
}

TEST_F(FanTuning, WithoutFanTuningTheEditsAreDisabledAndNothingIsAskedOrSent) {
    StartWith(Gpus({"{}", R"({"fan":{"supported":false}})"}));
    ChooseGpu(1);
    for (int id = 1023; id <= 1032; ++id) EXPECT_FALSE(Enabled(kFanPage, id)) << id;
    EXPECT_FALSE(Enabled(kFanPage, 1035));
    EXPECT_EQ(Text(kFanPage, 1023), "25") << "the first GPU's curve stays";
    ClearTrace();
    SetOnFanPage();
    Press(1006);
    EXPECT_TRUE(CallsOn("IADLXManualFanTuning").empty());
}

TEST_F(FanTuning, TheUnusedEditsStayHiddenAndUntouched) {
    StartWith();
    for (int id : {1033, 1034, 1036}) SetText(kFanPage, id, "keep");
    SetOnFanPage();
    Press(1003);
    for (int id : {1033, 1034, 1036}) {
        EXPECT_FALSE(Visible(kFanPage, id)) << id;
        EXPECT_EQ(Text(kFanPage, id), "keep") << id;
    }
}

}  // namespace
