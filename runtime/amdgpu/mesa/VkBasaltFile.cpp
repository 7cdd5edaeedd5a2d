// SPDX-License-Identifier: GPL-3.0-or-later
#include "VkBasaltFile.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace mesa {

namespace {

std::string_view trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::optional<int> vkBasaltSharpness(std::string_view text) {
    std::optional<int> found;
    while (!text.empty()) {
        const auto nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
        line = trimmed(line.substr(0, line.find('#')));
        const auto eq = line.find('=');
        if (eq == std::string_view::npos || trimmed(line.substr(0, eq)) != "casSharpness") continue;
        const std::string_view v = trimmed(line.substr(eq + 1));
        double strength = 0;
        const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), strength);
        if (ec != std::errc{} || end != v.data() + v.size() || !(strength >= 0.0 && strength <= 1.0)) {
            found.reset();
            continue;
        }
        found = static_cast<int>(std::lround(strength * 100.0));
    }
    return found;
}

std::string vkBasaltText(int sharpnessPercent) {
    char strength[16];
    std::snprintf(strength, sizeof strength, "%d.%02d", sharpnessPercent / 100, sharpnessPercent % 100);
    return "# Written by Tachyon: the image sharpening of its Graphics page.\n"
           "effects = cas\n"
           "casSharpness = " +
           std::string(strength) + "\n";
}

}  // namespace mesa
