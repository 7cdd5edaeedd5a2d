// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding the cards: every class/drm/cardN (N digits only) whose PCI device is bound to amdgpu,
// in card-number order, with the name, identity string and multi-GPU role the program lists.

#include <string>
#include <vector>

#include "Attributes.h"
#include "adlx/ADLXDefines.h"
#include "formats/Identity.h"

namespace amdgpu {

struct Card {
    int number = 0;
    std::string device;  // "class/drm/card0/device", relative to the root
    std::string hwmon;   // "class/drm/card0/device/hwmon/hwmon4", empty when the card has none
    std::string name;
    std::string pnp;
    std::uint16_t pciDevice = 0;  // the PCI device id, e.g. 0x73BF
    ADLX_MGPU_MODE multiGpuMode = MGPU_NONE;

    std::string file(const std::string& name) const { return device + "/" + name; }
    std::string hwmonFile(const std::string& name) const {
        return hwmon.empty() ? std::string() : hwmon + "/" + name;
    }
};

// Where libdrm keeps the marketing names (Debian package libdrm-common).
inline constexpr const char* kAmdgpuIdsPath = "/usr/share/libdrm/amdgpu.ids";

// The marketing names from the file TACHYON_AMDGPU_IDS names, or from libdrm's; none when
// neither can be read.
MarketingNames loadMarketingNames();

// Reads each attribute at most once. A card whose files cannot be read is left out. Its name is
// libdrm's for its device and revision, else the card's own product_name, else the PCI database's
// for its device; a card with no name anywhere gets "AMD Radeon Graphics [1002:73BF]", which still
// tells the chip.
std::vector<Card> discoverCards(Attributes& files, const MarketingNames& names);

}  // namespace amdgpu
