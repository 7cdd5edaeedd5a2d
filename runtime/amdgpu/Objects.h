// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Factories of the objects the system object hands out, one per source file.

#include "adlx/ADLX.h"

namespace amdgpu {

IADLXSystem* systemObject();
IADLXGPUList* makeGpuList();
IADLXGPUTuningServices* makeGpuTuningServices();
IADLX3DSettingsServices* make3DSettingsServices();
IADLXDisplayServices* makeDisplayServices();
IADLXUserCommands* makeUserCommands();
IADLXGPUMetricsServices* makeGpuMetricsServices();

}  // namespace amdgpu
