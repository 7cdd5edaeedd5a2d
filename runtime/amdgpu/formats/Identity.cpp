// SPDX-License-Identifier: GPL-3.0-or-later
// The id files are "0x%04x\n", uevent is KEY=VALUE lines, amdgpu.ids is libdrm's tab-separated
// table. The PNP string must keep the shape the profile code reads DEV_ and REV_ from (four and
// two upper-case hex digits), so a part that is unknown is left out rather than written as zeros.

#include "formats/Identity.h"

#include "formats/Text.h"

namespace amdgpu {

namespace {

std::string_view trimAll(std::string_view s) {
    while (!s.empty() && (text::isBlank(s.front()) || s.front() == '\n' || s.front() == '\0'))
        s.remove_prefix(1);
    while (!s.empty() && (text::isBlank(s.back()) || s.back() == '\n' || s.back() == '\0'))
        s.remove_suffix(1);
    return s;
}

// Hex digits only (no prefix), value at most max.
std::optional<unsigned> hexUpTo(std::string_view s, unsigned max) {
    unsigned value = 0;
    if (text::readWhole(s, value, 16) != text::NumberRead::Ok || value > max) return std::nullopt;
    return value;
}

void appendHex(std::string& out, unsigned value, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out.push_back(kDigits[(value >> shift) & 0xF]);
}

}  // namespace

std::optional<std::uint16_t> parseHexId(std::string_view input) {
    std::string_view s = trimAll(input);
    if (s.starts_with("0x") || s.starts_with("0X")) s.remove_prefix(2);
    const std::optional<unsigned> value = hexUpTo(s, 0xFFFF);
    if (!value) return std::nullopt;
    return static_cast<std::uint16_t>(*value);
}

std::map<std::string, std::string, std::less<>> parseUevent(std::string_view input) {
    std::map<std::string, std::string, std::less<>> values;
    for (const std::string_view line : text::lines(input)) {
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = text::trim(line.substr(0, equals));
        if (key.empty()) continue;
        values.emplace(std::string(key), std::string(text::trim(line.substr(equals + 1))));
    }
    return values;
}

std::optional<PciIdPair> parsePciIdPair(std::string_view input) {
    const std::string_view s = trimAll(input);
    const std::size_t colon = s.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::optional<unsigned> vendor = hexUpTo(s.substr(0, colon), 0xFFFF);
    const std::optional<unsigned> device = hexUpTo(s.substr(colon + 1), 0xFFFF);
    if (!vendor || !device) return std::nullopt;
    return PciIdPair{static_cast<std::uint16_t>(*vendor), static_cast<std::uint16_t>(*device)};
}

std::string pnpString(const PciIdentity& id) {
    std::string out = "PCI\\VEN_";
    appendHex(out, id.vendor, 4);
    out += "&DEV_";
    appendHex(out, id.device, 4);
    if (id.subsystem) {
        out += "&SUBSYS_";
        appendHex(out, id.subsystem->device, 4);
        appendHex(out, id.subsystem->vendor, 4);
    }
    if (id.revision) {
        out += "&REV_";
        appendHex(out, *id.revision, 2);
    }
    return out;
}

MarketingNames parseAmdgpuIds(std::string_view input) {
    MarketingNames names;
    bool versionSeen = false;
    for (const std::string_view line : text::lines(input)) {
        if (line.front() == '#') continue;
        const std::size_t first = line.find(',');
        if (first == std::string_view::npos) {
            if (!versionSeen && names.entries.empty()) names.version = std::string(line);
            versionSeen = true;
            continue;
        }
        const std::size_t second = line.find(',', first + 1);
        if (second == std::string_view::npos) continue;
        const std::optional<unsigned> device = hexUpTo(text::trim(line.substr(0, first)), 0xFFFF);
        const std::optional<unsigned> revision =
            hexUpTo(text::trim(line.substr(first + 1, second - first - 1)), 0xFF);
        const std::string_view name = text::trim(line.substr(second + 1));
        if (!device || !revision || name.empty()) continue;
        names.entries.push_back(
            {static_cast<std::uint16_t>(*device), static_cast<std::uint8_t>(*revision), std::string(name)});
    }
    return names;
}

std::optional<std::string> findMarketingName(const MarketingNames& names, std::uint16_t device,
                                             std::uint8_t revision) {
    for (const MarketingName& entry : names.entries) {
        if (entry.device == device && entry.revision == revision) return entry.name;
    }
    return std::nullopt;
}

}  // namespace amdgpu
