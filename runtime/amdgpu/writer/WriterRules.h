// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the privileged writer accepts, as pure checks: a card number, an attribute from a fixed
// list of the tuning files the runtime writes, and a value in that attribute's grammar. Anything
// not described here is refused; nothing here touches a file.

#include <string>
#include <string_view>

namespace tachyon_writer {

// Kinds of refusal, each with its own exit status in the one-shot mode.
enum class Verdict { Accepted = 0, BadCard = 2, BadAttribute = 3, BadValue = 4 };

struct Check {
    Verdict verdict = Verdict::Accepted;
    std::string reason;  // one line for the user when refused
};

// The longest value: with the newline the writer adds it fills the kernel's 127-byte limit.
inline constexpr std::size_t kMaxValueBytes = 126;

// Digits only, no leading zero, 0 to 999.
Check checkCard(std::string_view card);

// An attribute path relative to the card's device folder, e.g. "pp_od_clk_voltage",
// "hwmon/hwmon3/power1_cap", "gpu_od/fan_ctrl/fan_curve".
Check checkAttribute(std::string_view attribute);

// The value for an attribute already accepted by checkAttribute (without any newline).
Check checkValue(std::string_view attribute, std::string_view value);

// The three checks in order; the first refusal wins.
Check checkRequest(std::string_view card, std::string_view attribute, std::string_view value);

}  // namespace tachyon_writer
