// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's dialogs, transcribed from their resources.

#include "DialogLayout.h"

const DialogTemplate& AboutDialogTemplate();     // 100
const DialogTemplate& MainDialogTemplate();      // 102
const DialogTemplate& TuningPageTemplate();      // 105
const DialogTemplate& DisplayPageTemplate();     // 107
const DialogTemplate& FanPageTemplate();         // 108
const DialogTemplate& GraphicsPageTemplate();    // 109
const DialogTemplate& MorePageTemplate();        // 110
