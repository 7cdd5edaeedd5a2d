// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The amdgpu runtime's control entry points. Only tests and tools use them; the program never does.
//
// void TachyonAmdgpuUseAttributes(amdgpu::Attributes* attributes)
// Puts `attributes` in place of the real files for every later read, write and listing (cards are
// found again at the next ADLXInitialize). Null goes back to the real files. The runtime does not
// take ownership; the caller keeps the object alive until it is replaced or the runtime ends.
//
// const char* TachyonAmdgpuAudit()
// The reference audit of the current (or, after ADLXTerminate, the last) session:
// "live=N double=D dead_calls=K", as the simulated runtime reports it. Valid until the next call.

#include "Attributes.h"

extern "C" {
using TachyonAmdgpuUseAttributes_Fn = void (*)(amdgpu::Attributes* attributes);
using TachyonAmdgpuAudit_Fn = const char* (*)();
}

#define TACHYON_AMDGPU_USE_ATTRIBUTES_SYMBOL "TachyonAmdgpuUseAttributes"
#define TACHYON_AMDGPU_AUDIT_SYMBOL "TachyonAmdgpuAudit"
