// SPDX-License-Identifier: GPL-3.0-or-later
#include "Prompts.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QThread>

PromptAnswer QtPrompts::MessageBox(QWidget* owner, const QString& text, const QString& caption,
                                   PromptButtons buttons, PromptIcon icon) {
    QMessageBox box(owner);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
        case PromptIcon::Question: box.setIcon(QMessageBox::Question); break;
        case PromptIcon::None: break;
    }
    if (buttons == PromptButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int result = box.exec();
    if (result == QMessageBox::Yes) return PromptAnswer::Yes;
    if (result == QMessageBox::No) return PromptAnswer::No;
    if (result == QMessageBox::Ok) return PromptAnswer::Ok;
    return PromptAnswer::Cancel;
}

namespace {

std::optional<QString> RunFileDialog(QWidget* owner, const FileDialogRequest& request, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(mode);
    dialog.setNameFilter(request.filter);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!request.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

}  // namespace

std::optional<QString> QtPrompts::OpenFileName(QWidget* owner, const FileDialogRequest& request) {
    return RunFileDialog(owner, request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtPrompts::SaveFileName(QWidget* owner, const FileDialogRequest& request) {
    return RunFileDialog(owner, request, QFileDialog::AcceptSave);
}

void QtPrompts::Sleep(int milliseconds) { QThread::msleep(static_cast<unsigned long>(milliseconds)); }

QString ApplicationName() {
    const QString path = QCoreApplication::applicationFilePath();
    return path.isEmpty() ? QStringLiteral("tachyon") : QFileInfo(path).completeBaseName();
}
