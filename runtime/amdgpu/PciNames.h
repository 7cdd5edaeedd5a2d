// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The system's PCI database (pci.ids, through libpci): the second place a card's name comes from,
// for chips newer than libdrm's amdgpu.ids or revisions it does not list.

#include <cstdint>
#include <optional>
#include <string>

namespace amdgpu {

// The device's name from pci.ids, "AMD " in front of AMD's: "AMD Navi 32 [Radeon RX 7700 XT / 7800 XT]".
// The database is the file TACHYON_PCI_IDS names, or the system's (Debian package pci.ids);
// nullopt when the device is not listed or there is no database.
std::optional<std::string> pciDatabaseName(std::uint16_t vendor, std::uint16_t device);

}  // namespace amdgpu
