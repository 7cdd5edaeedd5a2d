// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The About box: the icon, the version line, a credit line and OK.

#include <QDialog>

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
