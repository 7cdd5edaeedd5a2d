// SPDX-License-Identifier: GPL-3.0-or-later
#include "NumberEdit.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <algorithm>

namespace {

bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }

bool AllDigits(const QString& text) { return std::all_of(text.begin(), text.end(), IsDigit); }

// Control characters (Backspace, Ctrl+A, ...) are editing, not typing.
bool TypesNonDigit(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isPrint() && !IsDigit(c); });
}

// Shift alone still types (it makes a capital or a symbol); the other modifiers make a shortcut.
bool IsShortcut(const QKeyEvent& event) {
    return (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
}

QString ClipboardText(QClipboard::Mode mode) { return QGuiApplication::clipboard()->text(mode); }

}  // namespace

NumberEdit::NumberEdit(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setInputMethodHints(Qt::ImhDigitsOnly);
}

void NumberEdit::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        PasteDigits();
        event->accept();
        return;
    }
    if (IsShortcut(*event)) {
        // The event's text is whatever the platform put there (the plain letter offscreen and from
        // some input tools, a control character elsewhere): the editor sees the keys alone, so
        // bound shortcuts act and unbound ones type nothing and pass on to the window.
        QKeyEvent keysOnly(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                           event->nativeVirtualKey(), event->nativeModifiers(), QString(), event->isAutoRepeat(),
                           static_cast<quint16>(event->count()), event->device());
        QLineEdit::keyPressEvent(&keysOnly);
        event->setAccepted(keysOnly.isAccepted());
        return;
    }
    if (TypesNonDigit(event->text())) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void NumberEdit::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    if (AllDigits(commit)) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QString digits;
    for (const QChar c : commit) {
        if (IsDigit(c)) digits += c;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(digits, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
    event->accept();
}

void NumberEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    if (menu == nullptr) return;
    // The standard menu's paste is the entry wired to the plain paste; it is rewired to this one.
    for (QAction* action : menu->actions()) {
        // Wired by name in some versions of the toolkit and by member in others.
        const bool byName = disconnect(action, SIGNAL(triggered()), this, SLOT(paste()));
        const bool byMember = disconnect(action, &QAction::triggered, this, &QLineEdit::paste);
        if (!byName && !byMember) continue;
        action->setEnabled(action->isEnabled() && AllDigits(ClipboardText(QClipboard::Clipboard)));
        connect(action, &QAction::triggered, this, &NumberEdit::PasteDigits);
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void NumberEdit::mouseReleaseEvent(QMouseEvent* event) {
    // The middle button pastes the selection where the platform has one.
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection() &&
        !AllDigits(ClipboardText(QClipboard::Selection))) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void NumberEdit::dropEvent(QDropEvent* event) {
    if (event->mimeData()->hasText() && !AllDigits(event->mimeData()->text())) {
        event->ignore();
        return;
    }
    QLineEdit::dropEvent(event);
}

void NumberEdit::PasteDigits() {
    if (isReadOnly() || !AllDigits(ClipboardText(QClipboard::Clipboard))) return;
    paste();
}
