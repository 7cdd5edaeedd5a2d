// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An EDID base block built from the layout EDID 1.4 defines, for a monitor that does not exist
// (maker "TCH"): no real monitor's bytes. Header, identity, a preferred 2560x1440 timing, the name
// descriptor where one is asked for, a range-limits descriptor, a dummy one, and the checksum.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace amdgpu::samples {

inline constexpr std::size_t kEdidNameDescriptor = 72;

// `name` goes into the 0xFC descriptor as written: ended by 0x0A and padded with spaces when it is
// shorter than 13 characters, cut at 13. Without a name that slot is a dummy descriptor (tag 0x10).
inline std::string edidBlock(std::optional<std::string_view> name) {
    std::string b(128, '\0');
    auto put = [&](std::size_t at, std::initializer_list<int> bytes) {
        for (const int v : bytes) b[at++] = static_cast<char>(v);
    };
    put(0, {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00});
    put(8, {0x50, 0x68, 0x34, 0x12, 0, 0, 0, 0, 1, 34, 1, 4});  // "TCH", product 0x1234, 2024, 1.4
    put(20, {0xA5, 60, 34, 120, 0x06});
    put(25, {0xEE, 0x91, 0xA3, 0x54, 0x4C, 0x99, 0x26, 0x0F, 0x50, 0x54});
    for (std::size_t i = 38; i < 54; ++i) b[i] = 0x01;  // no standard timings
    put(54, {0x56, 0x5E, 0x00, 0xA0, 0xA0, 0xA0, 0x29, 0x50, 0x30, 0x20, 0x35, 0x00, 0x55, 0x50, 0x21, 0x00,
             0x00, 0x1A});
    put(kEdidNameDescriptor, {0x00, 0x00, 0x00, name ? 0xFC : 0x10, 0x00});
    if (name) {
        std::string text(name->substr(0, 13));
        if (text.size() < 13) text += '\n';
        text.resize(13, ' ');
        b.replace(kEdidNameDescriptor + 5, 13, text);
    }
    put(90, {0x00, 0x00, 0x00, 0xFD, 0x00, 48, 144, 160, 160, 60, 0x00, 0x0A, 0x20, 0x20, 0x20, 0x20, 0x20,
             0x20});
    put(108, {0x00, 0x00, 0x00, 0x10, 0x00});
    unsigned sum = 0;
    for (std::size_t i = 0; i < 127; ++i) sum += static_cast<std::uint8_t>(b[i]);
    b[127] = static_cast<char>((256 - sum % 256) % 256);
    return b;
}

}  // namespace amdgpu::samples
