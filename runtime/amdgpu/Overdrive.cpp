// SPDX-License-Identifier: GPL-3.0-or-later
// The overdrive table (pp_od_clk_voltage and the gpu_od/fan_ctrl files that share it): read once
// per call, and written the way the card's kernel takes it.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>

#include "Session.h"
#include "Tuning.h"
#include "formats/Commands.h"
#include "formats/Values.h"

namespace amdgpu {

namespace {

constexpr unsigned kOverdriveBit = 0x4000;
constexpr const char* kFeatureMask = "module/amdgpu/parameters/ppfeaturemask";

// The word the kernel prints, without its newline (or the NUL padding of a capture).
std::string firstWord(const std::string& text) {
    const std::size_t end = text.find_first_of(" \t\n\r", 0);
    std::string word = text.substr(0, end);
    return word.substr(0, word.find('\0'));
}

// The levels a card is put back into; the privileged writer takes exactly these.
bool isPerformanceLevel(const std::string& level) {
    for (const char* known : {"auto", "low", "high", "manual", "profile_standard", "profile_min_sclk",
                              "profile_min_mclk", "profile_peak"}) {
        if (level == known) return true;
    }
    return false;
}

}  // namespace

Overdrive readOverdrive(Kernel& kernel, const Card& card) {
    Overdrive o;
    const ReadResult& read = kernel.read(card.file("pp_od_clk_voltage"));
    o.error = read.error;
    if (read.error == 0) {
        o.present = true;
        o.od = parseOdClkVoltage(read.text);
        o.rules = rulesFor(o.od, card.pciDevice);
    }
    return o;
}

void noteOverdriveOff(Kernel& kernel, const Card& card, const Overdrive& o) {
    Session& s = session();
    if (s.overdriveHintShown) return;
    s.overdriveHintShown = true;
    const char* why =
        o.present ? "its pp_od_clk_voltage holds no overdrive section" : "it has no pp_od_clk_voltage";
    std::optional<unsigned long> mask;
    if (const std::string* text = kernel.text(kFeatureMask)) mask = parseFeatureMask(*text);
    if (mask && (*mask & kOverdriveBit) != 0) {
        std::fprintf(stderr,
                     "tachyon-amdgpu: card%d offers no overdrive (%s) although amdgpu.ppfeaturemask (0x%lx) "
                     "switches it on: clocks, voltage and memory cannot be tuned on this card.\n",
                     card.number, why, *mask);
        return;
    }
    const unsigned long wanted = (mask ? *mask : 0xfff7bffful) | kOverdriveBit;
    std::fprintf(
        stderr,
        "tachyon-amdgpu: card%d: overdrive is off (%s), so clocks, voltage and memory cannot be tuned. "
        "Switch it on with amdgpu.ppfeaturemask=0x%lx on the kernel command line (bit 0x4000 added to "
        "%s) and restart.\n",
        card.number, why, wanted, mask ? "the current mask" : "the kernel's default mask");
}

void noteResetKeepsClocks(const Card& card, const FamilyRules& rules) {
    Session& s = session();
    if (s.resetHintShown) return;
    s.resetHintShown = true;
    std::fprintf(stderr,
                 "tachyon-amdgpu: card%d (%s): the kernel's reset gives back the overdrive table last "
                 "committed, not the factory one, so clocks and voltage keep their values until the next "
                 "boot; the power limit is reset all the same.\n",
                 card.number, rules.name);
}

LevelSwitch enterManualLevel(Kernel& kernel, const Card& card, const FamilyRules* rules) {
    LevelSwitch s;
    if (rules == nullptr || !rules->editsNeedManualLevel) return s;
    const std::string file = card.file(kPerformanceLevel);
    const std::string* text = kernel.text(file);
    const std::string level = text != nullptr ? firstWord(*text) : std::string();
    if (level == "manual") return s;
    s.error = kernel.write(file, "manual\n");
    if (s.error == 0) s.left = level;
    return s;
}

void leaveManualLevel(Kernel& kernel, const Card& card, const LevelSwitch& s) {
    if (s.left && isPerformanceLevel(*s.left)) kernel.write(card.file(kPerformanceLevel), *s.left + "\n");
}

ADLX_RESULT stageOverdrive(Kernel& kernel, const Card& card, const FamilyRules* rules,
                           const std::string& file, const Plan& plan) {
    if (plan.commands.empty()) return ADLX_OK;
    // Read before the commit, as this call's only read of the cap: after it the kernel may show
    // the default already.
    std::optional<std::int64_t> keptCap;
    if (rules != nullptr && rules->commitMayDropPowerCap) {
        const auto p = readPower(kernel, card, false);
        if (p && p->cap != p->defaultCap && p->cap <= std::numeric_limits<std::uint32_t>::max())
            keptCap = p->cap;
    }
    const LevelSwitch level = enterManualLevel(kernel, card, rules);
    if (level.error != 0) return resultOf(level.error);
    auto writeKeptCap = [&] {
        return kernel.write(card.hwmonFile("power1_cap"),
                            powerCapCommand(static_cast<std::uint32_t>(*keptCap)));
    };
    const ADLX_RESULT result = stage(kernel, file, plan.commands, plan.undo);
    if (result != ADLX_OK) {
        leaveManualLevel(kernel, card, level);
        // An undo by `r` commits the boot table, whose Ppt drops a cap above the default.
        if (keptCap && std::find(plan.undo.begin(), plan.undo.end(), resetCommand()) != plan.undo.end())
            writeKeptCap();
        return result;
    }
    if (!keptCap) return ADLX_OK;
    return resultOf(writeKeptCap());
}

}  // namespace amdgpu
