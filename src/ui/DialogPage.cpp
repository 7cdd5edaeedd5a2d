// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogPage.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>

#include "PageNotify.h"

DialogPage::DialogPage(const char* className, const DialogTemplate& layout, QWidget* parent)
    : QWidget(parent), m_layout(layout) {
    setObjectName(QString::fromLatin1(className));
    setFont(DialogFont());
}

void DialogPage::BuildPage() {
    m_controls = BuildControls(ClientArea(), m_layout);
    InstallKeyFilter(this, this);
}

bool DialogPage::PreTranslateMessage(QKeyEvent* event) { return IsSwallowedKey(event); }

int DialogPage::NotifyParent(int code, std::intptr_t value) { return SendPageNotify(parentWidget(), code, value); }

bool DialogPage::eventFilter(QObject* watched, QEvent* event) {
    if (IsWheelOverUnfocusedList(watched, event)) {
        // The page gets the wheel instead (the Graphics page scrolls with it).
        QCoreApplication::sendEvent(this, event);
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        if (PreTranslateMessage(static_cast<QKeyEvent*>(event))) return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool IsSwallowedKey(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape;
}

bool IsWheelOverUnfocusedList(const QObject* watched, const QEvent* event) {
    if (event->type() != QEvent::Wheel) return false;
    const auto* combo = qobject_cast<const QComboBox*>(watched);
    return combo != nullptr && !combo->hasFocus();
}

void InstallKeyFilter(QWidget* root, QObject* filter) {
    root->installEventFilter(filter);
    for (QWidget* child : root->findChildren<QWidget*>()) child->installEventFilter(filter);
}
