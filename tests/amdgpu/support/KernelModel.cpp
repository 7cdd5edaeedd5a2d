// SPDX-License-Identifier: GPL-3.0-or-later
#include "KernelModel.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "KernelCard.h"
#include "KernelText.h"

namespace kernelmodel {

namespace fs = std::filesystem;

const char* FamilyName(Family family) {
    switch (family) {
        case Family::None:
            return "none";
        case Family::Polaris:
            return "polaris";
        case Family::Vega20:
            return "vega20";
        case Family::Navi1x:
            return "navi1x";
        case Family::Navi2x:
            return "navi2x";
        case Family::Navi3x:
            return "navi3x";
        case Family::Rdna4:
            return "rdna4";
        case Family::Apu:
            return "apu";
    }
    return "?";
}

// ---- the model ---------------------------------------------------------------------------------

KernelModel::KernelModel() = default;
KernelModel::~KernelModel() = default;

std::unique_ptr<KernelModel> KernelModel::FromTrees(const std::vector<fs::path>& trees, std::string* error) {
    auto model = std::make_unique<KernelModel>();
    for (const fs::path& tree : trees) {
        if (!model->AddCard(tree, error)) return nullptr;
    }
    return model;
}

bool KernelModel::AddCard(const fs::path& tree, std::string* error) {
    const fs::path device = tree / "device";
    std::error_code ec;
    if (!fs::is_directory(device, ec)) {
        if (error) *error = tree.string() + " has no device folder";
        return false;
    }
    auto card = std::make_unique<Card>();
    card->index = static_cast<int>(m_cards.size());
    const std::string me = "card" + std::to_string(card->index);
    card->dirs.insert("");
    std::string captured;  // the tree's own card name under device/drm
    for (auto it = fs::recursive_directory_iterator(device, ec); it != fs::recursive_directory_iterator();
         ++it) {
        std::string rel = fs::relative(it->path(), device).generic_string();
        if (StartsWith(rel, "drm/card")) {
            const std::size_t end = rel.find_first_of("/-", 4);
            if (captured.empty())
                captured = rel.substr(4, end == std::string::npos ? std::string::npos : end - 4);
        }
        if (!captured.empty() && StartsWith(rel, "drm/")) {
            for (std::size_t pos = 0; (pos = rel.find(captured, pos)) != std::string::npos; pos += me.size())
                rel.replace(pos, captured.size(), me);
        }
        if (it->is_directory())
            card->dirs.insert(rel);
        else
            card->files[rel] = ReadFile(it->path());
    }
    for (const std::string& d : card->dirs) {
        if (StartsWith(d, "hwmon/hwmon") && d.find('/', 6) == std::string::npos) card->hwmon = d;
        if (StartsWith(d, "drm/" + me + "/" + me + "-") &&
            d.find('/', 5 + 2 * me.size()) == std::string::npos)
            card->connectors.push_back(d.substr(5 + me.size()));
    }
    for (const std::string& connector : card->connectors) {
        const std::string edid = "drm/" + me + "/" + connector + "/edid";
        if (!card->Has(edid)) card->files[edid] = "";
    }

    // What a live kernel always has, when the capture left it out.
    std::map<std::string, std::string> uevent;
    if (card->Has("uevent")) {
        const std::string& text = card->files["uevent"];
        std::istringstream in(text.substr(0, text.find('\0')));
        for (std::string line; std::getline(in, line);) {
            const std::size_t eq = line.find('=');
            if (eq != std::string::npos) uevent[line.substr(0, eq)] = Trim(line.substr(eq + 1));
        }
    }
    auto ids = [&](const std::string& key, const char* first, const char* second) {
        const std::string v = uevent[key];
        const std::size_t colon = v.find(':');
        if (colon == std::string::npos) return;
        if (!card->Has(first)) card->files[first] = Hex4(std::stoul(v.substr(0, colon), nullptr, 16));
        if (!card->Has(second)) card->files[second] = Hex4(std::stoul(v.substr(colon + 1), nullptr, 16));
    };
    ids("PCI_ID", "vendor", "device");
    ids("PCI_SUBSYS_ID", "subsystem_vendor", "subsystem_device");
    if (!uevent["DRIVER"].empty()) card->dirs.insert("driver");
    if (!card->Has("power_dpm_force_performance_level"))
        card->files["power_dpm_force_performance_level"] = "auto\n";

    // The overdrive table.
    std::set<std::string> sections;
    if (card->Has("pp_od_clk_voltage")) {
        card->odTemplate = card->files["pp_od_clk_voltage"];
        ParseOd(card->odTemplate, card->boot, card->ranges, sections);
    }
    for (const std::string& name : kFanFiles) {
        const std::string rel = "gpu_od/fan_ctrl/" + name;
        if (!card->Has(rel)) continue;
        card->fanTemplates[name] = card->files[rel];
        ParseFan(name, card->files[rel], card->boot, card->ranges);
    }
    const OdTable& t = card->boot;
    const bool levelVolts = !t.sclk.empty() && t.sclk.begin()->second.mv.has_value();
    const bool curveClocks = !t.curve.empty() && t.curve.begin()->second.mhz != 0;
    // A Navi 1x or Vega20 card without the curve prints only level 1 of OD_MCLK.
    const bool memoryTopOnly = t.mclk.size() == 1 && t.mclk.count(1) && !levelVolts;
    Family family = Family::None;
    if (sections.count("OD_SCLK_OFFSET"))
        family = Family::Rdna4;
    else if (curveClocks || (memoryTopOnly && !sections.count("OD_VDDGFX_OFFSET")))
        family = Family::Navi1x;
    else if (levelVolts)
        family = Family::Polaris;
    else if (sections.count("OD_VDDGFX_OFFSET"))
        family = card->ranges.count("VDDGFX_OFFSET") ? Family::Navi3x : Family::Navi2x;
    else if (sections.count("OD_SCLK") && !sections.count("OD_MCLK"))
        family = Family::Apu;
    else if (sections.count("OD_SCLK"))
        family = Family::Navi2x;
    // Vega20 (0x66A0-0x66AF) prints what Navi 1x prints; its reset differs.
    const std::string pciId = uevent["PCI_ID"];
    if (family == Family::Navi1x && pciId.size() == 9) {
        const unsigned long device = std::stoul(pciId.substr(5), nullptr, 16);
        if (device >= 0x66A0 && device <= 0x66AF) family = Family::Vega20;
    }
    card->family = family;
    card->overdrive = family != Family::None;
    card->staged = card->committed = card->boot;

    if (!card->hwmon.empty()) {
        if (auto mode = card->Number(card->hwmon + "/pwm1_enable"))
            card->fanMode = static_cast<int>(*mode);
        else if (auto on = card->Number(card->hwmon + "/fan1_enable"))
            card->fanMode = *on == 1 ? 1 : 2;
    }
    m_cards.push_back(std::move(card));
    return true;
}

int KernelModel::CardCount() const { return static_cast<int>(m_cards.size()); }

Family KernelModel::FamilyOf(int card) const { return m_cards.at(card)->family; }

std::string KernelModel::DevicePath(int card, const std::string& relative) {
    return "class/drm/card" + std::to_string(card) + "/device" + (relative.empty() ? "" : "/" + relative);
}

std::string KernelModel::HwmonPath(int card, const std::string& file) const {
    return DevicePath(card, m_cards.at(card)->hwmon + "/" + file);
}

// Where a path leads: a card's device file or folder, or one of the few nodes around the cards.
struct KernelModel::Resolved {
    bool found = false;
    Card* card = nullptr;
    std::string rel;                                // within the card's device folder
    std::optional<std::string> text;                // a file outside the cards
    std::optional<std::vector<std::string>> names;  // a folder outside the cards
};

KernelModel::Resolved KernelModel::Resolve(const std::string& raw) const {
    std::string path = raw;
    while (!path.empty() && path.back() == '/') path.pop_back();
    while (StartsWith(path, "/")) path.erase(0, 1);
    Resolved r;
    auto folder = [&](std::vector<std::string> names) {
        r.found = true;
        std::sort(names.begin(), names.end());
        r.names = std::move(names);
        return r;
    };
    auto file = [&](std::string text) {
        r.found = true;
        r.text = std::move(text);
        return r;
    };
    const bool anyOverdrive =
        std::any_of(m_cards.begin(), m_cards.end(), [](const auto& c) { return c->overdrive; });
    if (path.empty()) return folder({"class", "module"});
    if (path == "class") return folder({"drm"});
    if (path == "module") return folder({"amdgpu"});
    if (path == "module/amdgpu") return folder({"parameters"});
    if (path == "module/amdgpu/parameters") return folder({"ppfeaturemask"});
    if (path == "module/amdgpu/parameters/ppfeaturemask") {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%#08x\n",
                      m_ppFeatureMask.value_or(anyOverdrive ? 0xffffffffu : 0xfff7bfffu));
        return file(buf);
    }
    if (path == "class/drm/version") return file("drm 1.1.0 20060810\n");
    if (path == "class/drm") {
        std::vector<std::string> names{"version"};
        for (const auto& c : m_cards) {
            if (c->removed) continue;
            const std::string n = std::to_string(c->index);
            names.push_back("card" + n);
            names.push_back("renderD" + std::to_string(128 + c->index));
            for (const std::string& conn : c->connectors) names.push_back(conn);
        }
        return folder(names);
    }
    if (!StartsWith(path, "class/drm/")) return r;
    std::string rest = path.substr(10);
    const std::size_t slash = rest.find('/');
    const std::string node = rest.substr(0, slash);
    rest = slash == std::string::npos ? "" : rest.substr(slash + 1);
    for (const auto& c : m_cards) {
        if (c->removed) continue;
        const std::string me = "card" + std::to_string(c->index);
        const std::string render = "renderD" + std::to_string(128 + c->index);
        std::string rel;
        if (node == me || node == render) {
            if (rest.empty()) {
                std::vector<std::string> names{"dev", "device", "uevent"};
                if (node == me) names.insert(names.end(), c->connectors.begin(), c->connectors.end());
                return folder(names);
            }
            if (rest == "dev")
                return file("226:" + std::to_string(node == me ? c->index : 128 + c->index) + "\n");
            if (rest == "uevent")
                return file("MAJOR=226\nMINOR=" + std::to_string(node == me ? c->index : 128 + c->index) +
                            "\nDEVNAME=dri/" + node + "\nDEVTYPE=drm_minor\n");
            if (rest == "device")
                rel = "";
            else if (StartsWith(rest, "device/"))
                rel = rest.substr(7);
            else if (node == me && std::find(c->connectors.begin(), c->connectors.end(),
                                             rest.substr(0, rest.find('/'))) != c->connectors.end())
                rel = "drm/" + me + "/" + rest;
            else
                return r;
        } else if (std::find(c->connectors.begin(), c->connectors.end(), node) != c->connectors.end()) {
            rel = "drm/" + me + "/" + node + (rest.empty() ? "" : "/" + rest);
        } else {
            continue;
        }
        if (c->dirs.count(rel) || c->files.count(rel)) {
            r.found = true;
            r.card = c.get();
            r.rel = rel;
        }
        return r;
    }
    return r;
}

amdgpu::ReadResult KernelModel::read(const std::string& path) {
    ++m_readCounts[path];
    const Resolved r = Resolve(path);
    if (!r.found) return {ENOENT, {}};
    if (r.text) return {0, *r.text};
    if (r.names || r.card->dirs.count(r.rel)) return {EISDIR, {}};
    if (r.card->IsPowerFile(r.rel)) {
        // amdgpu_pm_get_access_if_active: amdgpu_pm_dev_state_check(adev, false) refuses a card in
        // reset or in suspend, runtime suspend included (EBUSY from 6.18, EPERM before), then
        // pm_runtime_get_if_active refuses a card that is not awake (EPERM).
        if (r.card->resetting) return {EBUSY, {}};
        if (r.card->sleeping) return {r.card->sleepAnswer, {}};
    }
    return {0, r.card->files.at(r.rel)};
}

int KernelModel::list(const std::string& dir, std::vector<std::string>& names) {
    names.clear();
    const Resolved r = Resolve(dir);
    if (!r.found) return ENOENT;
    if (r.names) {
        names = *r.names;
        return 0;
    }
    if (r.text || !r.card->dirs.count(r.rel)) return ENOTDIR;
    const std::string prefix = r.rel.empty() ? "" : r.rel + "/";
    std::set<std::string> found;
    auto add = [&](const std::string& entry) {
        if (!StartsWith(entry, prefix) || entry.size() == prefix.size()) return;
        const std::string tail = entry.substr(prefix.size());
        if (tail.find('/') == std::string::npos) found.insert(tail);
    };
    for (const auto& [rel, bytes] : r.card->files) add(rel);
    for (const std::string& d : r.card->dirs) add(d);
    names.assign(found.begin(), found.end());
    return 0;
}

int KernelModel::write(const std::string& path, std::string_view command) {
    WriteRecord record{path, std::string(command), 0};
    auto finish = [&](int error) {
        record.error = error;
        m_writes.push_back(record);
        return error;
    };
    const Resolved r = Resolve(path);
    if (m_failNext && (m_failNext->second.empty() || path.ends_with(m_failNext->second))) {
        const int error = m_failNext->first;
        m_failNext.reset();
        return finish(error);
    }
    if (!r.found) return finish(ENOENT);
    if (r.names || (r.card && r.card->dirs.count(r.rel))) return finish(EISDIR);
    if (!r.card) return finish(EACCES);
    return finish(WriteCard(*r.card, r.rel, command));
}

int KernelModel::WriteCard(Card& card, const std::string& rel, std::string_view command) {
    if (card.IsPowerFile(rel)) {
        // The store functions use amdgpu_pm_get_access after their parsing: EBUSY in reset (6.18;
        // EPERM before), else the card is resumed.
        if (card.resetting) {
            const int refused = card.RefusedBeforeAccess(rel, command);
            return refused != 0 ? refused : EBUSY;
        }
        card.sleeping = false;
    }
    int result = EACCES;
    if (rel == "pp_od_clk_voltage") {
        result = card.EditOd(command);
    } else if (StartsWith(rel, "gpu_od/fan_ctrl/") && kFanFiles.count(rel.substr(16))) {
        result = card.EditFan(rel.substr(16), command);
    } else if (!card.hwmon.empty() && StartsWith(rel, card.hwmon + "/")) {
        const std::string file = rel.substr(card.hwmon.size() + 1);
        if (file == "power1_cap" || file == "pwm1_enable" || file == "fan1_enable" || file == "pwm1" ||
            file == "fan1_target")
            result = card.WriteHwmon(file, command);
    } else if (rel == "power_dpm_force_performance_level") {
        result = card.WritePerformanceLevel(command);
    } else if (rel == "pp_dpm_sclk" || rel == "pp_dpm_mclk" || rel == "pp_power_profile_mode") {
        result = 0;  // taken; the model does not follow forced levels or profiles
    }
    card.RenderTable();  // a refused SMU13/14 edit may keep what it stored
    return result;
}

int KernelModel::wake(const std::string& device) {
    const Resolved r = Resolve(device);
    if (!r.found || r.card == nullptr) return ENOENT;
    ++r.card->wakes;
    if (r.card->wakeError != 0) return r.card->wakeError;
    // Every amdgpu ioctl runs between pm_runtime_get_sync and pm_runtime_put_autosuspend
    // (amdgpu_drm_ioctl): the card wakes and stays up for its autosuspend delay.
    r.card->sleeping = false;
    return 0;
}

void KernelModel::SetSleeping(int card, bool sleeping, int answer) {
    m_cards.at(card)->sleeping = sleeping;
    m_cards.at(card)->sleepAnswer = answer;
}
bool KernelModel::Sleeping(int card) const { return m_cards.at(card)->sleeping; }
void KernelModel::SetWakeError(int card, int error) { m_cards.at(card)->wakeError = error; }
int KernelModel::WakeCount(int card) const { return m_cards.at(card)->wakes; }
void KernelModel::SetResetting(int card, bool resetting) { m_cards.at(card)->resetting = resetting; }

void KernelModel::SetClockLimits(int card, const std::string& clock, int level, long long min,
                                 long long max) {
    m_cards.at(card)->endLimits[clock + "[" + std::to_string(level) + "]"] = {min, max};
}

long long KernelModel::EffectivePowerCap(int card) const {
    const Card& c = *m_cards.at(card);
    if (c.effectiveCap) return *c.effectiveCap;
    return c.hwmon.empty() ? 0 : c.Number(c.hwmon + "/power1_cap").value_or(0);
}

void KernelModel::FailNextWrite(int error, std::string pathSuffix) {
    m_failNext = {error, std::move(pathSuffix)};
}

void KernelModel::RemoveCard(int card) { m_cards.at(card)->removed = true; }

int KernelModel::ReadCount(const std::string& path) const {
    const auto it = m_readCounts.find(path);
    return it == m_readCounts.end() ? 0 : it->second;
}

std::vector<std::string> KernelModel::AcceptedCommands(int card) const {
    const std::string prefix = DevicePath(card, "") + "/";
    std::vector<std::string> lines;
    for (const WriteRecord& w : m_writes) {
        if (w.error != 0 || !StartsWith(w.path, prefix)) continue;
        std::string bytes;
        for (char c : w.bytes) bytes += c == '\n' ? std::string("\\n") : std::string(1, c);
        lines.push_back(w.path.substr(prefix.size()) + ": " + bytes);
    }
    return lines;
}

void KernelModel::SetFile(int card, const std::string& relative, std::string bytes) {
    m_cards.at(card)->files[relative] = std::move(bytes);
}

void KernelModel::SetPerformanceLevel(int card, const std::string& level) {
    m_cards.at(card)->files["power_dpm_force_performance_level"] = level + "\n";
}

bool KernelModel::Uncommitted(int card) const {
    const Card& c = *m_cards.at(card);
    return !(c.staged == c.committed);
}

std::string KernelModel::CommittedRead(int card, const std::string& relative) const {
    const Card& c = *m_cards.at(card);
    if (relative == "pp_od_clk_voltage" && c.overdrive) return RenderOd(c.odTemplate, c.committed);
    if (StartsWith(relative, "gpu_od/fan_ctrl/") && c.fanTemplates.count(relative.substr(16)))
        return RenderFan(relative.substr(16), c.fanTemplates.at(relative.substr(16)), c.committed);
    const auto it = c.files.find(relative);
    return it == c.files.end() ? std::string() : it->second;
}

}  // namespace kernelmodel
