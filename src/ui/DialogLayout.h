// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Dialogs are described as tables that transcribe their resources (id, kind, label, position in
// dialog units) and built from them, so every control keeps its id, label, place and size.

#include <QString>
#include <QWidget>
#include <utility>
#include <vector>

enum class ControlKind {
    Edit,
    CheckBox,
    ComboBox,
    PushButton,
    DefaultPushButton,
    GroupBox,
    StaticText,
    TabControl,
    Icon,
};

// Style bits the resources use beyond a control's kind.
enum ControlStyle : unsigned {
    kStyleNone = 0,
    kStyleHidden = 1u << 0,       // not visible when created
    kStyleNotTabStop = 1u << 1,   // not reached by the Tab key
    kStyleEllipsis = 1u << 2,     // text cut with an ellipsis at a word boundary
};

struct ControlTemplate {
    int id;  // 0 for controls that only label (group boxes, static texts)
    ControlKind kind;
    const char* label;  // UTF-8, leading space kept as the resource has it
    int x, y, width, height;  // dialog units
    unsigned style = kStyleNone;
};

struct DialogTemplate {
    int resourceId;
    const char* caption;
    int width, height;  // dialog units
    std::vector<ControlTemplate> controls;
};

// Converts dialog units to pixels with the dialog font's average character size, the way the
// original platform sizes dialogs.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    int ToPixelsX(int units) const;
    int ToPixelsY(int units) const;
    QRect ToPixels(int x, int y, int width, int height) const;

private:
    int m_baseX;
    int m_baseY;
};

// The font every dialog of the program uses.
QFont DialogFont();

// A dialog's controls by id, noted once as they are built, so that the operations that reach a
// control on every read and apply do not search the dialog's children by name each time.
class ControlMap {
public:
    // The first control of an id is the one kept, as a search by name would find it.
    void Add(int id, QWidget* control);
    QWidget* Find(int id) const;

private:
    std::vector<std::pair<int, QWidget*>> m_controls;  // sorted by id
};

// Creates the table's controls as children of parent. Every control's objectName is its id in
// decimal, so tests and tools find any control by name; controls without id are named after their
// kind. Edits accept only digits when typed and are right-aligned. Returns the controls that have
// an id.
ControlMap BuildControls(QWidget* parent, const DialogTemplate& layout);

// Pixel size of a whole dialog.
QSize DialogPixelSize(const DialogTemplate& layout);

// Finds a control of a dialog by its id, searching its children by name.
QWidget* FindControl(const QWidget* dialog, int id);
