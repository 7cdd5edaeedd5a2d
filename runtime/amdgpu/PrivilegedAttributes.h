// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes from a normal desktop session. The kernel's tuning files are writable by root only; when
// the real files refuse a write with EACCES or EPERM and Tachyon does not run as root, the command
// goes to the privileged writer (tachyon-sysfs-writer), started through pkexec.
//
// One Set, one authentication: the first refused write starts one writer session through pkexec
// and keeps it, so every later write of the same Set goes down the same pipe without asking again.
// The session ends when the command that started it ends (commandEnded), so no root process
// outlives the Set or Reset; the writer also ends by itself after five idle minutes, and with
// this object.
//
// Cancel or failed authentication (pkexec exits 126 or 127, which is also what it does when no
// authentication agent can be reached): the write fails with EACCES, nothing is written, one line
// on standard error says why, and one notice for the window says what happened and what to do
// (takeNotices). The refusal holds until the command ends, or for a few seconds (kRefusalMemory,
// counted from the moment pkexec gave up) where nobody says the command ended, so the remaining
// files of the same Set fail at once instead of asking again for each.
//
// pkexec is always /usr/bin/pkexec, never looked up in PATH: the program a window started from a
// menu runs must not depend on what a login script put first. Tests name a stand-in in the options.
// Reads and listings go to the inner seam unchanged: reading needs no privilege.

#include <sys/types.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "Attributes.h"

namespace amdgpu {

struct PrivilegedOptions {
    using Clock = std::chrono::steady_clock;

    // The writer program; empty: beside this library, else the installed one (libexec).
    std::string writerPath;
    // The root the writer serves. Only a seam over this same root hands writes to the writer, so a
    // stand-in tree (TACHYON_SYSFS_ROOT) is never redirected to the real cards.
    std::string writerRoot = "/sys";
    // True when this process may write the files itself: then no writer is ever started.
    bool runningAsRoot = ::geteuid() == 0;
    // The pkexec that is run, by absolute path.
    std::string pkexecPath = "/usr/bin/pkexec";
    // The time source for remembering a refusal.
    std::function<Clock::time_point()> now = [] { return Clock::now(); };
};

inline constexpr std::chrono::seconds kRefusalMemory{3};

class PrivilegedAttributes final : public Attributes {
public:
    // inner: the real files under root.
    PrivilegedAttributes(std::unique_ptr<Attributes> inner, std::string root, PrivilegedOptions options = {});
    ~PrivilegedAttributes() override;
    PrivilegedAttributes(const PrivilegedAttributes&) = delete;
    PrivilegedAttributes& operator=(const PrivilegedAttributes&) = delete;

    ReadResult read(const std::string& path) override;
    // The inner seam first; on EACCES/EPERM (not root, a card's tuning file, same root as the
    // writer) the writer's answer: 0, the kernel's errno, or EACCES when it could not be reached.
    // A command may end in one newline; any other newline or a NUL is refused with EINVAL.
    int write(const std::string& path, std::string_view command) override;
    int list(const std::string& dir, std::vector<std::string>& names) override;
    int wake(const std::string& device) override;
    // Ends the writer session and forgets a refusal: the next command asks again.
    void commandEnded() override;
    std::vector<std::string> takeNotices() override;
    // True when a refused write of a card's file went to the writer, which said on standard error
    // why it failed (cancelled, not installed, ...): nothing needs to be added to that.
    bool explainsRefusals() const { return !m_options.runningAsRoot && m_root == m_options.writerRoot; }

private:
    struct Session;
    int writeThroughWriter(const std::string& card, const std::string& attribute, std::string_view value);
    int startSession();
    void endSession();
    int refuse(const std::string& message, const std::string& notice = {});

    std::unique_ptr<Attributes> m_inner;
    std::string m_root;
    PrivilegedOptions m_options;
    std::unique_ptr<Session> m_session;
    std::vector<std::string> m_notices;
    bool m_refusalRemembered = false;
    PrivilegedOptions::Clock::time_point m_refusedAt{};
};

// The real files under root, with the writer behind them for a user who is not root.
std::unique_ptr<Attributes> makePrivilegedAttributes(std::unique_ptr<Attributes> inner, std::string root);

}  // namespace amdgpu
