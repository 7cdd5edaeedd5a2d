// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one door between the amdgpu runtime and the kernel: every attribute file the runtime reads or
// writes goes through here. The real side uses POSIX calls under one root (`/sys`, or the folder
// named by TACHYON_SYSFS_ROOT); tests put a model of the kernel in its place, and privileged writes
// plug in here and nowhere else.

#include <cerrno>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace amdgpu {

// errno-style codes: 0 for success, else the errno the kernel (or the model) answered.
struct ReadResult {
    int error = 0;
    std::string text;  // the file's bytes as read, NUL bytes and missing final newline included
};

class Attributes {
public:
    virtual ~Attributes() = default;
    // Paths are relative to the root and use '/', e.g. "class/drm/card0/device/pp_od_clk_voltage".
    virtual ReadResult read(const std::string& path) = 0;
    // One command in one write() call, exactly the bytes given (the caller adds any newline).
    virtual int write(const std::string& path, std::string_view command) = 0;
    // The entry names of a folder (no "." or ".."), sorted; links are listed, not followed.
    virtual int list(const std::string& dir, std::vector<std::string>& names) = 0;
    // Wakes the card of a device folder ("class/drm/card0/device") from runtime suspend by a
    // harmless amdgpu query through its render node; the card then stays awake for its
    // autosuspend delay. Kernels from 6.13 on answer reads of a sleeping card's power files with
    // EPERM instead of waking it. 0 when the query went through, else the errno.
    virtual int wake(const std::string& device) {
        (void)device;
        return ENOSYS;
    }
    // The user's command (a Set, a Reset) is over: nothing opened for its writes stays open.
    virtual void commandEnded() {}
    // What the person at the window must be told about the command's writes (a write that could
    // not be made at all, not the kernel's refusal of a value); each is handed out once.
    virtual std::vector<std::string> takeNotices() { return {}; }
};

// The real files under root (no trailing slash needed).
std::unique_ptr<Attributes> makePosixAttributes(std::string root);

}  // namespace amdgpu
