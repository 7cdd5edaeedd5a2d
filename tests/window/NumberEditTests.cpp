// SPDX-License-Identifier: GPL-3.0-or-later
// The number edit's shortcuts: every standard editing key works on it, whatever text the key event
// carries, and a key held with Ctrl, Alt or Meta never types.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QKeySequence>
#include <ostream>
#include <vector>

#include "ui/NumberEdit.h"

namespace {

// Where the edit stands before the key: "-1234" with the cursor at its end, between "1" and "2",
// the whole text selected, a "5" just typed at the end, or that typing undone.
enum class Before { AtEnd, InMiddle, AllSelected, Typed, TypedAndUndone };

struct Shortcut {
    const char* name;
    QKeySequence::StandardKey key;
    Before before;
    const char* text;       // the edit's text afterwards
    int cursor;             // and its cursor
    const char* selected;   // and its selection
    const char* clipboard;  // and the clipboard (it holds "56" before)
    std::vector<QKeyCombination> keys = {};  // for a key the toolkit has no standard binding of
};

void PrintTo(const Shortcut& shortcut, std::ostream* out) { *out << shortcut.name; }

// Offscreen, and from some input tools, Ctrl+A arrives with "a" as its text.
QString TextOf(QKeyCombination keys) {
    const int key = static_cast<int>(keys.key());
    if (key < Qt::Key_A || key > Qt::Key_Z) return {};
    const QChar letter(u'a' + (key - Qt::Key_A));
    return keys.keyboardModifiers().testFlag(Qt::ShiftModifier) ? letter.toUpper() : letter;
}

// Sends the key to the edit as the platform would; true when the edit took it.
bool Press(QLineEdit& edit, QKeyCombination keys, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, static_cast<int>(keys.key()), keys.keyboardModifiers(), text);
    press.ignore();
    QApplication::sendEvent(&edit, &press);
    QKeyEvent release(QEvent::KeyRelease, static_cast<int>(keys.key()), keys.keyboardModifiers(), text);
    QApplication::sendEvent(&edit, &release);
    return press.isAccepted();
}

void Prepare(NumberEdit& edit, Before before) {
    edit.setText("-1234");
    QApplication::clipboard()->setText("56");
    switch (before) {
        case Before::AtEnd: break;
        case Before::InMiddle: edit.setCursorPosition(2); break;
        case Before::AllSelected: edit.selectAll(); break;
        case Before::Typed:
        case Before::TypedAndUndone:
            Press(edit, Qt::Key_5, "5");
            ASSERT_EQ(edit.text(), "-12345");
            if (before == Before::Typed) break;
            edit.undo();
            ASSERT_EQ(edit.text(), "-1234");
            break;
    }
}

class NumberEditShortcut : public ::testing::TestWithParam<Shortcut> {};

TEST_P(NumberEditShortcut, WorksFromEveryKeyBoundToItWhateverTextTheKeyCarries) {
    const Shortcut& c = GetParam();
    std::vector<QKeyCombination> bindings = c.keys;
    for (const QKeySequence& binding : QKeySequence::keyBindings(c.key)) bindings.push_back(binding[0]);
    ASSERT_FALSE(bindings.empty()) << "the platform binds no key to " << c.name;
    for (const QKeyCombination keys : bindings) {
        SCOPED_TRACE(QKeySequence(keys).toString().toStdString());
        // The letter as text where there is one, and no text at all, as other platforms send it.
        for (const QString& text : {TextOf(keys), QString()}) {
            SCOPED_TRACE(text.toStdString());
            NumberEdit edit;
            Prepare(edit, c.before);
            EXPECT_TRUE(Press(edit, keys, text));
            EXPECT_EQ(edit.text().toStdString(), c.text);
            EXPECT_EQ(edit.cursorPosition(), c.cursor);
            EXPECT_EQ(edit.selectedText().toStdString(), c.selected);
            EXPECT_EQ(QApplication::clipboard()->text().toStdString(), c.clipboard);
            if (text.isEmpty()) break;
        }
    }
}

const Shortcut kShortcuts[] = {
    {"SelectAll", QKeySequence::SelectAll, Before::AtEnd, "-1234", 5, "-1234", "56"},
    {"Copy", QKeySequence::Copy, Before::AllSelected, "-1234", 5, "-1234", "-1234"},
    {"Cut", QKeySequence::Cut, Before::AllSelected, "", 0, "", "-1234"},
    {"Paste", QKeySequence::Paste, Before::InMiddle, "-156234", 4, "", "56"},
    {"Undo", QKeySequence::Undo, Before::Typed, "-1234", 5, "", "56"},
    {"Redo", QKeySequence::Redo, Before::TypedAndUndone, "-12345", 6, "", "56"},
    {"MoveToStartOfLine", QKeySequence::MoveToStartOfLine, Before::InMiddle, "-1234", 0, "", "56"},
    {"MoveToEndOfLine", QKeySequence::MoveToEndOfLine, Before::InMiddle, "-1234", 5, "", "56"},
    {"MoveToNextChar", QKeySequence::MoveToNextChar, Before::InMiddle, "-1234", 3, "", "56"},
    {"MoveToPreviousChar", QKeySequence::MoveToPreviousChar, Before::InMiddle, "-1234", 1, "", "56"},
    {"MoveToNextWord", QKeySequence::MoveToNextWord, Before::InMiddle, "-1234", 5, "", "56"},
    {"MoveToPreviousWord", QKeySequence::MoveToPreviousWord, Before::InMiddle, "-1234", 1, "", "56"},
    {"SelectStartOfLine", QKeySequence::SelectStartOfLine, Before::InMiddle, "-1234", 0, "-1", "56"},
    {"SelectEndOfLine", QKeySequence::SelectEndOfLine, Before::InMiddle, "-1234", 5, "234", "56"},
    {"SelectNextChar", QKeySequence::SelectNextChar, Before::InMiddle, "-1234", 3, "2", "56"},
    {"SelectPreviousChar", QKeySequence::SelectPreviousChar, Before::InMiddle, "-1234", 1, "1", "56"},
    {"SelectNextWord", QKeySequence::SelectNextWord, Before::InMiddle, "-1234", 5, "234", "56"},
    {"SelectPreviousWord", QKeySequence::SelectPreviousWord, Before::InMiddle, "-1234", 1, "1", "56"},
    {"Delete", QKeySequence::Delete, Before::InMiddle, "-134", 2, "", "56"},
    {"Backspace", QKeySequence::UnknownKey, Before::InMiddle, "-234", 1, "", "56", {Qt::Key_Backspace}},
    {"DeleteStartOfWord", QKeySequence::DeleteStartOfWord, Before::InMiddle, "-234", 1, "", "56"},
    {"DeleteEndOfWord", QKeySequence::DeleteEndOfWord, Before::InMiddle, "-1", 2, "", "56"},
};

INSTANTIATE_TEST_SUITE_P(Standard, NumberEditShortcut, ::testing::ValuesIn(kShortcuts),
                         [](const ::testing::TestParamInfo<Shortcut>& info) { return std::string(info.param.name); });

TEST(NumberEdit, AKeyHeldWithCtrlAltOrMetaTypesNothingAndGoesOnToTheWindow) {
    for (const Qt::KeyboardModifiers modifiers :
         {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::KeyboardModifiers(Qt::AltModifier),
          Qt::KeyboardModifiers(Qt::MetaModifier), Qt::ControlModifier | Qt::AltModifier,
          Qt::AltModifier | Qt::ShiftModifier}) {
        for (const Qt::Key key : {Qt::Key_5, Qt::Key_Q}) {
            SCOPED_TRACE(QKeySequence(QKeyCombination(modifiers, key)).toString().toStdString());
            NumberEdit edit;
            Prepare(edit, Before::AtEnd);
            EXPECT_FALSE(Press(edit, QKeyCombination(modifiers, key), key == Qt::Key_5 ? "5" : "q"));
            EXPECT_EQ(edit.text(), "-1234");
        }
    }
    // Without them the digit types as ever, Shift included.
    NumberEdit edit;
    Prepare(edit, Before::AtEnd);
    EXPECT_TRUE(Press(edit, QKeyCombination(Qt::KeypadModifier, Qt::Key_5), "5"));
    EXPECT_TRUE(Press(edit, QKeyCombination(Qt::ShiftModifier, Qt::Key_6), "6"));
    EXPECT_EQ(edit.text(), "-123456");
}

}  // namespace
