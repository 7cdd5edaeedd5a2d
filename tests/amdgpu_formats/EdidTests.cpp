// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "EdidSample.h"
#include "formats/Edid.h"

namespace amdgpu {
namespace {

using samples::edidBlock;
using samples::kEdidNameDescriptor;

std::string withByte(std::string edid, std::size_t at, int value) {
    edid[at] = static_cast<char>(value);
    return edid;
}

// Keeps the checksum right after a change, so only the change itself can make a difference.
std::string resummed(std::string edid) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < 127; ++i) sum += static_cast<std::uint8_t>(edid[i]);
    edid[127] = static_cast<char>((256 - sum % 256) % 256);
    return edid;
}

TEST(Edid, NamesFromTheMonitorNameDescriptor) {
    struct Case {
        const char* what;
        std::string edid;
        std::optional<std::string> name;
    };
    const std::string named = edidBlock("TACHYON T27");
    const Case cases[] = {
        {"ended by a newline, padded with spaces", named, "TACHYON T27"},
        {"all 13 characters, no newline", edidBlock("ABCDEFGHIJKLM"), "ABCDEFGHIJKLM"},
        {"spaces around the text", edidBlock("  LG 27GL   "), "LG 27GL"},
        {"extension blocks after the base block", named + std::string(128, '\x02'), "TACHYON T27"},
        {"no name descriptor", edidBlock(std::nullopt), std::nullopt},
        {"a name of spaces only", edidBlock("     "), std::nullopt},
        {"a control byte ends the name", resummed(withByte(named, kEdidNameDescriptor + 5 + 4, 0x01)),
         "TACH"},
        // A detailed timing with 0xFC in byte 3 is a timing, not a name.
        {"the slot is a timing", resummed(withByte(named, kEdidNameDescriptor, 0x10)), std::nullopt},
        {"bad header", resummed(withByte(named, 7, 0xFF)), std::nullopt},
        {"bad checksum", withByte(named, 127, named[127] + 1), std::nullopt},
        {"a name byte changed without the checksum", withByte(named, kEdidNameDescriptor + 5, 'X'),
         std::nullopt},
        {"truncated", named.substr(0, 127), std::nullopt},
        {"only the header", named.substr(0, 8), std::nullopt},
        {"empty (nothing plugged in)", "", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(edidMonitorName(c.edid), c.name) << c.what;
}

TEST(Edid, TheNameMayBeInAnyOfTheFourDescriptors) {
    const std::string named = edidBlock("TACHYON T27");
    const std::string descriptor = named.substr(kEdidNameDescriptor, 18);
    for (const std::size_t at : {54u, 90u, 108u}) {
        std::string moved = edidBlock(std::nullopt);
        moved.replace(at, 18, descriptor);
        EXPECT_EQ(edidMonitorName(resummed(moved)), "TACHYON T27") << at;
    }
}

}  // namespace
}  // namespace amdgpu
