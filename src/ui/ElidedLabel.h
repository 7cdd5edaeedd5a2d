// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A static text that cuts what does not fit with an ellipsis at a word boundary.

#include <QLabel>

class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    ElidedLabel(const QString& text, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};
