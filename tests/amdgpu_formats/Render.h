// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// pp_od_clk_voltage text as the kernel would print a reading: reading this text back must give the
// same values. The tests use it to print readings and the fuzzer to check that nothing is lost or
// changed between a reading and its text.

#include <string>

#include "formats/OdClkVoltage.h"

namespace amdgpu::samples {

std::string render(const OdClkVoltage& od);

}  // namespace amdgpu::samples
