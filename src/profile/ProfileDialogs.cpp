// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProfileDialogs.h"

#include "ui/CTachyonDlg.h"

namespace {

const QString kFilter = QStringLiteral("XML file (*.xml);;All Files (*.*)");

}  // namespace

FileDialogRequest ProfileSaveRequest() {
    FileDialogRequest request;
    request.filter = kFilter;
    request.defaultSuffix = QStringLiteral("xml");
    request.confirmOverwrite = true;
    return request;
}

FileDialogRequest ProfileOpenRequest() {
    FileDialogRequest request;
    request.filter = kFilter;
    request.fileMustExist = true;
    return request;
}

int ProfileError(CTachyonDlg& dlg, const QString& text) {
    dlg.PromptSeam().MessageBox(&dlg, text, ApplicationName(), PromptButtons::Ok, PromptIcon::None);
    return ADLX_FAIL;
}
