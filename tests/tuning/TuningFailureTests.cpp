// SPDX-License-Identifier: GPL-3.0-or-later
// What the user sees when the driver fails a call or withholds an interface, and what Reset brings
// back.

#include <QStringList>

#include "TuningFixture.h"

namespace {

class TuningFailures : public TuningTest {};

struct FailedGetter {
    const char* fault;
    int page;
    int id;
    const char* shown;
};

TEST_F(TuningFailures, AFailedGetterShowsTheValueZeroInItsOwnForm) {
    for (const FailedGetter c : {
             FailedGetter{"IADLXManualGraphicsTuning2.GetGPUMinFrequency", kTuningPage, 1007, "0"},
             FailedGetter{"IADLXManualGraphicsTuning2.GetGPUMaxFrequency", kTuningPage, 1008, "0"},
             FailedGetter{"IADLXManualGraphicsTuning2.GetGPUVoltage", kTuningPage, 1011, "0"},
             FailedGetter{"IADLXManualVRAMTuning2.GetMaxVRAMFrequency", kTuningPage, 1010, "0"},
             FailedGetter{"IADLXManualPowerTuning.GetPowerLimit", kTuningPage, 1012, "100"},
             FailedGetter{"IADLXManualPowerTuning.GetTDCLimit", kTuningPage, 1014, "100"},
             FailedGetter{"IADLXManualFanTuningState.GetFanSpeed", kFanPage, 1027, "0"},
             FailedGetter{"IADLXManualFanTuningState.GetTemperature", kFanPage, 1028, "0"},
             FailedGetter{"IADLXManualFanTuning.GetFanTuningStates", kFanPage, 1023, "0"},
         }) {
        SCOPED_TRACE(c.fault);
        StartWith(Gpus({R"({"power":{"powerLimit":10,"tdcLimit":-10}})"}));
        Sim().Fault(c.fault);
        ChooseGpu(0);
        EXPECT_EQ(Text(c.page, c.id), c.shown);
    }
}

TEST_F(TuningFailures, AFailedTimingQuerySelectsTheDefaultLevel) {
    StartWith(Gpus({R"({"vram":{"timings":[2,0,1],"timing":1}})"}));
    EXPECT_EQ(Selected(kTuningPage, 1013), "Fast Timing");
    Sim().Fault("IADLXManualVRAMTuning2.GetMemoryTimingDescription");
    Dlg().ReadPage(kTuningPage);
    EXPECT_EQ(Selected(kTuningPage, 1013), "Default");
}

TEST_F(TuningFailures, AFanInterfaceWithheldAtSelectionMakesTheCurveAndZeroRpmUnsupported) {
    StartWith();
    Sim().Fault("QueryInterface:IADLXManualFanTuning");
    SetText(kFanPage, 1023, "77");
    ClearTrace();
    ChooseGpu(0);
    // The driver said the GPU has fan tuning, but a curve that cannot be reached is not editable:
    // an enabled edit would take the user's values and send them nowhere.
    EXPECT_EQ(Dlg().m_fanTuningSupported, 0);
    for (const int id : {1023, 1024, 1031, 1032, 1035}) EXPECT_FALSE(Enabled(kFanPage, id)) << id;
    EXPECT_EQ(Text(kFanPage, 1023), "77");
    EXPECT_TRUE(CallsOn("IADLXManualFanTuning").empty());
}

struct Withheld {
    const char* fault;
    int page;
    int id;             // an edit or box the operation would write
    const char* calls;  // the interface that must see no call
};

// The support flags were set while the interface was still there; from then on the driver withholds
// it, and every read and apply must call nothing and change nothing.
TEST_F(TuningFailures, AWithheldInterfaceMakesReadsAndAppliesCallNothingAndChangeNothing) {
    for (const Withheld c : {
             Withheld{"QueryInterface:IADLXManualGraphicsTuning2", kTuningPage, 1008, "IADLXManualGraphicsTuning2."},
             Withheld{"IADLXGPUTuningServices.GetManualGFXTuning", kTuningPage, 1008, "IADLXManualGraphicsTuning2."},
             Withheld{"QueryInterface:IADLXManualVRAMTuning2", kTuningPage, 1010, "IADLXManualVRAMTuning2."},
             Withheld{"QueryInterface:IADLXManualPowerTuning", kTuningPage, 1012, "IADLXManualPowerTuning."},
             Withheld{"IADLXGPUTuningServices.GetManualPowerTuning", kTuningPage, 1014, "IADLXManualPowerTuning."},
             Withheld{"IADLXGPUTuningServices1.GetSmartAccessMemory", kTuningPage, 1015, "IADLXSmartAccessMemory."},
             Withheld{"QueryInterface:IADLXManualFanTuning", kFanPage, 1023, "IADLXManualFanTuning"},
             Withheld{"IADLXGPUTuningServices.GetManualFanTuning", kFanPage, 1023, "IADLXManualFanTuning"},
         }) {
        SCOPED_TRACE(c.fault);
        StartWith();
        const bool box = c.id == 1015;
        if (box) {
            SetChecked(c.page, c.id, false);
        } else {
            SetText(c.page, c.id, "77");
        }
        Sim().Fault(c.fault);
        ClearTrace();
        ShowPage(c.page);
        Press(1002);
        Press(1006);
        EXPECT_TRUE(CallsOn(c.calls).empty());
        EXPECT_TRUE(prompts.sleeps.empty());
        if (box) {
            EXPECT_FALSE(Checked(c.page, c.id));
        } else {
            EXPECT_EQ(Text(c.page, c.id), "77");
        }
        CloseWindow();
        const SimAudit audit = Sim().Audit();
        EXPECT_EQ(audit.live, 0) << audit.text;
    }
}

TEST_F(TuningFailures, ResetAfterChangesShowsTheFactoryValuesOnEveryTuningControl) {
    // Every value at its factory setting to begin with, as the card leaves the factory.
    StartWith(Gpus({R"({"gfx":{"minFrequency":{"value":500,"default":500},"maxFrequency":{"value":2500,"default":2500},
                              "voltage":{"value":1150,"default":1150}},
                       "vram":{"maxFrequency":{"value":2500,"default":2500},"timings":[0,1,2],"timing":0,
                               "timingDefault":0},
                       "power":{"powerLimit":{"value":0,"default":0},"tdcLimit":{"value":0,"default":0}},
                       "sam":{"enabled":true,"default":true},
                       "fan":{"curve":[[25,40],[40,55],[60,70],[80,80],[100,90]],"zeroRpm":true,
                              "zeroRpmDefault":true}})"}));
    SetText(kTuningPage, 1007, "800");
    SetText(kTuningPage, 1008, "2700");
    SetText(kTuningPage, 1011, "1100");
    SetText(kTuningPage, 1010, "2600");
    Choose(kTuningPage, 1013, 1);
    SetText(kTuningPage, 1012, "110");
    SetText(kTuningPage, 1014, "80");
    SetChecked(kTuningPage, 1015, false);
    const QStringList speeds{"30", "45", "65", "85", "100"};
    const QStringList temperatures{"45", "60", "75", "85", "95"};
    for (int k = 0; k < 5; ++k) {
        SetText(kFanPage, 1023 + 2 * k, speeds[k]);
        SetText(kFanPage, 1024 + 2 * k, temperatures[k]);
    }
    SetChecked(kFanPage, 1035, false);
    Press(1006);

    // The driver kept every change.
    EXPECT_EQ(Text(kTuningPage, 1007), "800");
    EXPECT_EQ(Text(kTuningPage, 1008), "2700");
    EXPECT_EQ(Text(kTuningPage, 1011), "1100");
    EXPECT_EQ(Text(kTuningPage, 1010), "2600");
    EXPECT_EQ(Selected(kTuningPage, 1013), "Fast Timing");
    EXPECT_EQ(Text(kTuningPage, 1012), "110");
    EXPECT_EQ(Text(kTuningPage, 1014), "80");
    EXPECT_FALSE(Checked(kTuningPage, 1015));
    EXPECT_EQ(Text(kFanPage, 1027), "65");
    EXPECT_FALSE(Checked(kFanPage, 1035));

    Press(1003);
    EXPECT_EQ(Text(kTuningPage, 1007), "500");
    EXPECT_EQ(Text(kTuningPage, 1008), "2500");
    EXPECT_EQ(Text(kTuningPage, 1011), "1150");
    EXPECT_EQ(Text(kTuningPage, 1010), "2500");
    EXPECT_EQ(Selected(kTuningPage, 1013), "Default");
    EXPECT_EQ(Text(kTuningPage, 1012), "100");
    EXPECT_EQ(Text(kTuningPage, 1014), "100");
    EXPECT_TRUE(Checked(kTuningPage, 1015));
    const QStringList factorySpeeds{"25", "40", "60", "80", "100"};
    const QStringList factoryTemperatures{"40", "55", "70", "80", "90"};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(Text(kFanPage, 1023 + 2 * k), factorySpeeds[k]);
        EXPECT_EQ(Text(kFanPage, 1024 + 2 * k), factoryTemperatures[k]);
    }
    EXPECT_TRUE(Checked(kFanPage, 1035));
}

}  // namespace
