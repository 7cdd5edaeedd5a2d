// SPDX-License-Identifier: GPL-3.0-or-later
// Power and TDC limits: driver offsets shown as percentages, 100 plus the offset.

#include "TuningFixture.h"

namespace {

class PowerTuning : public TuningTest {};

TEST_F(PowerTuning, TheDriversOffsetsAreShownAsOneHundredPlusTheOffset) {
    StartWith(Gpus({R"({"power":{"powerLimit":-10,"tdcLimit":0}})"}));
    EXPECT_EQ(Text(kTuningPage, 1012), "90");
    EXPECT_EQ(Text(kTuningPage, 1014), "100");
}

TEST_F(PowerTuning, TheEditsPercentagesAreSentAsOffsetsAndReadBack) {
    StartWith();
    SetText(kTuningPage, 1012, "115");
    SetText(kTuningPage, 1014, "95");
    ClearTrace();
    Press(1002);
    EXPECT_EQ(CallsOn("IADLXManualPowerTuning.Set"),
              (std::vector<std::string>{"IADLXManualPowerTuning.SetPowerLimit 15 -> 0",
                                        "IADLXManualPowerTuning.SetTDCLimit -5 -> 0"}));
    EXPECT_EQ(DriverValue("gpu0.power.powerLimit"), "15");
    EXPECT_EQ(Text(kTuningPage, 1012), "115");
    EXPECT_EQ(Text(kTuningPage, 1014), "95");

    // Beyond the card's range: refused, and the kept value comes back.
    SetText(kTuningPage, 1012, "130");
    Press(1002);
    EXPECT_EQ(Text(kTuningPage, 1012), "115");
    // An empty edit is 0 percent.
    SetText(kTuningPage, 1012, "");
    ClearTrace();
    Press(1002);
    EXPECT_EQ(CallsOn("IADLXManualPowerTuning.SetPowerLimit"),
              (std::vector<std::string>{"IADLXManualPowerTuning.SetPowerLimit -100 -> 4"}));
}

TEST_F(PowerTuning, WithoutTdcSupportTheTdcLimitIsAskedButNeverShownOrSent) {
    StartWith(Gpus({"{}", R"({"power":{"tdcSupported":false,"powerLimit":5}})"}));
    ClearTrace();
    ChooseGpu(1);
    EXPECT_TRUE(Enabled(kTuningPage, 1012));
    EXPECT_FALSE(Enabled(kTuningPage, 1014));
    EXPECT_EQ(Text(kTuningPage, 1012), "105");
    EXPECT_EQ(Text(kTuningPage, 1014), "100") << "the first GPU's value stays";
    EXPECT_EQ(MethodsOn("IADLXManualPowerTuning.GetTDCLimit").size(), 1u);

    SetText(kTuningPage, 1014, "80");
    ClearTrace();
    Press(1002);
    Press(1006);
    EXPECT_EQ(MethodsOn("IADLXManualPowerTuning.Set"),
              (std::vector<std::string>{"IADLXManualPowerTuning.SetPowerLimit", "IADLXManualPowerTuning.SetPowerLimit"}));
    EXPECT_EQ(Text(kTuningPage, 1014), "80");
}

TEST_F(PowerTuning, WithoutPowerTuningNothingIsAskedOrSent) {
    StartWith(Gpus({"{}", R"({"power":{"supported":false}})"}));
    ChooseGpu(1);
    EXPECT_FALSE(Enabled(kTuningPage, 1012));
    SetText(kTuningPage, 1012, "110");
    ClearTrace();
    Press(1002);
    EXPECT_TRUE(CallsOn("IADLXManualPowerTuning.").empty());
    EXPECT_EQ(Text(kTuningPage, 1012), "110");
}

TEST_F(PowerTuning, PercentagesAtTheEdgeOfTheNumberRangeStayAtTheEdgeInsteadOfWrappingRound) {
    StartWith(Gpus({R"({"power":{"powerLimit":{"value":2147483600,"min":-2147483648,"max":2147483647},
                                 "tdcLimit":{"value":0,"min":-2147483648,"max":2147483647}}})"}));
    EXPECT_EQ(Text(kTuningPage, 1012), "2147483647");
    SetText(kTuningPage, 1014, "-2147483648");
    ClearTrace();
    Press(1002);
    EXPECT_EQ(CallsOn("IADLXManualPowerTuning.SetTDCLimit"),
              (std::vector<std::string>{"IADLXManualPowerTuning.SetTDCLimit -2147483648 -> 0"}));
    EXPECT_EQ(Text(kTuningPage, 1014), "-2147483548");
}

}  // namespace
