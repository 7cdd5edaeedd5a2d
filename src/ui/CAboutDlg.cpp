// SPDX-License-Identifier: GPL-3.0-or-later
#include "CAboutDlg.h"

#include <QPushButton>

#include "DialogResources.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CAboutDlg"));
    setWindowTitle(QString::fromUtf8(AboutDialogTemplate().caption));
    BuildControls(this, AboutDialogTemplate());
    setFixedSize(DialogPixelSize(AboutDialogTemplate()));
    connect(qobject_cast<QPushButton*>(FindControl(this, 1)), &QPushButton::clicked, this, &QDialog::accept);
}
