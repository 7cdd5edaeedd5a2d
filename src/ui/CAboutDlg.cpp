#include "CAboutDlg.h"

#include <QPushButton>

#include "DialogResources.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CAboutDlg"));
    setWindowTitle(QString::fromUtf8(AboutDialogSpec().caption));
    BuildControls(this, AboutDialogSpec());
    setFixedSize(DialogPixelSize(AboutDialogSpec()));
    connect(qobject_cast<QPushButton*>(FindControl(this, 1)), &QPushButton::clicked, this, &QDialog::accept);
}
