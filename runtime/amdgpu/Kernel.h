// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One contract call's view of the kernel. Every read of the call goes through it and is kept only
// until the call returns, so no attribute file is read twice by one call and nothing outlives it
// (a read can wake a sleeping GPU; a value kept longer would hide what the kernel now holds).

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "Attributes.h"
#include "adlx/ADLXDefines.h"

namespace amdgpu {

inline constexpr int kEnotsupp = 524;  // the kernel's ENOTSUPP, which has no name in user space

class Kernel {
public:
    Kernel();
    // Failed reads are remembered as well: the call sees one answer per file. A card in runtime
    // suspend answers EPERM (kernels 6.13 to 6.17) or EBUSY (6.18 and later) instead of waking for
    // the read: the card is woken once per call through its render node and the file read again
    // once.
    const ReadResult& read(const std::string& path);
    // The text when the read succeeded.
    const std::string* text(const std::string& path);
    int write(const std::string& path, std::string_view command);
    std::vector<std::string> list(const std::string& dir);

    // A read of this call found the card asleep after the wake (EPERM) or busy in a reset or a
    // suspend (EBUSY): the kernel said "not now", which is a failure of the call, never "the
    // card has no such feature".
    bool cardUnavailable() const { return m_unavailable; }
    // `result` as the call answers it: "not supported" for lack of an answer is a failure then.
    ADLX_RESULT failIfUnavailable(ADLX_RESULT result) const {
        return result == ADLX_NOT_SUPPORTED && m_unavailable ? ADLX_FAIL : result;
    }

private:
    Attributes& m_files;
    std::map<std::string, ReadResult> m_reads;
    std::set<std::string> m_woken;  // device folders woken by this call
    bool m_unavailable = false;
};

// errno from a write (or read) to the contract's result: EINVAL is a value the kernel refused,
// ENOTSUPP a command the card does not offer, anything else (EACCES, EPERM, ENOENT) a failure.
ADLX_RESULT resultOf(int error);

// Writes the commands to one file, one write() each, then the commit as its own write. When the
// kernel refuses one of them, the undo commands (which stage again the values read at the start
// of the call) are written, errors ignored, and nothing is committed: the card keeps running what
// it ran, and its staged table again shows that. `commit` false writes no commit (a reset that
// takes effect at once).
ADLX_RESULT stage(Kernel& kernel, const std::string& file, const std::vector<std::string>& commands,
                  const std::vector<std::string>& undo, bool commit = true);

// One line on standard error, once per process, when writing needs rights the process lacks:
// EACCES, or EPERM when the process is not root (root meets EPERM only from a card that cannot
// be reached now).
void notePermissionRefused(const std::string& path, int error);

}  // namespace amdgpu
