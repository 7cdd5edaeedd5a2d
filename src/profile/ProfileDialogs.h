// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the profile commands share: the file dialogs' request and the error message.

#include <QString>

#include "ui/Prompts.h"

class CTachyonDlg;

FileDialogRequest ProfileSaveRequest();
FileDialogRequest ProfileOpenRequest();

// An OK message box with the program's name as caption; returns ADLX_FAIL for the caller to pass on.
int ProfileError(CTachyonDlg& dlg, const QString& text);
