// SPDX-License-Identifier: GPL-3.0-or-later
#include "CMyTabCtrl.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <QWheelEvent>

#include "PageNotify.h"
#include "TabPages.h"

CMyTabCtrl::CMyTabCtrl(Prompts& prompts, QWidget* parent) : QWidget(parent), m_tabBar(new QTabBar(this)) {
    setObjectName(QStringLiteral("1001"));
    // The selection changes only by a mouse press, so the tab shown and the page shown always agree.
    setFocusPolicy(Qt::NoFocus);
    m_tabBar->setFocusPolicy(Qt::NoFocus);
    m_tabBar->setDrawBase(false);
    m_tabBar->setExpanding(false);
    m_tabBar->installEventFilter(this);
    connect(m_tabBar, &QTabBar::tabBarClicked, this, &CMyTabCtrl::OnLButtonDown);

    m_pages[0] = new Tab_Tuning(this);
    m_pages[1] = new Tab_Fan(this);
    m_pages[2] = new Tab_Graphics(this);
    m_pages[3] = new Tab_Display(this);
    m_pages[4] = new Tab_More(this);
    static_cast<Tab_Graphics*>(m_pages[2])->SetPrompts(&prompts);
    for (DialogPage* page : m_pages) page->hide();
}

void CMyTabCtrl::DeleteAllItems() {
    while (m_tabBar->count() > 0) m_tabBar->removeTab(0);
}

void CMyTabCtrl::InsertItem(int position, const QString& text) {
    m_tabBar->insertTab(position, text);
    m_tabBar->adjustSize();
}

QRect CMyTabCtrl::PageRect() const {
    const QRect client = rect();
    QRect item = m_tabBar->count() > 0 ? m_tabBar->tabRect(0) : QRect(0, 0, 0, m_tabBar->sizeHint().height());
    item.translate(m_tabBar->pos());
    // Measured as the original platform does, with exclusive right and bottom edges.
    const int itemBottom = item.bottom() + 1;
    return QRect(item.left(), itemBottom + 1, client.width() - item.left() - 1, client.height() - itemBottom - 2);
}

void CMyTabCtrl::PlacePages() {
    m_currentPage = 0;
    // Graphics measures its scroll range against the page's own size before it is fitted.
    static_cast<Tab_Graphics*>(m_pages[2])->InitScrollRange(height());
    m_pages[0]->show();
    m_pages[1]->hide();
    m_pages[2]->hide();
    m_pages[3]->hide();
    m_pageCount = 4;
    const QRect pageRect = PageRect();
    for (int i = 0; i < m_pageCount; ++i) {
        m_pages[static_cast<std::size_t>(i)]->setGeometry(pageRect);
        m_pages[static_cast<std::size_t>(i)]->raise();
        m_pages[static_cast<std::size_t>(i)]->setVisible(i == 0);
    }
    m_tabBar->setCurrentIndex(0);
}

void CMyTabCtrl::OnLButtonDown(int tabIndex) {
    if (tabIndex < 0 || tabIndex >= m_pageCount || tabIndex == m_currentPage) return;
    DialogPage* hidden = m_pages[static_cast<std::size_t>(m_currentPage)];
    m_currentPage = tabIndex;
    DialogPage* shown = m_pages[static_cast<std::size_t>(m_currentPage)];
    shown->show();
    // A hidden page's focus would pass along the tab order to the GPU selector, where the next arrow
    // key or letter changes the GPU and drops every unapplied edit. The page shown takes it instead;
    // a focus anywhere else stays where it is.
    QWidget* focus = QApplication::focusWidget();
    if (focus != nullptr && hidden->isAncestorOf(focus)) shown->setFocus(Qt::OtherFocusReason);
    hidden->hide();
}

bool CMyTabCtrl::event(QEvent* event) {
    if (event->type() == PageNotifyEvent::EventType()) {
        auto* notify = static_cast<PageNotifyEvent*>(event);
        SendPageNotify(parentWidget(), notify->Code(), notify->Value());
        notify->result = 0;
        return true;
    }
    return QWidget::event(event);
}

bool CMyTabCtrl::eventFilter(QObject* watched, QEvent* event) {
    // The wheel would switch tabs without a press; the tab bar never sees it.
    if (watched == m_tabBar && event->type() == QEvent::Wheel) return true;
    // Only the left button presses a tab; the others would move the page without the tab bar.
    if (watched == m_tabBar && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) &&
        static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) {
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CMyTabCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(0, m_tabBar->height() - 1, 0, 0);
    frame.shape = QTabBar::RoundedNorth;
    frame.tabBarSize = m_tabBar->size();
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
}

void CMyTabCtrl::resizeEvent(QResizeEvent*) { m_tabBar->move(2, 0); }
