// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the tuning operations reach a GPU's tuning objects. Each one lives only for one operation,
// and an object that cannot be had is simply absent: the operation then calls nothing through it.

#include <cstdint>

#include "adlx/ADLX.h"

namespace tuning {

using TuningGetter = ADLX_RESULT (IADLXGPUTuningServices::*)(IADLXGPU*, IADLXInterface**);

// The services hand out the base interface; the newer one is asked for by its name.
template <typename Tuning>
adlx::InterfacePtr<Tuning> ManualTuning(IADLXGPUTuningServices* services, IADLXGPU* gpu, TuningGetter getter) {
    if (services == nullptr || gpu == nullptr) return {};
    adlx::InterfacePtr<IADLXInterface> base;
    // A failed getter hands out nothing of ours, whatever it left in the slot.
    if ((services->*getter)(gpu, base.put()) != ADLX_OK) base.detach();
    return base.query<Tuning>();
}

// A driver value shown with an offset, and an edit's number taken back: kept within 32 bits, so
// an extreme value stays at the limit instead of wrapping round to the other end.
std::int32_t AddSaturated(std::int32_t value, std::int32_t offset);

}  // namespace tuning
