// SPDX-License-Identifier: GPL-3.0-or-later
// tachyon-sysfs-writer: writes one tuning command into an amdgpu card's sysfs file as root, for a
// Tachyon that runs as the user. Started through pkexec; trusts nothing it is given.
//
// Two ways to use it:
//   tachyon-sysfs-writer CARD ATTRIBUTE VALUE   one write; prints the kernel's errno (0: written)
//   tachyon-sysfs-writer --session              one request per line on standard input,
//                                               "CARD ATTRIBUTE VALUE", one errno per line back
//
// Why a session: one Set writes several files (clock levels, the commit, the power cap, the fan
// curve points and their commit). Started once through pkexec on the first refused write, the
// session serves all of them after a single authentication, and the answers keep the order of the
// requests. Relying on polkit's retained authorization with one pkexec per write instead would
// depend on how the installed polkit keys the retention, and ask again once per file where it
// does not. The session ends when Tachyon closes its end (it exits, or its runtime terminates) or
// after five idle minutes, the time polkit keeps an authentication; the next write then asks again.
//
// The installed program writes below /sys only. A test build (TACHYON_WRITER_TEST_BUILD) takes its
// root from TACHYON_WRITER_TEST_ROOT instead; that code is not compiled into the installed program.

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "SysfsWrite.h"
#include "WriterRules.h"

namespace {

using tachyon_writer::Check;
using tachyon_writer::Verdict;
using tachyon_writer::WriteOutcome;
using tachyon_writer::WriteStage;

constexpr const char* kName = "tachyon-sysfs-writer";

enum ExitStatus {
    kWritten = 0,
    kUsage = 1,
    kCardRefused = 2,
    kAttributeRefused = 3,
    kValueRefused = 4,
    kDeviceRefused = 5,
    kFileRefused = 6,
    kKernelRefused = 7,
};

// A request line longer than this is refused unread.
constexpr std::size_t kMaxLineBytes = 512;

struct Settings {
    std::string root = "/sys";
    int idleMilliseconds = 5 * 60 * 1000;
};

bool loadSettings(Settings& settings) {
#ifdef TACHYON_WRITER_TEST_BUILD
    const char* root = std::getenv("TACHYON_WRITER_TEST_ROOT");
    if (root == nullptr || *root != '/') {
        std::fprintf(stderr, "%s (test build): TACHYON_WRITER_TEST_ROOT must name an absolute folder\n",
                     kName);
        return false;
    }
    settings.root = root;
    if (const char* idle = std::getenv("TACHYON_WRITER_TEST_IDLE_MS"))
        settings.idleMilliseconds = std::atoi(idle);
#else
    (void)settings;
#endif
    return true;
}

void usage() {
    std::fprintf(stderr,
                 "usage: %s CARD ATTRIBUTE VALUE\n"
                 "       %s --session\n"
                 "Writes one tuning command to /sys/class/drm/cardCARD/device/ATTRIBUTE of an amdgpu card.\n",
                 kName, kName);
}

struct Answer {
    int exitStatus = kWritten;
    int error = 0;  // the errno sent back; 0 when written
};

Answer handle(const Settings& settings, std::string_view card, std::string_view attribute,
              std::string_view value) {
    const Check check = tachyon_writer::checkRequest(card, attribute, value);
    if (check.verdict != Verdict::Accepted) {
        std::fprintf(stderr, "%s: %s\n", kName, check.reason.c_str());
        const int status = static_cast<int>(check.verdict);
        return {status, check.verdict == Verdict::BadValue ? EINVAL : EPERM};
    }
    const WriteOutcome outcome = tachyon_writer::writeAttribute(settings.root, card, attribute, value);
    switch (outcome.stage) {
        case WriteStage::Written:
            return {};
        case WriteStage::DeviceRefused:
            std::fprintf(stderr, "%s: card%.*s refused: %s\n", kName, static_cast<int>(card.size()),
                         card.data(), outcome.reason.c_str());
            return {kDeviceRefused, outcome.error};
        case WriteStage::FileRefused:
            std::fprintf(stderr, "%s: refused: %s\n", kName, outcome.reason.c_str());
            return {kFileRefused, outcome.error};
        case WriteStage::KernelRefused:
            std::fprintf(stderr, "%s: the kernel refused %.*s: %s (errno %d)\n", kName,
                         static_cast<int>(value.size()), value.data(), outcome.reason.c_str(), outcome.error);
            return {kKernelRefused, outcome.error};
    }
    return {kKernelRefused, EIO};
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// "CARD ATTRIBUTE VALUE": the value is the rest of the line and may hold single spaces.
int answerLine(const Settings& settings, std::string_view line) {
    const std::size_t first = line.find(' ');
    const std::size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
    if (second == std::string_view::npos) {
        std::fprintf(stderr, "%s: a request is \"CARD ATTRIBUTE VALUE\"\n", kName);
        return EINVAL;
    }
    return handle(settings, line.substr(0, first), line.substr(first + 1, second - first - 1),
                  line.substr(second + 1))
        .error;
}

int runSession(const Settings& settings) {
    if (!writeAll(STDOUT_FILENO, "ready\n")) return kWritten;
    std::string pending;
    bool discarding = false;  // inside a line that grew too long
    char buffer[1024];
    while (true) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int ready = ::poll(&input, 1, settings.idleMilliseconds);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return kWritten;  // idle for too long: the next write authenticates again
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return kWritten;  // Tachyon closed its end
        for (ssize_t i = 0; i < n; ++i) {
            const char c = buffer[i];
            if (c != '\n') {
                if (!discarding && pending.size() < kMaxLineBytes) {
                    pending += c;
                } else if (!discarding) {
                    discarding = true;
                    pending.clear();
                }
                continue;
            }
            int error = EINVAL;
            if (discarding) {
                std::fprintf(stderr, "%s: request refused: longer than %zu bytes\n", kName, kMaxLineBytes);
            } else {
                error = answerLine(settings, pending);
            }
            discarding = false;
            pending.clear();
            if (!writeAll(STDOUT_FILENO, std::to_string(error) + "\n")) return kWritten;
        }
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    Settings settings;
    if (!loadSettings(settings)) return kUsage;
    if (argc == 2 && std::strcmp(argv[1], "--session") == 0) return runSession(settings);
    if (argc != 4) {
        usage();
        return kUsage;
    }
    const Answer answer = handle(settings, argv[1], argv[2], argv[3]);
    std::printf("%d\n", answer.error);
    return answer.exitStatus;
}
