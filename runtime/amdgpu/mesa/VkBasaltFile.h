// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The vkBasalt configuration this program owns: contrast adaptive sharpening at one strength.

#include <optional>
#include <string>
#include <string_view>

namespace mesa {

// casSharpness of a vkBasalt configuration, in percent (0 to 100), when it holds a readable one.
std::optional<int> vkBasaltSharpness(std::string_view text);
std::string vkBasaltText(int sharpnessPercent);

}  // namespace mesa
