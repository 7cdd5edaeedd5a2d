// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A child dialog built from its resource table, with the key filter every dialog of the program
// shares: Enter and Escape are swallowed and never close a window or press a button.

#include <QWidget>

#include "DialogLayout.h"

class QKeyEvent;

class DialogPage : public QWidget {
    Q_OBJECT
public:
    DialogPage(const char* className, const DialogTemplate& layout, QWidget* parent = nullptr);

    QWidget* Control(int id) const { return m_controls.Find(id); }
    const DialogTemplate& Template() const { return m_layout; }

    // Called for every key press aimed at the page or one of its controls, before dispatch;
    // true swallows it.
    virtual bool PreTranslateMessage(QKeyEvent* event);

    // The page notification towards the parent (the tab control).
    int NotifyParent(int code, std::intptr_t value);

protected:
    // The widget that holds the page's controls (the page itself unless it scrolls).
    virtual QWidget* ClientArea() { return this; }
    // Builds the controls and installs the key filter; pages call it from their constructors.
    void BuildPage();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const DialogTemplate& m_layout;
    ControlMap m_controls;
};

// True for the keys every dialog swallows.
bool IsSwallowedKey(const QKeyEvent* event);

// True for a wheel turned over a drop-down list that does not have the focus.
bool IsWheelOverUnfocusedList(const QObject* watched, const QEvent* event);

// Installs filter on root and every widget below it.
void InstallKeyFilter(QWidget* root, QObject* filter);
