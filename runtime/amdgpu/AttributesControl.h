#pragma once
// The amdgpu runtime's one control entry point. Only tests and tools use it; the program never does.
//
// void TachyonAmdgpuUseAttributes(amdgpu::Attributes* attributes)
// Puts `attributes` in place of the real files for every later read, write and listing (cards are
// found again at the next ADLXInitialize). Null goes back to the real files. The runtime does not
// take ownership; the caller keeps the object alive until it is replaced or the runtime ends.

#include "Attributes.h"

extern "C" {
using TachyonAmdgpuUseAttributes_Fn = void (*)(amdgpu::Attributes* attributes);
}

#define TACHYON_AMDGPU_USE_ATTRIBUTES_SYMBOL "TachyonAmdgpuUseAttributes"
