// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Who a card is: the PCI ids (from the id files or, where a tree has only uevent, from PCI_ID and
// PCI_SUBSYS_ID), the PNP-style string the program's profile code takes DEV_ and REV_ from, and
// the marketing name from libdrm's amdgpu.ids.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace amdgpu {

// vendor, device, subsystem_vendor, subsystem_device, revision: "0x%04x\n" / "0x%02x\n". The
// 0x prefix is optional here; the value must fit 16 bits.
std::optional<std::uint16_t> parseHexId(std::string_view text);

// uevent: KEY=VALUE lines. The first value of a key wins; lines without '=' are skipped.
std::map<std::string, std::string, std::less<>> parseUevent(std::string_view text);

// PCI_ID=1002:73BF (vendor:device) or PCI_SUBSYS_ID=1DA2:440E (subsystem vendor:device).
struct PciIdPair {
    std::uint16_t vendor = 0;
    std::uint16_t device = 0;
    bool operator==(const PciIdPair&) const = default;
};
std::optional<PciIdPair> parsePciIdPair(std::string_view text);

struct PciIdentity {
    std::uint16_t vendor = 0;
    std::uint16_t device = 0;
    std::optional<PciIdPair> subsystem;    // left out of the string when unknown
    std::optional<std::uint8_t> revision;  // left out of the string when unknown
};

// PCI\VEN_1002&DEV_73BF&SUBSYS_440E1DA2&REV_C0: upper-case hex, SUBSYS is the subsystem device
// followed by the subsystem vendor. Parts that are unknown are left out, not written as zeros.
std::string pnpString(const PciIdentity& id);

// libdrm's amdgpu.ids: `#` comments, a version line, then `DEVID,\tREV,\tName` lines (hex).
struct MarketingName {
    std::uint16_t device = 0;
    std::uint8_t revision = 0;
    std::string name;
    bool operator==(const MarketingName&) const = default;
};
struct MarketingNames {
    std::string version;  // empty when the file has none
    std::vector<MarketingName> entries;
};
MarketingNames parseAmdgpuIds(std::string_view text);

// The name of the first entry with this device and revision, or nullopt.
std::optional<std::string> findMarketingName(const MarketingNames& names, std::uint16_t device,
                                             std::uint8_t revision);

}  // namespace amdgpu
