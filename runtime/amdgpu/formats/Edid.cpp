// SPDX-License-Identifier: GPL-3.0-or-later
// The EDID base block: bytes 0-7 a fixed header, 54-125 four 18-byte descriptors, 127 the
// checksum. A descriptor whose first two bytes (a timing's pixel clock) are zero is a display
// descriptor: byte 3 is its tag, bytes 5-17 its text.

#include "formats/Edid.h"

#include <array>
#include <cstdint>

namespace amdgpu {

namespace {

constexpr std::array<std::uint8_t, 8> kHeader = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr std::size_t kFirstDescriptor = 54;
constexpr std::size_t kDescriptorSize = 18;
constexpr std::size_t kDescriptors = 4;
constexpr std::uint8_t kNameTag = 0xFC;
constexpr std::size_t kTextOffset = 5;
constexpr std::size_t kTextSize = 13;

std::uint8_t byteAt(std::string_view s, std::size_t i) { return static_cast<std::uint8_t>(s[i]); }

bool trusted(std::string_view block) {
    if (block.size() < kEdidBlockSize) return false;
    for (std::size_t i = 0; i < kHeader.size(); ++i) {
        if (byteAt(block, i) != kHeader[i]) return false;
    }
    unsigned sum = 0;
    for (std::size_t i = 0; i < kEdidBlockSize; ++i) sum += byteAt(block, i);
    return sum % 256 == 0;
}

}  // namespace

std::optional<std::string> edidMonitorName(std::string_view edid) {
    if (!trusted(edid)) return std::nullopt;
    for (std::size_t d = 0; d < kDescriptors; ++d) {
        const std::string_view descriptor =
            edid.substr(kFirstDescriptor + d * kDescriptorSize, kDescriptorSize);
        if (byteAt(descriptor, 0) != 0 || byteAt(descriptor, 1) != 0 || byteAt(descriptor, 3) != kNameTag)
            continue;
        std::string name;
        for (const char c : descriptor.substr(kTextOffset, kTextSize)) {
            if (c < 0x20 || c > 0x7E) break;
            name.push_back(c);
        }
        const std::size_t last = name.find_last_not_of(' ');
        name.erase(last == std::string::npos ? 0 : last + 1);
        const std::size_t first = name.find_first_not_of(' ');
        name.erase(0, first == std::string::npos ? name.size() : first);
        if (name.empty()) return std::nullopt;
        return name;
    }
    return std::nullopt;
}

}  // namespace amdgpu
