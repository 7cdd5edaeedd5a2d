// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small pp_od_clk_voltage texts, one per family, written from the kernel's print formats (not taken
// from any capture), with the values each must give; and the check that one reading holds nothing
// another does not.

#include <string>
#include <vector>

#include "formats/OdClkVoltage.h"

namespace amdgpu::samples {

struct Sample {
    std::string name;
    std::string text;
    OdClkVoltage expected;
};

const std::vector<Sample>& families();

// Every entry of part is in whole with the same values. A clock level of part may lack the voltage
// whole has (its line ended after the clock); nothing else may differ. Empty string when it holds,
// else what differs.
std::string containedIn(const OdClkVoltage& part, const OdClkVoltage& whole);

}  // namespace amdgpu::samples
