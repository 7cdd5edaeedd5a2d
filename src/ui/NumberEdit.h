// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The edit of every page. The user may add digits only, one character at a time, whatever the edit
// holds: a whole-text check would stop filtering as soon as the program writes a text that typing
// could never produce ("-50" for a power offset below -100, or a loaded profile's value). The
// program itself writes any text. A key held with Ctrl, Alt or Meta is a shortcut, never typing.

#include <QLineEdit>

class NumberEdit : public QLineEdit {
public:
    explicit NumberEdit(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // A paste is typing in one go: all digits, or nothing.
    void PasteDigits();
};
