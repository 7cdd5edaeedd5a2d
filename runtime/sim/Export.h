// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The library hides every symbol but the entry points marked with this.

#define TACHYON_SIM_EXPORT extern "C" __attribute__((visibility("default")))
