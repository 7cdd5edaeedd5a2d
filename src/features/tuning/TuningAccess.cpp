// SPDX-License-Identifier: GPL-3.0-or-later
#include "TuningAccess.h"

#include <algorithm>
#include <limits>

namespace tuning {

std::int32_t AddSaturated(std::int32_t value, std::int32_t offset) {
    const std::int64_t sum = std::int64_t{value} + offset;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(sum, std::numeric_limits<std::int32_t>::min(),
                                                               std::numeric_limits<std::int32_t>::max()));
}

}  // namespace tuning
