// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A monitor's name from its EDID, as the kernel hands it out in a connector's `edid` file: the raw
// bytes, 128 per block, the base block first; empty while nothing is plugged in.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace amdgpu {

inline constexpr std::size_t kEdidBlockSize = 128;

// The base block is trusted only when it is whole, starts with the fixed header and its bytes sum
// to 0 modulo 256; a damaged EDID names nothing. The name is the first display descriptor tagged
// 0xFC: up to 13 characters, ended by 0x0A, padded with spaces, which are trimmed. A character
// outside printable ASCII ends it too. nullopt when there is no such descriptor or it is empty.
std::optional<std::string> edidMonitorName(std::string_view edid);

}  // namespace amdgpu
