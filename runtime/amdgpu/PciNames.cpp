// SPDX-License-Identifier: GPL-3.0-or-later
// libpci loads the database on the first lookup; a missing database is no name, and the warnings
// of a damaged one are not the user's business. Its error handler (out of memory) is left as it
// is: libpci does not expect it to return.

#include "PciNames.h"

#include <cstdlib>
#include <memory>

extern "C" {
#include <pci/pci.h>
}

namespace amdgpu {

namespace {

constexpr std::uint16_t kAmdVendor = 0x1002;

void ignoreMessage(char*, ...) {}

struct AccessDeleter {
    void operator()(pci_access* access) const { pci_cleanup(access); }
};

}  // namespace

std::optional<std::string> pciDatabaseName(std::uint16_t vendor, std::uint16_t device) {
    const std::unique_ptr<pci_access, AccessDeleter> access(pci_alloc());
    if (!access) return std::nullopt;
    access->warning = ignoreMessage;
    access->debug = ignoreMessage;
    if (char* path = std::getenv("TACHYON_PCI_IDS"); path != nullptr && *path != '\0')
        pci_set_name_list_path(access.get(), path, 0);
    char name[256];
    // pci.ids itself: no network lookup (off unless asked for) and not udev's copy of it.
    const char* found = pci_lookup_name(access.get(), name, sizeof name,
                                        PCI_LOOKUP_DEVICE | PCI_LOOKUP_NO_NUMBERS | PCI_LOOKUP_NO_HWDB,
                                        static_cast<int>(vendor), static_cast<int>(device));
    if (found == nullptr || *found == '\0') return std::nullopt;
    return vendor == kAmdVendor ? "AMD " + std::string(found) : std::string(found);
}

}  // namespace amdgpu
