// SPDX-License-Identifier: GPL-3.0-or-later
// tachyon-profile-keeper keep NAME   (the profile's bytes on standard input)
// tachyon-profile-keeper forget NAME
// Run as root through pkexec by `tachyon --persist` / `--forget` and the window's boot entries.
// Exit status: 0 done, 1 refused (why on standard error), 2 not called as above.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "KeptProfiles.h"
#include "profile/ProfileFormat.h"

namespace {

// Reads at most one byte more than a profile may have, so a larger one is refused unread.
QByteArray ReadInput() {
    QByteArray bytes;
    char buffer[65536];
    while (bytes.size() <= kMaxProfileBytes) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        bytes.append(buffer, n);
    }
    return bytes;
}

KeeperPlaces Places() {
    KeeperPlaces places;
#ifdef TACHYON_KEEPER_TEST_BUILD
    // The tests' stand-in: the folders and systemctl from the environment, never the machine's.
    const char* root = std::getenv("TACHYON_KEEPER_TEST_ROOT");
    places.profiles = std::string(root != nullptr ? root : "/nonexistent") + "/profiles";
    places.state = std::string(root != nullptr ? root : "/nonexistent") + "/state";
    const char* systemctl = std::getenv("TACHYON_KEEPER_TEST_SYSTEMCTL");
    places.systemctl = systemctl != nullptr ? systemctl : "";
#endif
    return places;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3 || (std::strcmp(argv[1], "keep") != 0 && std::strcmp(argv[1], "forget") != 0)) {
        std::fputs("usage: tachyon-profile-keeper keep NAME < PROFILE.xml | forget NAME\n", stderr);
        return 2;
    }
    const KeeperPlaces places = Places();
    const std::string name = argv[2];
    const std::string refused = std::strcmp(argv[1], "keep") == 0 ? KeepProfile(places, name, ReadInput())
                                                                    : ForgetProfile(places, name);
    if (refused.empty()) return 0;
    std::fprintf(stderr, "%s\n", refused.c_str());
    return 1;
}
