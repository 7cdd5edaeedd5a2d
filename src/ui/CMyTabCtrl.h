// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tab control of the main window: it owns the pages, places them in its display area,
// switches between them on a mouse press on a tab, and passes the pages' notifications on to
// the main window.

#include <QWidget>
#include <array>

class QTabBar;
class DialogPage;
class Prompts;

class CMyTabCtrl : public QWidget {
    Q_OBJECT
public:
    CMyTabCtrl(Prompts& prompts, QWidget* parent);

    void DeleteAllItems();
    void InsertItem(int position, const QString& text);
    // Creates the page windows' places and shows the Tuning page.
    void PlacePages();

    // A mouse press on the tab bar: switches to the pressed tab when it is another one.
    void OnLButtonDown(int tabIndex);

    DialogPage* Page(int index) const { return m_pages.at(static_cast<std::size_t>(index)); }
    QTabBar* TabBar() const { return m_tabBar; }

    int m_pageCount = 0;
    int m_currentPage = 0;
    std::array<DialogPage*, 5> m_pages{};

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect PageRect() const;
    QTabBar* m_tabBar;
};
