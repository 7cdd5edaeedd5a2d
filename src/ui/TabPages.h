// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pages behind the tab control. They keep their own controls consistent and otherwise only
// tell the main window, through the page notification, when it has to act.

#include <QPointer>

#include "DialogPage.h"

class QScrollBar;
class Prompts;

class Tab_Tuning : public DialogPage {
    Q_OBJECT
public:
    explicit Tab_Tuning(QWidget* parent = nullptr);
};

class Tab_Fan : public DialogPage {
    Q_OBJECT
public:
    explicit Tab_Fan(QWidget* parent = nullptr);
};

class Tab_More : public DialogPage {
    Q_OBJECT
public:
    explicit Tab_More(QWidget* parent = nullptr);
};

// Scroll bar codes, as the original platform names them.
enum ScrollCode { SB_LINEUP = 0, SB_LINEDOWN = 1, SB_PAGEUP = 2, SB_PAGEDOWN = 3, SB_THUMBPOSITION = 4,
                  SB_THUMBTRACK = 5, SB_TOP = 6, SB_BOTTOM = 7, SB_ENDSCROLL = 8 };

class Tab_Graphics : public DialogPage {
    Q_OBJECT
public:
    explicit Tab_Graphics(QWidget* parent = nullptr);
    void SetPrompts(Prompts* prompts) { m_prompts = prompts; }

    // Measures the scroll range against the tab control's height, before the page is fitted.
    void InitScrollRange(int tabControlHeight);
    void OnVScroll(int code, int thumbPos);
    bool OnMouseWheel(int delta);
    bool PreTranslateMessage(QKeyEvent* event) override;

    void OnSuperResolutionClicked();
    void OnAntiLagClicked();
    void OnAntiLagPlusClicked();
    void OnBoostClicked();
    void OnChillClicked();
    void OnImageSharpeningClicked();
    void OnFrameRateTargetClicked();
    void OnAnisotropicFilteringClicked();
    void OnAntiAliasingModeSelChange();
    void OnTessellationModeSelChange();
    void OnResetShaderCacheClicked();

    QScrollBar* ScrollBar() const { return m_scrollBar; }

    int m_plusKeyCount = 0;
    int m_scrollPos = 0;
    int m_scrollMax = 0;
    QRect m_pageRect;
    QRect m_parentRect;

protected:
    QWidget* ClientArea() override { return m_client; }
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ScrollBy(int delta);
    void FollowCheckBox(int checkBoxId, std::initializer_list<int> dependentIds);
    QWidget* m_client;
    QScrollBar* m_scrollBar;
    // True while the handler puts its own position on the bar, which is no news to it.
    bool m_showingPosition = false;
    Prompts* m_prompts = nullptr;
    const QEvent* m_lastPlusEvent = nullptr;
    QPointer<QObject> m_lastPlusReceiver;
};

class Tab_Display : public DialogPage {
    Q_OBJECT
public:
    explicit Tab_Display(QWidget* parent = nullptr);

    void OnGpuScalingClicked();
    void OnDisplaySelChange();
};
