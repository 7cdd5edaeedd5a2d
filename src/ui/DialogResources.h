#pragma once
// The program's dialogs, transcribed from their resources.

#include "DialogLayout.h"

const DialogSpec& AboutDialogSpec();     // 100
const DialogSpec& MainDialogSpec();      // 102
const DialogSpec& TuningPageSpec();      // 105
const DialogSpec& DisplayPageSpec();     // 107
const DialogSpec& FanPageSpec();         // 108
const DialogSpec& GraphicsPageSpec();    // 109
const DialogSpec& MorePageSpec();        // 110
