#include "DialogLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "ElidedLabel.h"
#include "NumberEdit.h"
#include "ProgramIcon.h"

namespace {

int MulDiv(int value, int numerator, int denominator) {
    return static_cast<int>((static_cast<long long>(value) * numerator + denominator / 2) / denominator);
}

QWidget* CreateControl(QWidget* parent, const ControlTemplate& c) {
    const QString label = QString::fromUtf8(c.label);
    switch (c.kind) {
        case ControlKind::Edit:
            return new NumberEdit(parent);
        case ControlKind::CheckBox:
            return new QCheckBox(label, parent);
        case ControlKind::ComboBox: {
            auto* combo = new QComboBox(parent);
            combo->setEditable(false);
            combo->setMaxVisibleItems(10);
            // A wheel passing over a list must not change a setting; only a list with focus takes it.
            combo->setFocusPolicy(Qt::StrongFocus);
            return combo;
        }
        case ControlKind::PushButton:
        case ControlKind::DefaultPushButton: {
            auto* button = new QPushButton(label, parent);
            button->setAutoDefault(false);
            button->setDefault(c.kind == ControlKind::DefaultPushButton);
            return button;
        }
        case ControlKind::GroupBox:
            return new QGroupBox(label, parent);
        case ControlKind::StaticText:
            if (c.style & kStyleEllipsis) return new ElidedLabel(label, parent);
            return new QLabel(label, parent);
        case ControlKind::Icon: {
            auto* icon = new QLabel(parent);
            icon->setPixmap(ProgramIcon().pixmap(32, 32));
            return icon;
        }
        case ControlKind::TabControl:
            return nullptr;  // the owner places its own tab control
    }
    return nullptr;
}

const char* KindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::GroupBox: return "group";
        case ControlKind::StaticText: return "static";
        case ControlKind::Icon: return "icon";
        default: return "control";
    }
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const QString sample = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_baseX = (metrics.horizontalAdvance(sample) / 26 + 1) / 2;
    m_baseY = metrics.height();
}

int DialogUnits::ToPixelsX(int units) const { return MulDiv(units, m_baseX, 4); }
int DialogUnits::ToPixelsY(int units) const { return MulDiv(units, m_baseY, 8); }

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
    return QRect(ToPixelsX(x), ToPixelsY(y), ToPixelsX(width), ToPixelsY(height));
}

QFont DialogFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(8);
    return font;
}

QSize DialogPixelSize(const DialogTemplate& layout) {
    const DialogUnits units(DialogFont());
    return QSize(units.ToPixelsX(layout.width), units.ToPixelsY(layout.height));
}

void BuildControls(QWidget* parent, const DialogTemplate& layout) {
    const DialogUnits units(DialogFont());
    parent->setFont(DialogFont());
    for (const ControlTemplate& c : layout.controls) {
        QWidget* control = CreateControl(parent, c);
        if (control == nullptr) continue;
        control->setObjectName(c.id != 0 ? QString::number(c.id) : QString::fromLatin1(KindName(c.kind)));
        QRect rect = units.ToPixels(c.x, c.y, c.width, c.height);
        if (c.kind == ControlKind::ComboBox) {
            // The resource's height is the dropped-down list's; the closed box is one line high.
            rect.setHeight(units.ToPixelsY(13));
        }
        if (c.kind == ControlKind::Icon) rect.setSize(QSize(32, 32));
        control->setGeometry(rect);
        if (c.style & kStyleNotTabStop) control->setFocusPolicy(Qt::NoFocus);
        if (c.style & kStyleHidden) control->hide();
        // Frames stay behind the controls they frame, so they never take their clicks.
        if (c.kind == ControlKind::GroupBox) control->lower();
    }
}

QWidget* FindControl(const QWidget* dialog, int id) {
    return dialog->findChild<QWidget*>(QString::number(id));
}
