// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Factories of the service objects, one per source file, for the system object to hand out.

#include "adlx/ADLX.h"

namespace sim {

IADLXSystem* systemObject();
IADLXGPUList* makeGpuList();
IADLXGPUTuningServices* makeGpuTuningServices();
IADLX3DSettingsServices* make3DSettingsServices();
IADLXDisplayServices* makeDisplayServices();
IADLXGPUMetricsServices* makeGpuMetricsServices();

}  // namespace sim
