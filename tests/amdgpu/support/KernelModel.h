// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A stand-in for the amdgpu kernel driver behind the runtime's attribute seam, built from card
// trees on disk (a capture or a hand-written fixture, laid out as `<tree>/device/...`).
//
// Cards appear as class/drm/card0, card1, ... in the order the trees are given, with their
// connectors (`device/drm/cardX/cardX-NAME` in the tree) as class/drm/cardN-NAME. A file reads
// as the tree's bytes until a write changes what it holds; from then on it is rendered the way
// the kernel of that card's family prints it, in the capture's own spacing, unit case and NUL
// runs (only the changed numbers move).
//
// What the model answers, per family (decided from the pp_od_clk_voltage text, and for Vega20 from
// the PCI id in uevent, as its text is Navi 1x's). The kernel function each rule follows is named
// beside it in KernelCard.cpp (the card's rules) and KernelModel.cpp (the files around them).
// - Every pp_od_clk_voltage write is parsed as the kernel parses it: 1 to 127 bytes, the first
//   byte names the command (`s`, `m`, `p`, `r`, `c`, or `vc`/`vo`), so a leading space is
//   EINVAL; numbers are read with base 0 (a leading zero is octal, `08` is EINVAL), separated by
//   spaces or newlines; a bad token is EINVAL. Every refusal of this file is EINVAL, a command the
//   family does not have included (the kernel turns any error of its edit function into EINVAL);
//   524 (ENOTSUPP) comes only from the gpu_od/fan_ctrl files.
// - Range checks are per end: level 0 against the minimum clock's own limits, level 1 against the
//   maximum clock's. OD_RANGE prints the minimum's floor and the maximum's ceiling, so by default
//   both ends have the printed range; SetClockLimits() gives an end limits of its own.
// - Polaris: `s|m <level> <MHz> <mV>` (any number of triples); a short triple or a level beyond
//   the table is EINVAL (current kernels).
// - Vega20 and Navi1x: `s 0|1 <MHz>`, `m 1 <MHz>`, `vc 0..2 <MHz> <mV>` where the curve is printed.
//   Both print only level 1 of OD_MCLK; a card without the curve prints no OD_VDDC_CURVE. Navi1x
//   reads only the first `m` pair and the first `vc` triple; Vega20 takes any number of both and
//   checks both engine ends against the printed range.
// - Navi2x: `s 0|1`, `m 0|1`, `vo <mV>` (exactly one number; no range is printed for the offset,
//   none is checked).
// - Navi3x: as Navi2x, `vo` checked against VDDGFX_OFFSET and read from its first number.
// - RDNA4: `s <offset MHz>` (exactly one number), `m 0|1`, `vo`.
// - APU: `s 0|1`, and `p <core> 0|1 <MHz>` where the text has a CPU clock section. The APU
//   kernels take these only while power_dpm_force_performance_level is `manual` (EINVAL
//   otherwise), check only the floor for a minimum and only the ceiling for a maximum, check
//   minimum <= maximum at the commit, refuse `r` and `c` with numbers after them, put the
//   clocks back to the boot values when the level goes back to `auto`, and pin both engine ends
//   to the ceiling for `high` and to the floor for `low`.
// - Every family but Polaris stores each `s`/`m` pair into the staged table as it comes: a refused
//   command keeps the pairs before the refused one, a dangling level is EINVAL after them, and a
//   command without numbers is taken. Navi1x and Navi2x refuse a minimum above the staged
//   maximum (and a maximum below the staged minimum) at its pair; Navi3x and RDNA4 check the
//   order once after the command (keeping all it stored); Vega20 never checks it. Polaris checks
//   every triple before it stores one (current kernels).
// - Staged and committed tables: an edit changes the staged table, `c` commits it. Reads show
//   the STAGED table, as the kernel's print functions read the table being edited, so a read-back
//   alone cannot tell whether `c` was sent: tests ask uncommitted()/committedRead() for that.
// - `r`: Polaris, Navi1x and the APUs reset the staged table to the boot values and need a `c`;
//   Vega20 stages the table the firmware holds, i.e. the last committed one, and needs a `c` too
//   (so after a committed overclock it restores nothing); Navi2x, Navi3x and RDNA4 reset and
//   commit at once (RDNA3/4: the fan settings too).
// - gpu_od/fan_ctrl (RDNA3 and later): fan_curve takes `<0..4> <C> <percent>` checked against its
//   OD_RANGE; each single-value file takes `<value>` checked against its own range. `c` commits
//   the whole shared staged table (clocks included); `r` resets that file's own setting to boot
//   and commits. Leading spaces are skipped in these files (their kernel parser does that).
// - Overdrive off (no pp_od_clk_voltage, or the kernel's lone "\n"): every edit is EINVAL.
// - hwmon power1_cap: an unsigned decimal (base 10) in microwatts, truncated to whole watts,
//   EINVAL outside [power1_cap_min, power1_cap_max] compared in watts, ERANGE beyond 32 bits.
//   0 means the default cap on Polaris; elsewhere it is checked against the minimum first (EINVAL
//   when that is above 0) and then keeps the current cap.
//   (Kernel 6.19 and later re-apply the current cap for 0 whatever the minimum.)
//   Navi3x and RDNA4 keep a cap above the default in the staged overdrive table: a commit sends
//   it again, a full `r` of pp_od_clk_voltage drops the effective cap to the default while
//   power1_cap keeps printing the cached value. EffectivePowerCap() tells the cap the card runs.
// - pwm1_enable 0|1|2 and fan1_enable 0|1 share the fan mode; pwm1 (above 255 taken as 255) is
//   EINVAL and fan1_target (1..fan1_max) ENODATA unless the mode is manual (1).
// - power_dpm_force_performance_level takes the kernel's level names (`auto`, `low`, `high`,
//   `manual`, `profile_standard`, `profile_min_sclk`, `profile_min_mclk`, `profile_peak`,
//   `profile_exit`, `perf_determinism`), each as the whole word (a trailing newline allowed);
//   else EINVAL.
// - Runtime power management: a card put to sleep with SetSleeping() answers reads of its power
//   files (pp_*, power_dpm_*, gpu_od/, hwmon values) without waking: EPERM (kernels 6.13 to
//   6.17), or EBUSY (6.18 and later, 6.17.8 stable: the same answer as a reset, because the
//   read check sees the suspend before it asks whether the card is awake), chosen by
//   SetSleeping()'s third argument. A write wakes it, and so does wake() (the runtime's amdgpu
//   query through the card's render node) unless SetWakeError() makes that query fail. A card put
//   into reset with SetResetting() answers reads and writes of those files with EBUSY (6.18 and
//   later; EPERM before). A write is parsed before the card is asked for (6.15 and later), so a
//   malformed command is EINVAL even then.
// - Any other existing file is read-only: EACCES. A missing file is ENOENT.
// - Synthesised like a live kernel when the tree lacks them: device/vendor, device,
//   subsystem_vendor, subsystem_device (from uevent's PCI_ID/PCI_SUBSYS_ID), the `driver` entry
//   of the device folder (from uevent's DRIVER), class/drm/renderD<128+N>, class/drm/version and
//   module/amdgpu/parameters/ppfeaturemask (0xffffffff when any card has overdrive, else
//   0xfff7bfff; read-only like the real parameter, set it with setPpFeatureMask()), and an
//   empty `edid` for a connector (the kernel shows one for each; the captures kept none).

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Attributes.h"

namespace kernelmodel {

inline constexpr int kENOTSUPP = 524;  // the kernel's own code, not in userspace errno.h

enum class Family { None, Polaris, Vega20, Navi1x, Navi2x, Navi3x, Rdna4, Apu };
const char* FamilyName(Family family);

struct WriteRecord {
    std::string path;   // as the runtime gave it
    std::string bytes;  // exactly the bytes of the one write()
    int error = 0;      // what the model answered
};

class KernelModel : public amdgpu::Attributes {
public:
    KernelModel();
    ~KernelModel() override;

    // Adds the tree as the next card; false (and a reason) when it is not a card tree.
    bool AddCard(const std::filesystem::path& tree, std::string* error = nullptr);
    // A model of the trees given, in order; fails the whole model when one tree is not a card.
    static std::unique_ptr<KernelModel> FromTrees(const std::vector<std::filesystem::path>& trees,
                                                  std::string* error = nullptr);

    amdgpu::ReadResult read(const std::string& path) override;
    int write(const std::string& path, std::string_view command) override;
    int list(const std::string& dir, std::vector<std::string>& names) override;
    // The runtime's query through the card's render node: it wakes a sleeping card.
    int wake(const std::string& device) override;

    int CardCount() const;
    Family FamilyOf(int card) const;
    // "class/drm/card<N>/device/<relative>", and the hwmon folder's file of that card.
    static std::string DevicePath(int card, const std::string& relative);
    std::string HwmonPath(int card, const std::string& file) const;

    // Test hooks.
    // The next write (to a path ending in pathSuffix, when given) fails with error; nothing changes.
    void FailNextWrite(int error, std::string pathSuffix = {});
    // The card is gone: every file of it ENOENT, and it leaves the class/drm listing.
    void RemoveCard(int card);
    // Reads since the last ClearReadCounts of this exact path.
    int ReadCount(const std::string& path) const;
    // Every read path with its count, in path order.
    const std::map<std::string, int>& ReadCounts() const { return m_readCounts; }
    void ClearReadCounts() { m_readCounts.clear(); }
    // Every write since the last ClearWrites, in order, refused ones included.
    const std::vector<WriteRecord>& Writes() const { return m_writes; }
    // Only the accepted writes, as "<path relative to the card's device folder>: <bytes>" lines
    // with the trailing newline of the command shown as "\n".
    std::vector<std::string> AcceptedCommands(int card) const;
    void ClearWrites() { m_writes.clear(); }
    void SetPpFeatureMask(std::uint32_t mask) { m_ppFeatureMask = mask; }
    // Replaces a file's bytes as if the kernel now printed them (for broken-text tests).
    void SetFile(int card, const std::string& relative, std::string bytes);
    void SetPerformanceLevel(int card, const std::string& level);
    // Runtime suspend: reads of the card's power files answer `answer` (EPERM or EBUSY, by kernel
    // version) until a write or a wake().
    void SetSleeping(int card, bool sleeping, int answer = EPERM);
    bool Sleeping(int card) const;
    // The render-node query fails with this error (0: it wakes the card), and how often it ran.
    void SetWakeError(int card, int error);
    int WakeCount(int card) const;
    // A reset in progress: reads and writes of the card's power files answer EBUSY.
    void SetResetting(int card, bool resetting);
    // The limits of one end of a clock ("SCLK" or "MCLK", level 0 or 1), where they are narrower
    // than the printed OD_RANGE.
    void SetClockLimits(int card, const std::string& clock, int level, long long min, long long max);
    // The power cap the card runs, in microwatts (power1_cap may show a cached one).
    long long EffectivePowerCap(int card) const;

    // The overdrive table: staged edits not yet committed.
    bool Uncommitted(int card) const;
    // What a read of the file would show if the staged table were the committed one, i.e. what
    // the card actually runs.
    std::string CommittedRead(int card, const std::string& relative) const;

    struct Card;

private:
    struct Resolved;
    Resolved Resolve(const std::string& path) const;
    int WriteCard(Card& card, const std::string& relative, std::string_view command);

    std::vector<std::unique_ptr<Card>> m_cards;
    std::map<std::string, int> m_readCounts;
    std::vector<WriteRecord> m_writes;
    std::optional<std::uint32_t> m_ppFeatureMask;
    std::optional<std::pair<int, std::string>> m_failNext;
};

}  // namespace kernelmodel
