#pragma once
// Dialogs are described as tables that transcribe their resources (id, kind, label, position in
// dialog units) and built from them, so every control keeps its id, label, place and size.

#include <QString>
#include <QWidget>
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

// Creates the table's controls as children of parent. Every control's objectName is its id in
// decimal; controls without id are named after their kind. Edits accept only digits when typed
// and are right-aligned. Returns nothing: controls are found again by their id.
void BuildControls(QWidget* parent, const DialogTemplate& layout);

// Pixel size of a whole dialog.
QSize DialogPixelSize(const DialogTemplate& layout);

// Finds a control of a dialog by its id.
QWidget* FindControl(const QWidget* dialog, int id);
