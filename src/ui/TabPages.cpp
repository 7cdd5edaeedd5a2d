// SPDX-License-Identifier: GPL-3.0-or-later
#include "TabPages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>

#include "DialogResources.h"
#include "PageNotify.h"
#include "Prompts.h"

namespace {

QCheckBox* CheckBoxOf(const DialogPage* page, int id) { return qobject_cast<QCheckBox*>(page->Control(id)); }
QComboBox* ComboOf(const DialogPage* page, int id) { return qobject_cast<QComboBox*>(page->Control(id)); }

}  // namespace

Tab_Tuning::Tab_Tuning(QWidget* parent) : DialogPage("Tab_Tuning", TuningPageTemplate(), parent) { BuildPage(); }

Tab_Fan::Tab_Fan(QWidget* parent) : DialogPage("Tab_Fan", FanPageTemplate(), parent) { BuildPage(); }

Tab_More::Tab_More(QWidget* parent) : DialogPage("Tab_More", MorePageTemplate(), parent) { BuildPage(); }

Tab_Graphics::Tab_Graphics(QWidget* parent)
    : DialogPage("Tab_Graphics", GraphicsPageTemplate(), parent), m_client(new QWidget(this)), m_scrollBar(new QScrollBar(Qt::Vertical, this)) {
    m_client->setObjectName(QStringLiteral("client"));
    m_client->resize(DialogPixelSize(Template()));
    // The content moves only when the thumb is released, never while it is dragged.
    m_scrollBar->setTracking(false);
    m_scrollBar->setFocusPolicy(Qt::NoFocus);
    // Every change of the bar's position goes through the page's scroll handler, which owns the
    // position; the bar only shows it.
    connect(m_scrollBar, &QScrollBar::actionTriggered, this, [this](int action) {
        switch (action) {
            case QAbstractSlider::SliderSingleStepSub: OnVScroll(SB_LINEUP, 0); break;
            case QAbstractSlider::SliderSingleStepAdd: OnVScroll(SB_LINEDOWN, 0); break;
            case QAbstractSlider::SliderPageStepSub: OnVScroll(SB_PAGEUP, 0); break;
            case QAbstractSlider::SliderPageStepAdd: OnVScroll(SB_PAGEDOWN, 0); break;
            case QAbstractSlider::SliderToMinimum: OnVScroll(SB_TOP, 0); break;
            case QAbstractSlider::SliderToMaximum: OnVScroll(SB_BOTTOM, 0); break;
            default: break;  // the thumb being dragged: only its release counts
        }
        if (action != QAbstractSlider::SliderMove) m_scrollBar->setSliderPosition(m_scrollPos);
    });
    connect(m_scrollBar, &QScrollBar::sliderReleased, this,
            [this] { OnVScroll(SB_THUMBPOSITION, m_scrollBar->sliderPosition()); });
    // The bar moved by any other way (its own menu's "Scroll here") is a thumb set down there.
    connect(m_scrollBar, &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_showingPosition && value != m_scrollPos) OnVScroll(SB_THUMBPOSITION, value);
    });
    BuildPage();

    const auto onClick = [this](int id, void (Tab_Graphics::*handler)()) {
        connect(qobject_cast<QAbstractButton*>(Control(id)), &QAbstractButton::clicked, this, handler);
    };
    onClick(1048, &Tab_Graphics::OnSuperResolutionClicked);
    onClick(1045, &Tab_Graphics::OnAntiLagClicked);
    onClick(1054, &Tab_Graphics::OnAntiLagPlusClicked);
    onClick(1040, &Tab_Graphics::OnBoostClicked);
    onClick(1044, &Tab_Graphics::OnChillClicked);
    onClick(1046, &Tab_Graphics::OnImageSharpeningClicked);
    onClick(1051, &Tab_Graphics::OnFrameRateTargetClicked);
    onClick(1060, &Tab_Graphics::OnAnisotropicFilteringClicked);
    onClick(1053, &Tab_Graphics::OnResetShaderCacheClicked);
    // Only a choice the user makes counts, not one the program makes.
    connect(ComboOf(this, 1056), &QComboBox::activated, this, &Tab_Graphics::OnAntiAliasingModeSelChange);
    connect(ComboOf(this, 1062), &QComboBox::activated, this, &Tab_Graphics::OnTessellationModeSelChange);
}

void Tab_Graphics::InitScrollRange(int tabControlHeight) {
    m_pageRect = QRect(QPoint(0, 0), DialogPixelSize(Template()));
    m_parentRect = QRect(0, 0, parentWidget() ? parentWidget()->width() : 0, tabControlHeight);
    m_scrollMax = m_pageRect.height() - m_parentRect.height() + 15;
    m_scrollBar->setRange(0, m_scrollMax);
    m_scrollBar->setSingleStep(1);
    m_scrollBar->setPageStep(1);
}

void Tab_Graphics::ScrollBy(int delta) {
    m_scrollPos += delta;
    m_showingPosition = true;
    m_scrollBar->setValue(m_scrollPos);
    m_showingPosition = false;
    m_client->move(m_client->x(), -m_scrollPos);
}

void Tab_Graphics::OnVScroll(int code, int thumbPos) {
    const int lineStep = m_scrollMax / 100;
    const int pageStep = m_scrollMax / 10;
    int delta = 0;
    switch (code) {
        case SB_LINEUP:
            if (m_scrollPos <= 0) return;
            delta = -std::min(lineStep, m_scrollPos);
            break;
        case SB_LINEDOWN:
            if (m_scrollPos >= m_scrollMax) return;
            delta = std::min(lineStep, m_scrollMax - m_scrollPos);
            break;
        case SB_PAGEUP:
            if (m_scrollPos <= 0) return;
            delta = -std::min(pageStep, m_scrollPos);
            break;
        case SB_PAGEDOWN:
            if (m_scrollPos >= m_scrollMax) return;
            delta = std::min(pageStep, m_scrollMax - m_scrollPos);
            break;
        case SB_THUMBPOSITION:
            delta = thumbPos - m_scrollPos;
            break;
        default:
            return;
    }
    ScrollBy(delta);
}

bool Tab_Graphics::OnMouseWheel(int delta) {
    OnVScroll(delta < 0 ? SB_PAGEDOWN : SB_PAGEUP, 0);
    return true;
}

void Tab_Graphics::wheelEvent(QWheelEvent* event) {
    // Only a vertical wheel scrolls; a sideways one, or a touchpad's phase event without a vertical
    // turn, is not a wheel notification at all.
    if (event->angleDelta().y() != 0) OnMouseWheel(event->angleDelta().y());
    event->accept();
}

void Tab_Graphics::resizeEvent(QResizeEvent*) {
    const int barWidth = m_scrollBar->sizeHint().width();
    m_scrollBar->setGeometry(width() - barWidth, 0, barWidth, height());
    m_client->resize(width() - barWidth, m_client->height());
}

bool Tab_Graphics::eventFilter(QObject* watched, QEvent* event) {
    // The scroll bar's own wheel handling would move the thumb without the content.
    if (watched == m_scrollBar && event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    if (event->type() == QEvent::KeyRelease) m_lastPlusEvent = nullptr;
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->text() == QStringLiteral("+")) {
        // A '+' that a control leaves unhandled reaches its parents on its way up; it is still one
        // character typed.
        const bool propagated = event == m_lastPlusEvent && m_lastPlusReceiver && watched != m_lastPlusReceiver &&
                                watched->isWidgetType() && m_lastPlusReceiver->isWidgetType() &&
                                static_cast<QWidget*>(watched)->isAncestorOf(static_cast<QWidget*>(m_lastPlusReceiver.data()));
        if (propagated) return false;
        m_lastPlusEvent = event;
        m_lastPlusReceiver = watched;
    }
    return DialogPage::eventFilter(watched, event);
}

bool Tab_Graphics::PreTranslateMessage(QKeyEvent* event) {
    if (IsSwallowedKey(event)) return true;
    if (event->text() == QStringLiteral("+")) {
        ++m_plusKeyCount;
        if (m_plusKeyCount == 3) Control(1054)->show();
    }
    return false;
}

void Tab_Graphics::FollowCheckBox(int checkBoxId, std::initializer_list<int> dependentIds) {
    const bool checked = CheckBoxOf(this, checkBoxId)->isChecked();
    for (const int id : dependentIds) Control(id)->setEnabled(checked);
}

void Tab_Graphics::OnSuperResolutionClicked() { FollowCheckBox(1048, {1049}); }
void Tab_Graphics::OnBoostClicked() { FollowCheckBox(1040, {1041}); }
void Tab_Graphics::OnChillClicked() { FollowCheckBox(1044, {1042, 1043}); }
void Tab_Graphics::OnImageSharpeningClicked() { FollowCheckBox(1046, {1047}); }
void Tab_Graphics::OnFrameRateTargetClicked() { FollowCheckBox(1051, {1052}); }
void Tab_Graphics::OnAnisotropicFilteringClicked() { FollowCheckBox(1060, {1061}); }

void Tab_Graphics::OnAntiLagClicked() {
    QCheckBox* plus = CheckBoxOf(this, 1054);
    if (plus->isChecked()) plus->setChecked(false);
}

void Tab_Graphics::OnAntiLagPlusClicked() {
    if (CheckBoxOf(this, 1054)->isChecked()) CheckBoxOf(this, 1045)->setChecked(true);
}

void Tab_Graphics::OnAntiAliasingModeSelChange() {
    NotifyParent(kNotifyAntiAliasingModeChanged, ComboOf(this, 1056)->currentIndex());
}

void Tab_Graphics::OnTessellationModeSelChange() {
    NotifyParent(kNotifyTessellationModeChanged, ComboOf(this, 1062)->currentIndex());
}

void Tab_Graphics::OnResetShaderCacheClicked() {
    if (m_prompts == nullptr) return;
    const PromptAnswer answer = m_prompts->MessageBox(this, QString(), QStringLiteral("Reset Shader Cache"),
                                                      PromptButtons::YesNo, PromptIcon::Question);
    if (answer == PromptAnswer::Yes) NotifyParent(kNotifyResetShaderCache, 0);
}

Tab_Display::Tab_Display(QWidget* parent) : DialogPage("Tab_Display", DisplayPageTemplate(), parent) {
    BuildPage();
    connect(qobject_cast<QAbstractButton*>(Control(1082)), &QAbstractButton::clicked, this,
            &Tab_Display::OnGpuScalingClicked);
    connect(ComboOf(this, 1087), &QComboBox::activated, this, &Tab_Display::OnDisplaySelChange);
}

void Tab_Display::OnGpuScalingClicked() { Control(1084)->setEnabled(CheckBoxOf(this, 1082)->isChecked()); }

void Tab_Display::OnDisplaySelChange() { NotifyParent(kNotifyDisplayChosen, ComboOf(this, 1087)->currentIndex()); }
