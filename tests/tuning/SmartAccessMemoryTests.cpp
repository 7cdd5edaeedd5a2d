// SPDX-License-Identifier: GPL-3.0-or-later
// Smart Access Memory: a change is followed by a twelve-second countdown in the status line, during
// which the thread sleeps and no message is handled.

#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include "TuningFixture.h"

namespace {

class SmartAccessMemory : public TuningTest {
protected:
    QLabel* Status() { return qobject_cast<QLabel*>(Dlg().MainControl(1100)); }
    // What the screen shows of the status line now: the window's last painted content, which
    // only changes when the window really paints, never by rendering it on request.
    QImage ShownStatusLine() {
        const QRect area(Status()->mapTo(&Dlg(), QPoint(0, 0)), Status()->size());
        return QGuiApplication::primaryScreen()->grabWindow(Dlg().winId()).toImage().copy(area);
    }
};

TEST_F(SmartAccessMemory, ABoxThatMatchesTheDriverReturnsAtOnceWithoutACountdown) {
    StartWith();
    EXPECT_TRUE(Checked(kTuningPage, 1015));
    ClearTrace();
    Press(1002);
    EXPECT_TRUE(prompts.sleeps.empty());
    EXPECT_TRUE(CallsOn("IADLXSmartAccessMemory.SetEnabled").empty());
    EXPECT_TRUE(Status()->isHidden());
}

TEST_F(SmartAccessMemory, AChangedBoxCountsDownTwelveSecondsOnScreenBeforeAnythingIsReadBack) {
    StartWith();
    Dlg().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dlg()));
    const QImage hidden = ShownStatusLine();

    struct Second {
        bool visible;
        QString text;
        QImage shown;
        std::size_t readsSoFar;
    };
    std::vector<Second> seconds;
    prompts.onSleep = [&](int) {
        seconds.push_back({!Status()->isHidden(), Status()->text(), ShownStatusLine(),
                           CallsOn("IADLXManualGraphicsTuning2.Get").size()});
    };
    SetChecked(kTuningPage, 1015, false);
    ClearTrace();
    Press(1002);

    EXPECT_EQ(prompts.sleeps, std::vector<int>(12, 1000));
    ASSERT_EQ(seconds.size(), 12u);
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(seconds[i].visible);
        EXPECT_EQ(seconds[i].text, QStringLiteral("SAM... %1").arg(12 - i));
        EXPECT_EQ(seconds[i].readsSoFar, 0u) << "the page is read back only after the countdown";
        EXPECT_NE(seconds[i].shown, hidden) << "the line must be painted while the thread sleeps";
        if (i > 0) {
            EXPECT_NE(seconds[i].shown, seconds[i - 1].shown) << "each second paints its own text";
        }
    }
    EXPECT_TRUE(Status()->isHidden());
    EXPECT_EQ(Status()->text(), "SAM... 1");
    EXPECT_EQ(CallsOn("IADLXSmartAccessMemory.SetEnabled"),
              (std::vector<std::string>{"IADLXSmartAccessMemory.SetEnabled false -> 0"}));
    EXPECT_FALSE(CallsOn("IADLXManualGraphicsTuning2.Get").empty());
    EXPECT_FALSE(Checked(kTuningPage, 1015));

    // What was painted during the sleeps is what the line looks like when painted normally.
    prompts.onSleep = nullptr;
    for (const int n : {12, 1}) {
        Status()->setText(QStringLiteral("SAM... %1").arg(n));
        Status()->show();
        QTest::qWait(50);
        EXPECT_EQ(ShownStatusLine(), seconds[static_cast<std::size_t>(12 - n)].shown) << n;
    }
}

TEST_F(SmartAccessMemory, AFailedStateQueryCountsAsOffSoATickedBoxSwitchesItOn) {
    StartWith();
    Sim().Fault("IADLXSmartAccessMemory.IsEnabled");
    ChooseGpu(0);
    EXPECT_FALSE(Checked(kTuningPage, 1015));
    SetChecked(kTuningPage, 1015, true);
    ClearTrace();
    Press(1002);
    EXPECT_EQ(CallsOn("IADLXSmartAccessMemory.SetEnabled"),
              (std::vector<std::string>{"IADLXSmartAccessMemory.SetEnabled true -> 0"}));
    EXPECT_EQ(prompts.sleeps.size(), 12u);
}

TEST_F(SmartAccessMemory, OnAGpuWithoutItTheBoxStaysUsableButNothingIsSentOrCounted) {
    StartWith(Gpus({"{}", R"({"sam":{"supported":false,"enabled":false}})"}));
    ChooseGpu(1);
    EXPECT_TRUE(Enabled(kTuningPage, 1015));
    EXPECT_TRUE(Checked(kTuningPage, 1015)) << "what the first GPU left";
    SetChecked(kTuningPage, 1015, false);
    ClearTrace();
    Press(1002);
    Press(1006);
    EXPECT_TRUE(CallsOn("IADLXSmartAccessMemory.").empty());
    EXPECT_TRUE(prompts.sleeps.empty());
    EXPECT_FALSE(Checked(kTuningPage, 1015));
}

}  // namespace
