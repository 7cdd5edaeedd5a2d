// SPDX-License-Identifier: GPL-3.0-or-later
#include "ElidedLabel.h"

#include <QPainter>

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    QString shown = text();
    if (metrics.horizontalAdvance(shown) > width()) {
        const QString ellipsis = QStringLiteral("...");
        // Drop whole words until the rest and the ellipsis fit.
        while (!shown.isEmpty() && metrics.horizontalAdvance(shown + ellipsis) > width()) {
            const int space = shown.lastIndexOf(QLatin1Char(' '));
            shown = space > 0 ? shown.left(space) : shown.left(shown.size() - 1);
        }
        shown += ellipsis;
    }
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, shown);
}
