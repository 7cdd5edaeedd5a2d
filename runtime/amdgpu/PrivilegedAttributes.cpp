// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrivilegedAttributes.h"

#include <dlfcn.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

extern char** environ;

namespace amdgpu {

namespace {

constexpr const char* kWriterName = "tachyon-sysfs-writer";
constexpr const char* kNotStartedNotice =
    "The helper that changes the card's settings with administrator rights could not be started or "
    "reached, so the card's settings were not changed.\n\nThe reason is on Tachyon's standard error "
    "(start it from a terminal to see it).";

#ifndef TACHYON_WRITER_INSTALLED_PATH
#define TACHYON_WRITER_INSTALLED_PATH "/usr/libexec/tachyon/tachyon-sysfs-writer"
#endif

bool isExecutable(const std::string& path) {
    struct stat status {};
    return !path.empty() && ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

std::string findWriter() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&makePrivilegedAttributes), &info) != 0 &&
        info.dli_fname != nullptr) {
        std::string library = info.dli_fname;
        const std::size_t slash = library.rfind('/');
        if (slash != std::string::npos) {
            const std::string beside = library.substr(0, slash + 1) + kWriterName;
            if (isExecutable(beside)) return beside;
        }
    }
    return isExecutable(TACHYON_WRITER_INSTALLED_PATH) ? TACHYON_WRITER_INSTALLED_PATH : std::string();
}

// "class/drm/card<N>/device/<attribute>" split into N and the attribute; false for anything else.
bool splitCardPath(const std::string& path, std::string& card, std::string& attribute) {
    constexpr std::string_view kPrefix = "class/drm/card";
    constexpr std::string_view kDevice = "/device/";
    if (path.compare(0, kPrefix.size(), kPrefix) != 0) return false;
    std::size_t at = kPrefix.size();
    const std::size_t digits = at;
    while (at < path.size() && path[at] >= '0' && path[at] <= '9') ++at;
    if (at == digits || path.compare(at, kDevice.size(), kDevice) != 0) return false;
    card = path.substr(digits, at - digits);
    attribute = path.substr(at + kDevice.size());
    if (attribute.empty()) return false;
    for (char c : attribute) {
        if (c == ' ' || c == '\n' || c == '\0') return false;
    }
    return true;
}

bool sendAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

struct PrivilegedAttributes::Session {
    pid_t pid = -1;
    int fd = -1;
    std::string received;

    // One line from the writer, without its newline; false when the writer is gone.
    bool readLine(std::string& line) {
        while (true) {
            const std::size_t newline = received.find('\n');
            if (newline != std::string::npos) {
                line = received.substr(0, newline);
                received.erase(0, newline + 1);
                return true;
            }
            char buffer[256];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            received.append(buffer, static_cast<std::size_t>(n));
        }
    }

    // Closes our end and collects the writer (or pkexec); its exit status, or -1.
    int finish() {
        if (fd >= 0) ::close(fd);
        fd = -1;
        int status = 0;
        pid_t waited = -1;
        do {
            waited = ::waitpid(pid, &status, 0);
        } while (waited < 0 && errno == EINTR);
        pid = -1;
        return waited > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

PrivilegedAttributes::PrivilegedAttributes(std::unique_ptr<Attributes> inner, std::string root,
                                           PrivilegedOptions options)
    : m_inner(std::move(inner)), m_root(std::move(root)), m_options(std::move(options)) {}

PrivilegedAttributes::~PrivilegedAttributes() { endSession(); }

ReadResult PrivilegedAttributes::read(const std::string& path) { return m_inner->read(path); }

int PrivilegedAttributes::list(const std::string& dir, std::vector<std::string>& names) {
    return m_inner->list(dir, names);
}

// The render node is readable by the user's own session (the `render` group): no privilege.
int PrivilegedAttributes::wake(const std::string& device) {
    return m_inner->wake(device);
}

int PrivilegedAttributes::write(const std::string& path, std::string_view command) {
    std::string_view value = command;
    if (!value.empty() && value.back() == '\n') value.remove_suffix(1);
    // One command per line to the writer: a second line or a NUL would be a second request.
    if (value.find('\n') != std::string_view::npos || value.find('\0') != std::string_view::npos)
        return EINVAL;

    const int error = m_inner->write(path, command);
    if ((error != EACCES && error != EPERM) || m_options.runningAsRoot || m_root != m_options.writerRoot)
        return error;
    std::string card;
    std::string attribute;
    if (!splitCardPath(path, card, attribute)) return error;
    return writeThroughWriter(card, attribute, value);
}

void PrivilegedAttributes::commandEnded() {
    endSession();
    m_refusalRemembered = false;
}

std::vector<std::string> PrivilegedAttributes::takeNotices() { return std::exchange(m_notices, {}); }

int PrivilegedAttributes::refuse(const std::string& message, const std::string& notice) {
    std::fprintf(stderr, "tachyon: %s\n", message.c_str());
    if (!notice.empty()) m_notices.push_back(notice);
    m_refusalRemembered = true;
    m_refusedAt = m_options.now();
    return EACCES;
}

int PrivilegedAttributes::startSession() {
    if (m_refusalRemembered && m_options.now() - m_refusedAt < kRefusalMemory) return EACCES;
    m_refusalRemembered = false;

    const std::string writer = m_options.writerPath.empty() ? findWriter() : m_options.writerPath;
    if (writer.empty()) {
        return refuse(std::string("changing the card's settings needs root, and ") + kWriterName +
                          " is not installed; nothing was written",
                      std::string("Changing the card's settings needs administrator rights, and their helper (") +
                          kWriterName +
                          ") is not installed. Nothing was changed.\n\nInstall the tachyon package again, "
                          "or start Tachyon as root.");
    }
    const std::string& pkexec = m_options.pkexecPath;
    if (!isExecutable(pkexec)) {
        return refuse(
            "changing the card's settings needs root, and pkexec (package pkexec) is not installed; "
            "nothing was written",
            "Changing the card's settings needs administrator rights, and pkexec, which asks for them, is "
            "not installed. Nothing was changed.\n\nInstall the pkexec package, then press Set again.");
    }

    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        return refuse("cannot reach the privileged writer; nothing was written", kNotStartedNotice);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    std::string session = "--session";
    char* argv[] = {const_cast<char*>(pkexec.c_str()), const_cast<char*>(writer.c_str()), session.data(),
                    nullptr};
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, pkexec.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    if (spawned != 0) {
        ::close(ends[0]);
        return refuse("pkexec could not be started; nothing was written", kNotStartedNotice);
    }

    auto started = std::make_unique<Session>();
    started->pid = pid;
    started->fd = ends[0];
    std::string greeting;
    if (started->readLine(greeting) && greeting == "ready") {
        m_session = std::move(started);
        return 0;
    }
    const int status = started->finish();
    if (status == 126) {
        return refuse("authentication was cancelled or refused; the card's settings were not changed",
                      "Authentication was cancelled, so the card's settings were not changed: nothing was "
                      "written.\n\nPress Set again and enter an administrator's password to change them.");
    }
    if (status == 127) {
        return refuse(
            "authentication failed or the privileged writer could not be run; the card's settings were "
            "not changed",
            "Authentication failed, or no authentication agent is running to ask for the password, so the "
            "card's settings were not changed: nothing was written.\n\nPress Set again and enter an "
            "administrator's password. In a session without a polkit authentication agent (a bare window "
            "manager), start one first.");
    }
    return refuse("the privileged writer did not start (exit status " + std::to_string(status) +
                      "); the card's settings were not changed",
                  kNotStartedNotice);
}

void PrivilegedAttributes::endSession() {
    if (!m_session) return;
    m_session->finish();
    m_session.reset();
}

int PrivilegedAttributes::writeThroughWriter(const std::string& card, const std::string& attribute,
                                             std::string_view value) {
    const std::string request = card + ' ' + attribute + ' ' + std::string(value) + '\n';
    // A session that ended by itself (idle) since the last write is started again, once.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const bool wasRunning = static_cast<bool>(m_session);
        if (!m_session) {
            if (const int error = startSession(); error != 0) return error;
        }
        std::string answer;
        if (sendAll(m_session->fd, request) && m_session->readLine(answer)) {
            char* end = nullptr;
            const long error = std::strtol(answer.c_str(), &end, 10);
            if (end != answer.c_str() && *end == '\0' && error >= 0 && error < 4096)
                return static_cast<int>(error);
            endSession();
            return refuse("the privileged writer answered something else than an error number", kNotStartedNotice);
        }
        endSession();
        if (!wasRunning) break;
    }
    return refuse("the privileged writer ended unexpectedly; the card's settings may be incomplete",
                  "The helper that changes the card's settings with administrator rights ended unexpectedly: "
                  "some of the settings may not have been changed.\n\nThe page shows what the card kept; "
                  "press Set again to send the rest.");
}

std::unique_ptr<Attributes> makePrivilegedAttributes(std::unique_ptr<Attributes> inner, std::string root) {
    return std::make_unique<PrivilegedAttributes>(std::move(inner), std::move(root));
}

}  // namespace amdgpu
