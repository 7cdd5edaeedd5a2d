// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageNotify.h"

#include <QCoreApplication>

QEvent::Type PageNotifyEvent::EventType() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::User + kPageNotifyMessage);
    return type;
}

int SendPageNotify(QObject* target, int code, std::intptr_t value) {
    if (target == nullptr) return 0;
    PageNotifyEvent event(code, value);
    QCoreApplication::sendEvent(target, &event);
    return event.result;
}
