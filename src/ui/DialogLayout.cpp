// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

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

bool IdBelow(const std::pair<int, QWidget*>& entry, int id) { return entry.first < id; }

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
    // Shaping the sample costs far more than the rest of a dialog's arithmetic, and every dialog,
    // page and size of the window asks again for the same font at the same resolution.
    struct Measured {
        QString font;
        qreal dpi = 0;
        int baseX = 0;
        int baseY = 0;
    };
    static Measured last;
    if (last.dpi != metrics.fontDpi() || last.font != font.key()) {
        const QString sample = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        last = {font.key(), metrics.fontDpi(), (metrics.horizontalAdvance(sample) / 26 + 1) / 2,
                metrics.height()};
    }
    m_baseX = last.baseX;
    m_baseY = last.baseY;
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

void ControlMap::Add(int id, QWidget* control) {
    const auto at = std::lower_bound(m_controls.begin(), m_controls.end(), id, IdBelow);
    if (at != m_controls.end() && at->first == id) return;
    m_controls.insert(at, {id, control});
}

QWidget* ControlMap::Find(int id) const {
    const auto at = std::lower_bound(m_controls.begin(), m_controls.end(), id, IdBelow);
    return at != m_controls.end() && at->first == id ? at->second : nullptr;
}

ControlMap BuildControls(QWidget* parent, const DialogTemplate& layout) {
    ControlMap controls;
    const DialogUnits units(DialogFont());
    parent->setFont(DialogFont());
    for (const ControlTemplate& c : layout.controls) {
        QWidget* control = CreateControl(parent, c);
        if (control == nullptr) continue;
        if (c.id != 0) controls.Add(c.id, control);
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
    return controls;
}

QWidget* FindControl(const QWidget* dialog, int id) {
    return dialog->findChild<QWidget*>(QString::number(id));
}
