// SPDX-License-Identifier: GPL-3.0-or-later
// The tab control: page switching by mouse only, and the Graphics page's scrolling.

#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include "TachyonTest.h"
#include "ui/CMyTabCtrl.h"
#include "ui/TabPages.h"

class Tabs : public TachyonTest {
protected:
    int VisiblePages() {
        int visible = 0;
        for (int i = 0; i < 4; ++i) visible += Dlg().TabCtrl()->Page(i)->isHidden() ? 0 : 1;
        return visible;
    }
    void ExpectShown(int page) {
        EXPECT_EQ(Dlg().TabCtrl()->m_currentPage, page);
        EXPECT_EQ(Dlg().TabCtrl()->TabBar()->currentIndex(), page) << "the highlighted tab and the page agree";
        EXPECT_FALSE(Dlg().TabCtrl()->Page(page)->isHidden());
        EXPECT_EQ(VisiblePages(), 1);
    }
    Tab_Graphics* Graphics() { return static_cast<Tab_Graphics*>(Dlg().TabCtrl()->Page(kGraphicsPage)); }
    int ContentTop() { return Dlg().Control(kGraphicsPage, 1048)->mapTo(Graphics(), QPoint(0, 0)).y(); }
};

TEST_F(Tabs, FourTabsAndTheTuningPageAfterSetUp) {
    Start();
    QTabBar* bar = Dlg().TabCtrl()->TabBar();
    ASSERT_EQ(bar->count(), 4);
    EXPECT_EQ(bar->tabText(0), "Tuning");
    EXPECT_EQ(bar->tabText(1), "Fan");
    EXPECT_EQ(bar->tabText(2), "Graphics");
    EXPECT_EQ(bar->tabText(3), "Display");
    EXPECT_EQ(Dlg().TabCtrl()->m_pageCount, 4);
    EXPECT_TRUE(Dlg().TabCtrl()->m_pages[4]->isHidden()) << "the fifth page has no tab and is never shown";
    ExpectShown(kTuningPage);
}

TEST_F(Tabs, AMousePressOnAnotherTabSwitchesAndOnTheShownTabChangesNothing) {
    Start();
    ShowPage(kGraphicsPage);
    ExpectShown(kGraphicsPage);
    ShowPage(kGraphicsPage);
    ExpectShown(kGraphicsPage);
    ShowPage(kFanPage);
    ExpectShown(kFanPage);
}

TEST_F(Tabs, NeitherKeyboardNorWheelChangesTheSelection) {
    Start();
    QTabBar* bar = Dlg().TabCtrl()->TabBar();
    EXPECT_EQ(bar->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(Dlg().TabCtrl()->focusPolicy(), Qt::NoFocus);
    for (const Qt::Key key : {Qt::Key_Right, Qt::Key_Left, Qt::Key_End}) QTest::keyClick(bar, key);
    QTest::keyClick(&Dlg(), Qt::Key_Tab, Qt::ControlModifier);
    QWheelEvent wheel(QPointF(5, 5), bar->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &wheel);
    ExpectShown(kTuningPage);
}

TEST_F(Tabs, GraphicsScrollsByLineAndPageStepsClippedAtBothEnds) {
    Start();
    Tab_Graphics* page = Graphics();
    const int max = page->m_scrollMax;
    ASSERT_GT(max, 100) << "the Graphics page is taller than the tab area";
    EXPECT_EQ(page->m_scrollMax, page->m_pageRect.height() - page->m_parentRect.height() + 15);
    const int top = ContentTop();

    for (const int code : {SB_LINEUP, SB_PAGEUP}) {
        page->OnVScroll(code, 0);
        EXPECT_EQ(page->m_scrollPos, 0);
    }
    page->OnMouseWheel(120);
    EXPECT_EQ(page->m_scrollPos, 0);

    page->OnVScroll(SB_LINEDOWN, 0);
    EXPECT_EQ(page->m_scrollPos, max / 100);
    page->OnVScroll(SB_PAGEDOWN, 0);
    EXPECT_EQ(page->m_scrollPos, max / 100 + max / 10);
    EXPECT_EQ(ContentTop(), top - page->m_scrollPos) << "the content moves up by the delta";
    EXPECT_EQ(page->ScrollBar()->value(), page->m_scrollPos);

    page->OnVScroll(SB_THUMBPOSITION, max - 3);
    page->OnVScroll(SB_PAGEDOWN, 0);
    EXPECT_EQ(page->m_scrollPos, max) << "a page step is clipped at the end";
    for (const int code : {SB_LINEDOWN, SB_PAGEDOWN}) {
        page->OnVScroll(code, 0);
        EXPECT_EQ(page->m_scrollPos, max);
    }
    page->OnMouseWheel(-1);
    EXPECT_EQ(page->m_scrollPos, max);
    EXPECT_EQ(ContentTop(), top - max);
}

TEST_F(Tabs, OnlyAReleasedThumbMovesTheContentAndTheWheelMovesOnePageStepBySign) {
    Start();
    Tab_Graphics* page = Graphics();
    const int top = ContentTop();
    for (const int code : {SB_THUMBTRACK, SB_TOP, SB_BOTTOM, SB_ENDSCROLL}) page->OnVScroll(code, 40);
    EXPECT_EQ(page->m_scrollPos, 0);
    EXPECT_EQ(ContentTop(), top);
    page->OnVScroll(SB_THUMBPOSITION, 40);
    EXPECT_EQ(page->m_scrollPos, 40);

    const int pageStep = page->m_scrollMax / 10;
    for (const int delta : {-1, -120, -9600}) {
        const int before = page->m_scrollPos;
        page->OnMouseWheel(delta);
        EXPECT_EQ(page->m_scrollPos, std::min(before + pageStep, page->m_scrollMax)) << delta;
    }
    const int before = page->m_scrollPos;
    page->OnMouseWheel(0);
    EXPECT_EQ(page->m_scrollPos, std::max(before - pageStep, 0)) << "zero counts as up";
}

TEST_F(Tabs, SmallRangesHaveNoLineStepsAndTinyOnesNoPageSteps) {
    Start();
    Tab_Graphics* page = Graphics();
    page->m_scrollMax = 99;
    page->OnVScroll(SB_LINEDOWN, 0);
    EXPECT_EQ(page->m_scrollPos, 0);
    page->OnVScroll(SB_PAGEDOWN, 0);
    EXPECT_EQ(page->m_scrollPos, 9);
    page->OnVScroll(SB_THUMBPOSITION, 0);
    page->m_scrollMax = 9;
    page->OnVScroll(SB_PAGEDOWN, 0);
    page->OnMouseWheel(-120);
    EXPECT_EQ(page->m_scrollPos, 0);
}

TEST_F(Tabs, TheScrollPositionSurvivesPageAndGpuChanges) {
    Start();
    ShowPage(kGraphicsPage);
    Graphics()->OnVScroll(SB_PAGEDOWN, 0);
    const int position = Graphics()->m_scrollPos;
    ShowPage(kTuningPage);
    Dlg().SelectGpu(1);
    Dlg().ReadAll();
    ShowPage(kGraphicsPage);
    EXPECT_EQ(Graphics()->m_scrollPos, position);
}

TEST_F(Tabs, OnlyTheLeftButtonSwitchesPages) {
    Start();
    QTabBar* bar = Dlg().TabCtrl()->TabBar();
    for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mousePress(bar, button, {}, bar->tabRect(kGraphicsPage).center());
        QTest::mouseRelease(bar, button, {}, bar->tabRect(kGraphicsPage).center());
        ExpectShown(kTuningPage);
    }
}

TEST_F(Tabs, AWheelOverAListWithoutFocusScrollsThePageAndChangesNoSetting) {
    Start();
    ShowPage(kGraphicsPage);
    QComboBox* vsync = Dlg().Combo(kGraphicsPage, 1055);
    const int before = vsync->currentIndex();
    QWheelEvent wheel(QPointF(5, 5), vsync->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(vsync, &wheel);
    EXPECT_EQ(vsync->currentIndex(), before);
    EXPECT_EQ(Graphics()->m_scrollPos, Graphics()->m_scrollMax / 10);

    // Over the scroll bar the content follows the bar; a sideways wheel scrolls nothing.
    QApplication::sendEvent(Graphics()->ScrollBar(), &wheel);
    EXPECT_EQ(Graphics()->m_scrollPos, 2 * (Graphics()->m_scrollMax / 10));
    EXPECT_EQ(Graphics()->ScrollBar()->value(), Graphics()->m_scrollPos);
    QWheelEvent sideways(QPointF(5, 5), Graphics()->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(-120, 0),
                         Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Graphics(), &sideways);
    EXPECT_EQ(Graphics()->m_scrollPos, 2 * (Graphics()->m_scrollMax / 10));

    // The GPU selector without focus ignores the wheel too.
    auto* selector = qobject_cast<QComboBox*>(Dlg().MainControl(1000));
    QApplication::sendEvent(selector, &wheel);
    EXPECT_EQ(selector->currentIndex(), 0);
}

TEST_F(Tabs, PlusTypedWithShiftCountsOncePerCharacter) {
    Start();
    ShowPage(kGraphicsPage);
    QWidget* target = Dlg().Control(kGraphicsPage, 1048);  // a check box leaves '+' to its parents
    for (int i = 0; i < 2; ++i) {
        QTest::keyPress(target, Qt::Key_Shift);
        QTest::keyClick(target, '+', Qt::ShiftModifier);
        QTest::keyRelease(target, Qt::Key_Shift);
    }
    EXPECT_EQ(Graphics()->m_plusKeyCount, 2);
    EXPECT_FALSE(Visible(kGraphicsPage, 1054));
    QTest::keyPress(target, Qt::Key_Shift);
    QTest::keyClick(target, '+', Qt::ShiftModifier);
    EXPECT_EQ(Graphics()->m_plusKeyCount, 3);
    EXPECT_TRUE(Visible(kGraphicsPage, 1054));
}

TEST_F(Tabs, TheScrollBarsOwnArrowsPagesAndThumbDriveTheSameSteps) {
    Start();
    ShowPage(kGraphicsPage);
    Tab_Graphics* page = Graphics();
    QScrollBar* bar = page->ScrollBar();
    const int top = ContentTop();
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(page->m_scrollPos, page->m_scrollMax / 10);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(page->m_scrollPos, page->m_scrollMax / 10 + page->m_scrollMax / 100);
    EXPECT_EQ(bar->value(), page->m_scrollPos);

    // Dragging the thumb moves nothing until it is released.
    bar->setSliderDown(true);
    bar->setSliderPosition(5);
    EXPECT_EQ(page->m_scrollPos, page->m_scrollMax / 10 + page->m_scrollMax / 100);
    bar->setSliderDown(false);
    EXPECT_EQ(page->m_scrollPos, 5);
    EXPECT_EQ(ContentTop(), top - 5);
}

TEST_F(Tabs, ATabPressedWhileAnEditHasTheFocusNeverHandsTheKeyboardToTheGpuSelector) {
    Start();
    Dlg().show();
    Dlg().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Dlg()));

    // Unapplied edits on every page, which a change of GPU would read over.
    const std::vector<std::pair<int, int>> edits = {{kTuningPage, 1007},
                                                    {kTuningPage, 1012},
                                                    {kFanPage, 1023},
                                                    {kGraphicsPage, 1041},
                                                    {kGraphicsPage, 1052}};
    for (const auto& [page, id] : edits) SetText(page, id, "7");
    Dlg().Control(kTuningPage, 1007)->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), Dlg().Control(kTuningPage, 1007));
    ClearTrace();

    ShowPage(kFanPage);
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    EXPECT_NE(focus, Dlg().MainControl(1000));
    EXPECT_EQ(focus, Dlg().TabCtrl()->Page(kFanPage)) << "the page shown holds the keyboard";
    QTest::keyClick(focus, Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);

    auto* selector = qobject_cast<QComboBox*>(Dlg().MainControl(1000));
    EXPECT_EQ(selector->currentIndex(), 0);
    EXPECT_TRUE(Calls({"IADLXGPUList.At"}).empty()) << "no GPU change ran";
    for (const auto& [page, id] : edits) EXPECT_EQ(Text(page, id), "7") << id;
    ExpectShown(kFanPage);
}

TEST_F(Tabs, EveryEntryOfTheScrollBarsOwnMenuMovesBarAndContentTogether) {
    Start();
    Dlg().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dlg()));
    ShowPage(kGraphicsPage);
    Tab_Graphics* page = Graphics();
    QScrollBar* bar = page->ScrollBar();
    const int top = ContentTop();
    const int line = page->m_scrollMax / 100;
    const int pageStep = page->m_scrollMax / 10;
    // The scroll handler's rules: the ends are ignored, the steps as elsewhere, "Scroll here" as a
    // released thumb.
    const struct {
        const char* entry;
        int start;
        int expected;  // -1: under the pointer
    } cases[] = {
        {"Scroll here", 0, -1},
        {"Top", 40, 40},
        {"Bottom", 40, 40},
        {"Page down", 40, 40 + pageStep},
        {"Page up", 40, 40 - pageStep},
        {"Scroll down", 40, 40 + line},
        {"Scroll up", 40, 40 - line},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        page->OnVScroll(SB_THUMBPOSITION, c.start);
        ASSERT_EQ(page->m_scrollPos, c.start);
        // The menu opens at a point three quarters down the bar; the entry is chosen from it.
        const QPoint at(bar->width() / 2, bar->height() * 3 / 4);
        bool chosen = false;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr) return;
            for (QAction* action : menu->actions()) {
                if (action->text() != QLatin1String(c.entry)) continue;
                menu->setActiveAction(action);
                QTest::keyClick(menu, Qt::Key_Return);
                chosen = true;
                return;
            }
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, bar->mapToGlobal(at));
        QApplication::sendEvent(bar, &event);
        ASSERT_TRUE(chosen) << "the bar's menu has no such entry";

        if (c.expected >= 0) {
            EXPECT_EQ(page->m_scrollPos, c.expected);
        } else {
            EXPECT_GT(page->m_scrollPos, page->m_scrollMax / 2);
            EXPECT_LT(page->m_scrollPos, page->m_scrollMax);
        }
        EXPECT_EQ(bar->value(), page->m_scrollPos);
        EXPECT_EQ(bar->sliderPosition(), page->m_scrollPos);
        EXPECT_EQ(ContentTop(), top - page->m_scrollPos);
    }
}
