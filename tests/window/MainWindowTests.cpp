// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: its commands, their sequences, the keys it swallows and the About box.

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "TachyonTest.h"
#include "ui/CAboutDlg.h"
#include "ui/CMyTabCtrl.h"
#include "ui/DialogPage.h"
#include "ui/PageNotify.h"
#include "ui/Prompts.h"

namespace {

// The position of the first and the last line of trace that starts with one of the prefixes.
std::pair<long, long> Span(const std::vector<std::string>& trace, const std::vector<std::string>& prefixes) {
    long first = -1, last = -1;
    for (long i = 0; i < static_cast<long>(trace.size()); ++i) {
        for (const std::string& prefix : prefixes) {
            if (trace[static_cast<std::size_t>(i)].rfind(prefix, 0) == 0) {
                if (first < 0) first = i;
                last = i;
            }
        }
    }
    return {first, last};
}

bool IsSetter(const std::string& line) {
    const std::size_t dot = line.find('.');
    return dot != std::string::npos && (line.compare(dot + 1, 3, "Set") == 0 || line.find(".Reset") != std::string::npos);
}

// Every edit's text on every page, to show that something changed nothing.
QStringList AllEditTexts(CTachyonDlg& dialog) {
    QStringList texts;
    for (int page = kTuningPage; page <= kDisplayPage; ++page) {
        for (QLineEdit* edit : dialog.Page(page)->findChildren<QLineEdit*>()) texts << edit->objectName() + "=" + edit->text();
    }
    return texts;
}

// The feature operations a trace shows, in order. Each operation fetches its feature's interface
// from a service and then makes its first call on it; that call names the operation.
std::vector<std::string> Operations(const std::vector<std::string>& calls) {
    const auto head = [](const std::string& line) { return line.substr(0, line.find(' ')); };
    std::vector<std::string> operations;
    for (std::size_t i = 0; i + 1 < calls.size(); ++i) {
        const std::string fetch = head(calls[i]);
        const std::size_t dot = fetch.find('.');
        if (fetch.find("Services") < dot && fetch.compare(dot + 1, 3, "Get") == 0) {
            operations.push_back(head(calls[i + 1]));
        }
    }
    return operations;
}

}  // namespace

class MainWindow : public TachyonTest {};

TEST_F(MainWindow, HasTheResourceControlsWithTheStatusLineHidden) {
    Start();
    EXPECT_EQ(Dlg().windowTitle(), "Tachyon");
    const std::vector<std::pair<int, QString>> buttons = {
        {1002, "Set"}, {1006, "+"}, {1003, "Reset"}, {1004, "Load"}, {1005, "Save"}, {1, "Exit"}};
    for (const auto& [id, label] : buttons) {
        auto* button = qobject_cast<QPushButton*>(Dlg().MainControl(id));
        ASSERT_NE(button, nullptr) << id;
        EXPECT_EQ(button->text(), label);
    }
    EXPECT_TRUE(qobject_cast<QPushButton*>(Dlg().MainControl(1))->isDefault());
    EXPECT_TRUE(Dlg().MainControl(1100)->isHidden());
    EXPECT_EQ(qobject_cast<QLabel*>(Dlg().MainControl(1100))->text(), "Text");
    EXPECT_TRUE(Visible(kTuningPage, 1007));
    for (const auto& [page, id] : std::vector<std::pair<int, int>>{
             {kTuningPage, 1009}, {kFanPage, 1033}, {kFanPage, 1034}, {kFanPage, 1036}}) {
        EXPECT_FALSE(Visible(page, id)) << id << " stays hidden for the life of the window";
    }
}

TEST_F(MainWindow, EnterAndEscapeNeitherCloseTheWindowNorPressAButton) {
    Start();
    Dlg().show();
    ClearTrace();
    const std::vector<QWidget*> targets = {Dlg().Control(kTuningPage, 1008), Dlg().MainControl(1000),
                                           Dlg().MainControl(1), Dlg().MainControl(1002), &Dlg()};
    for (QWidget* target : targets) {
        target->setFocus();
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) QTest::keyClick(target, key);
    }
    EXPECT_TRUE(Dlg().isVisible());
    EXPECT_EQ(Dlg().result(), 0);
    EXPECT_TRUE(Calls().empty()) << "no command ran";
}

TEST_F(MainWindow, AnUnknownPageNotificationChangesNothing) {
    Start();
    const QStringList before = AllEditTexts(Dlg());
    ClearTrace();
    EXPECT_EQ(SendPageNotify(Dlg().TabCtrl()->Page(kGraphicsPage), 7, 3), 0);
    EXPECT_EQ(Dlg().OnPageNotify(7, 3), 0);
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(AllEditTexts(Dlg()), before);
}

TEST_F(MainWindow, TheAboutEntryOpensTheAboutBoxWhoseOkClosesIt) {
    Start();
    QMenu* menu = Dlg().SystemMenu();
    ASSERT_NE(menu, nullptr);
    QAction* about = menu->findChild<QAction*>("16");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->text(), "&About Tachyon...");

    QString title;
    QStringList labels;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        for (QLabel* label : box->findChildren<QLabel*>()) labels << label->text();
        qobject_cast<QPushButton*>(box->findChild<QWidget*>("1"))->click();
    });
    about->trigger();
    EXPECT_EQ(title, "About Tachyon");
    EXPECT_TRUE(labels.contains("Tachyon  v1.1.5"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MainWindow, PlusAppliesTuningThenGraphicsThenDisplayThenFanAndThenReadsEverything) {
    Start();
    ClearTrace();
    Press(1006);
    const std::vector<std::string> trace = Calls();
    std::vector<std::string> writes;  // the apply half: setters and the curve's validation
    for (const std::string& line : trace) {
        if (IsSetter(line) || line.find(".IsValid") != std::string::npos) writes.push_back(line);
    }
    const auto tuning = Span(writes, {"IADLXManualGraphicsTuning2.Set", "IADLXManualVRAMTuning2.Set",
                                     "IADLXManualPowerTuning.Set", "IADLXSmartAccessMemory.Set"});
    const auto graphics = Span(writes, {"IADLX3D"});
    const auto display = Span(writes, {"IADLXDisplayFreeSync.Set", "IADLXDisplayVSR.Set", "IADLXDisplayGPUScaling.Set",
                                      "IADLXDisplayScalingMode.Set", "IADLXDisplayIntegerScaling.Set",
                                      "IADLXDisplayColorDepth.Set", "IADLXDisplayPixelFormat.Set"});
    const auto fan = Span(writes, {"IADLXManualFanTuning.Set", "IADLXManualFanTuning.IsValid"});
    ASSERT_GE(tuning.first, 0);
    ASSERT_GE(fan.first, 0);
    if (graphics.first >= 0) {
        EXPECT_LT(tuning.second, graphics.first);
    }
    if (display.first >= 0) {
        EXPECT_LT(tuning.second, display.first);
        if (graphics.first >= 0) {
            EXPECT_LT(graphics.second, display.first);
        }
    }
    EXPECT_LT(std::max({tuning.second, graphics.second, display.second}), fan.first);
    EXPECT_EQ(fan.second, static_cast<long>(writes.size()) - 1) << "the fan is the last thing applied";
    // Then everything is read back, after the last write.
    const auto lastFanWrite = Span(trace, {"IADLXManualFanTuning.Set"}).second;
    EXPECT_GT(Span(trace, {"IADLXManualGraphicsTuning2.GetGPUMinFrequency"}).second, lastFanWrite);
    EXPECT_GT(Span(trace, {"IADLXDisplayPixelFormat.GetValue"}).second, lastFanWrite);
}

TEST_F(MainWindow, SetAppliesAndReadsOnlyThePageShownAndKeepsOtherPagesEdits) {
    Start();
    SetText(kFanPage, 1023, "55");  // an unapplied edit on another page
    ShowPage(kTuningPage);
    ClearTrace();
    Press(1002);
    const std::vector<std::string> trace = Calls();
    EXPECT_GE(Span(trace, {"IADLXManualGraphicsTuning2.SetGPUMinFrequency"}).first, 0);
    EXPECT_EQ(Span(trace, {"IADLXManualFanTuning"}).first, -1) << "the fan page is not applied nor read";
    EXPECT_EQ(Span(trace, {"IADLX3D", "IADLXDisplay"}).first, -1);
    EXPECT_EQ(Text(kFanPage, 1023), "55");
}

TEST_F(MainWindow, ResetReturnsOnlyTheGpuTuningToFactoryWhateverPageIsShownAndReadsEverything) {
    Start();
    ShowPage(kDisplayPage);
    ClearTrace();
    Press(1003);
    const std::vector<std::string> trace = Calls();
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.front().rfind("IADLXGPUTuningServices.ResetToFactory gpu0 -> 0", 0), 0u) << trace.front();
    for (std::size_t i = 1; i < trace.size(); ++i) EXPECT_FALSE(IsSetter(trace[i])) << trace[i];
    EXPECT_GE(Span(trace, {"IADLXManualFanTuning.GetFanTuningStates"}).first, 0);
}

TEST_F(MainWindow, ResetWithoutTuningServicesResetsNothingAndStillReads) {
    Start();
    Sim().Fault("IADLXSystem.GetGPUTuningServices");
    Dlg().SelectGpu(0);
    ClearTrace();
    Press(1003);
    EXPECT_TRUE(Calls({"IADLXGPUTuningServices.ResetToFactory"}).empty());
}

TEST_F(MainWindow, ChoosingEntryPSelectsGpuPWhateverTheNamesOrder) {
    Start(R"({"gpus": [{"name": "Zeta"}, {"name": "Alpha"}]})");
    EXPECT_EQ(Dlg().findChild<QComboBox*>("1000")->itemText(0), "Zeta");
    ClearTrace();
    auto* selector = qobject_cast<QComboBox*>(Dlg().MainControl(1000));
    selector->setCurrentIndex(1);
    emit selector->activated(1);
    const std::vector<std::string> trace = Calls({"IADLXGPUList.At"});
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.front().rfind("IADLXGPUList.At 1 -> 0", 0), 0u) << trace.front();
    EXPECT_FALSE(Calls({"IADLXGPUTuningServices.IsSupportedManualGFXTuning gpu1"}).empty());
}

TEST_F(MainWindow, NoGpuShowsTheMessageAndTheWindowClosesRightAfterSetUp) {
    Start(R"({"gpus": []})");
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "no supported GPU found!");
    EXPECT_EQ(prompts.messages[0].caption, ApplicationName());
    EXPECT_EQ(Dlg().result(), CTachyonDlg::IDCANCEL);
    EXPECT_EQ(Dlg().TabCtrl()->m_pageCount, 4) << "set-up still ran to its end";
}

TEST_F(MainWindow, EditsTakeOnlyTypedDigitsWhateverTheyHold) {
    // The driver's -150 is shown as -50: text the program writes, which typing could never produce.
    Start(R"({"gpus": [{"power": {"powerLimit": {"min": -200, "max": 15, "value": -150}}}]})");
    ASSERT_EQ(Text(kTuningPage, 1012), "-50");
    const struct {
        int page;
        int id;
        QString before;  // null: as the program left it
        const char* typed;
        QString after;
    } cases[] = {
        {kTuningPage, 1012, {}, "a+-5 x", "-505"},
        {kTuningPage, 1007, "800", "1.e5", "80015"},
        {kFanPage, 1023, "", "-+x9", "9"},
        {kGraphicsPage, 1041, "-1x", "q2", "-1x2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        QLineEdit* edit = Dlg().Edit(c.page, c.id);
        if (!c.before.isNull()) SetText(c.page, c.id, c.before);
        edit->end(false);
        QTest::keyClicks(edit, QString::fromLatin1(c.typed));
        EXPECT_EQ(edit->text(), c.after);
    }

    // A paste is typing too: all digits or nothing.
    QLineEdit* edit = Dlg().Edit(kTuningPage, 1012);
    SetText(kTuningPage, 1012, "-50");
    edit->end(false);
    QApplication::clipboard()->setText("1-2");
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "-50");
    QApplication::clipboard()->setText("12");
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "-5012");
    // The edit's own menu pastes the same way.
    for (const QString& clip : {QStringLiteral("x"), QStringLiteral("3")}) {
        QApplication::clipboard()->setText(clip);
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), edit->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(edit, &event);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        const QList<QAction*> actions = menu->actions();
        const auto paste = std::find_if(actions.begin(), actions.end(),
                                        [](QAction* a) { return a->text().startsWith("&Paste"); });
        ASSERT_NE(paste, actions.end());
        if ((*paste)->isEnabled()) (*paste)->trigger();
        menu->close();
    }
    EXPECT_EQ(edit->text(), "-50123");
    // Deleting stays possible, the sign included.
    edit->home(false);
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_EQ(edit->text(), "50123");
}

TEST_F(MainWindow, EveryPageReadsAndAppliesItsFeaturesInTheirOrderAndReadAllRunsTheTwentyEightReads) {
    const struct {
        int page;
        std::vector<std::string> reads;
        std::vector<std::string> applies;
    } pages[] = {
        {kTuningPage,
         {"IADLXManualGraphicsTuning2.GetGPUMinFrequency", "IADLXManualVRAMTuning2.GetMaxVRAMFrequency",
          "IADLXManualPowerTuning.GetPowerLimit", "IADLXSmartAccessMemory.IsEnabled"},
         {"IADLXManualGraphicsTuning2.SetGPUMinFrequency", "IADLXManualVRAMTuning2.SetMaxVRAMFrequency",
          "IADLXManualPowerTuning.SetPowerLimit", "IADLXSmartAccessMemory.IsEnabled"}},
        {kFanPage,
         {"IADLXManualFanTuning.GetFanTuningStates"},
         {"IADLXManualFanTuning.GetEmptyFanTuningStates"}},
        {kGraphicsPage,
         {"IADLX3DRadeonSuperResolution.IsEnabled", "IADLX3DAntiLag.IsEnabled", "IADLX3DBoost.IsEnabled",
          "IADLX3DChill.IsEnabled", "IADLX3DImageSharpening.IsEnabled", "IADLX3DEnhancedSync.IsEnabled",
          "IADLX3DWaitForVerticalRefresh.GetMode", "IADLX3DFrameRateTargetControl.IsEnabled",
          "IADLX3DAntiAliasing.GetMode", "IADLX3DAntiAliasing.GetLevel", "IADLX3DAntiAliasing.GetMethod",
          "IADLX3DMorphologicalAntiAliasing.IsEnabled", "IADLX3DAnisotropicFiltering.IsEnabled",
          "IADLX3DAnisotropicFiltering.GetLevel", "IADLX3DTessellation.GetMode",
          "IADLX3DTessellation.GetLevel"},
         // The level applies first ask the mode, which decides whether a level is sent.
         {"IADLX3DRadeonSuperResolution.SetEnabled", "IADLX3DAntiLag.SetEnabled", "IADLX3DBoost.SetEnabled",
          "IADLX3DChill.SetEnabled", "IADLX3DImageSharpening.SetEnabled", "IADLX3DEnhancedSync.SetEnabled",
          "IADLX3DWaitForVerticalRefresh.SetMode", "IADLX3DFrameRateTargetControl.SetEnabled",
          "IADLX3DAntiAliasing.SetMode", "IADLX3DAntiAliasing.GetMode", "IADLX3DAntiAliasing.SetMethod",
          "IADLX3DMorphologicalAntiAliasing.SetEnabled", "IADLX3DAnisotropicFiltering.SetEnabled",
          "IADLX3DAnisotropicFiltering.SetLevel", "IADLX3DTessellation.SetMode",
          "IADLX3DTessellation.GetMode"}},
        {kDisplayPage,
         {"IADLXDisplayFreeSync.IsEnabled", "IADLXDisplayVSR.IsEnabled", "IADLXDisplayGPUScaling.IsEnabled",
          "IADLXDisplayScalingMode.GetMode", "IADLXDisplayIntegerScaling.IsEnabled",
          "IADLXDisplayColorDepth.GetValue", "IADLXDisplayPixelFormat.GetValue"},
         {"IADLXDisplayFreeSync.SetEnabled", "IADLXDisplayVSR.SetEnabled",
          "IADLXDisplayGPUScaling.SetEnabled", "IADLXDisplayScalingMode.SetMode",
          "IADLXDisplayIntegerScaling.SetEnabled", "IADLXDisplayColorDepth.SetValue",
          "IADLXDisplayPixelFormat.SetValue"}},
    };
    Start();
    std::vector<std::string> readAll;
    for (const auto& p : pages) {
        SCOPED_TRACE(p.page);
        ClearTrace();
        Dlg().ReadPage(p.page);
        EXPECT_EQ(Operations(Calls()), p.reads);
        ClearTrace();
        Dlg().ApplyPage(p.page);
        EXPECT_EQ(Operations(Calls()), p.applies);
        readAll.insert(readAll.end(), p.reads.begin(), p.reads.end());
    }
    ASSERT_EQ(readAll.size(), 28u);
    ClearTrace();
    Dlg().ReadAll();
    EXPECT_EQ(Operations(Calls()), readAll);
}
