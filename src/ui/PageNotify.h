// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The page notification: a page asks the main window to act (a display was chosen, the shader
// cache is to be reset, a mode list changed). It travels synchronously from the page to the tab
// control and on to the main window, code and value unchanged.

#include <QEvent>
#include <QObject>
#include <cstdint>

constexpr int kPageNotifyMessage = 0x42A;  // WM_USER + 42 on the original platform

enum PageNotifyCode : int {
    kNotifyDisplayChosen = 0,
    kNotifyResetShaderCache = 1,
    kNotifyAntiAliasingModeChanged = 2,
    kNotifyTessellationModeChanged = 3,
};

class PageNotifyEvent : public QEvent {
public:
    static QEvent::Type EventType();
    PageNotifyEvent(int code, std::intptr_t value) : QEvent(EventType()), m_code(code), m_value(value) {}
    int Code() const { return m_code; }
    std::intptr_t Value() const { return m_value; }
    int result = 0;

private:
    int m_code;
    std::intptr_t m_value;
};

// Sends the notification to target and returns what the receiver answered (0 when unhandled).
int SendPageNotify(QObject* target, int code, std::intptr_t value);
