// SPDX-License-Identifier: GPL-3.0-or-later
// Card discovery. The id files are the first choice; trees that carry only device/uevent (some
// captures, some kernels' minimal sysfs) still give the ids through PCI_ID and PCI_SUBSYS_ID.

#include "Cards.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

#include "PciNames.h"
#include "formats/Text.h"
#include "formats/Values.h"

namespace amdgpu {

namespace {

// "card12" -> 12; connectors ("card0-DP-1") and render nodes are not cards.
std::optional<int> cardNumber(const std::string& name) {
    if (name.size() <= 4 || name.size() > 12 || name.compare(0, 4, "card") != 0) return std::nullopt;
    int n = 0;
    for (std::size_t i = 4; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return std::nullopt;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

// "hwmon4" -> 4, anything else -> nullopt.
std::optional<int> hwmonNumber(const std::string& name) {
    if (name.size() <= 5 || name.size() > 14 || name.compare(0, 5, "hwmon") != 0) return std::nullopt;
    int n = 0;
    for (std::size_t i = 5; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return std::nullopt;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

std::optional<std::string> readText(Attributes& files, const std::string& path) {
    ReadResult r = files.read(path);
    if (r.error != 0) return std::nullopt;
    return std::move(r.text);
}

std::optional<std::uint16_t> readHexId(Attributes& files, const std::string& path) {
    const auto text = readText(files, path);
    return text ? parseHexId(*text) : std::nullopt;
}

std::string hex4(std::uint16_t v) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%04X", v);
    return buffer;
}

// The hwmon folder of the card, by the lowest number when there are several.
std::string findHwmon(Attributes& files, const std::string& device) {
    std::vector<std::string> names;
    if (files.list(device + "/hwmon", names) != 0) return {};
    std::optional<int> best;
    for (const auto& name : names) {
        const auto n = hwmonNumber(name);
        if (n && (!best || *n < *best)) best = n;
    }
    return best ? device + "/hwmon/hwmon" + std::to_string(*best) : std::string();
}

struct Found {
    Card card;
    bool bootVga = false;
};

std::optional<Found> probeCard(Attributes& files, int number, const MarketingNames& names) {
    Found found;
    Card& card = found.card;
    card.number = number;
    card.device = "class/drm/card" + std::to_string(number) + "/device";

    const auto uevent = readText(files, card.file("uevent"));
    if (!uevent) return std::nullopt;
    const auto keys = parseUevent(*uevent);
    const auto driver = keys.find("DRIVER");
    if (driver == keys.end() || driver->second != "amdgpu") return std::nullopt;

    PciIdentity id;
    const auto pciId = keys.find("PCI_ID");
    const auto pair = pciId != keys.end() ? parsePciIdPair(pciId->second) : std::nullopt;
    const auto vendor = readHexId(files, card.file("vendor"));
    const auto device = readHexId(files, card.file("device"));
    if (vendor && device) {
        id.vendor = *vendor;
        id.device = *device;
    } else if (pair) {
        id.vendor = pair->vendor;
        id.device = pair->device;
    } else {
        return std::nullopt;
    }
    const auto subVendor = readHexId(files, card.file("subsystem_vendor"));
    const auto subDevice = readHexId(files, card.file("subsystem_device"));
    if (subVendor && subDevice) {
        id.subsystem = PciIdPair{*subVendor, *subDevice};
    } else if (const auto subsys = keys.find("PCI_SUBSYS_ID"); subsys != keys.end()) {
        id.subsystem = parsePciIdPair(subsys->second);
    }
    if (const auto revision = readHexId(files, card.file("revision")); revision && *revision <= 0xff) {
        id.revision = static_cast<std::uint8_t>(*revision);
    }
    card.pnp = pnpString(id);
    card.pciDevice = id.device;

    if (id.revision) {
        if (auto name = findMarketingName(names, id.device, *id.revision)) card.name = std::move(*name);
    }
    if (card.name.empty()) {
        if (const auto product = readText(files, card.file("product_name"))) {
            const auto lines = text::lines(*product);
            if (!lines.empty()) card.name = std::string(lines.front());
        }
    }
    if (card.name.empty()) {
        if (auto name = pciDatabaseName(id.vendor, id.device)) card.name = std::move(*name);
    }
    if (card.name.empty())
        card.name = "AMD Radeon Graphics [" + hex4(id.vendor) + ":" + hex4(id.device) + "]";

    if (const auto boot = readText(files, card.file("boot_vga")))
        found.bootVga = parseBootVga(*boot).value_or(false);
    card.hwmon = findHwmon(files, card.device);
    return found;
}

}  // namespace

MarketingNames loadMarketingNames() {
    const char* named = std::getenv("TACHYON_AMDGPU_IDS");
    std::ifstream file(named != nullptr && *named != '\0' ? named : kAmdgpuIdsPath, std::ios::binary);
    if (!file) return {};
    std::ostringstream text;
    text << file.rdbuf();
    return parseAmdgpuIds(text.str());
}

std::vector<Card> discoverCards(Attributes& files, const MarketingNames& names) {
    std::vector<std::string> entries;
    if (files.list("class/drm", entries) != 0) return {};
    std::vector<int> numbers;
    for (const auto& entry : entries) {
        if (const auto n = cardNumber(entry)) numbers.push_back(*n);
    }
    // card10 after card9: by number, not by name.
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());

    std::vector<Found> found;
    for (const int n : numbers) {
        if (auto card = probeCard(files, n, names)) found.push_back(std::move(*card));
    }
    std::vector<Card> cards;
    // Only the firmware's boot card is primary, and only among several; should two claim it, the
    // first keeps it.
    bool primaryGiven = found.size() < 2;
    for (auto& f : found) {
        f.card.multiGpuMode = !primaryGiven && f.bootVga ? MGPU_PRIMARY : MGPU_NONE;
        primaryGiven = primaryGiven || f.bootVga;
        cards.push_back(std::move(f.card));
    }
    return cards;
}

}  // namespace amdgpu
