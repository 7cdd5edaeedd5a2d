// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The simulated runtime's control entry point. Only tests and tools use it; the program never does.
//
// const char* TachyonSimControl(const char* command, const char* argument)
// Returns a reply that stays valid until the next call. Commands are documented in
// docs/simulated-runtime.md.

extern "C" {
using TachyonSimControl_Fn = const char* (*)(const char* command, const char* argument);
}

#define TACHYON_SIM_CONTROL_SYMBOL "TachyonSimControl"
