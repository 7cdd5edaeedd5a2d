// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The privileged side of keeping profiles for boot: tachyon-profile-keeper, run as root through
// pkexec, puts one profile into the boot folder or takes one away, and nothing else. What it is
// given is distrusted: the name must come from a small alphabet, the bytes must be a profile the
// program's own reader accepts and at most kMaxProfileBytes, and only regular files directly in
// the folder are written or removed, never through a link. A profile is written beside its place
// and renamed over it once on disk, root:root 0644, so a crash leaves the old one or the new one.
//
// Keeping a profile enables the boot service and lets the boot guard go (a profile kept again is a
// fresh start); forgetting the last one disables the service.

#include <QByteArray>
#include <string>
#include <vector>

struct KeeperPlaces {
    std::string profiles = "/etc/tachyon/profiles";
    std::string state = "/var/lib/tachyon";
    // Run with "enable" or "disable" and the service; empty: the service is left as it is.
    std::string systemctl = "/usr/bin/systemctl";
};

inline constexpr std::size_t kMaxKeptNameLength = 64;
inline constexpr const char* kApplyService = "tachyon-apply.service";

// 1 to 64 of A-Z a-z 0-9 '-' '_', not starting with '-': the file is NAME.xml.
bool IsKeptProfileName(const std::string& name);

// Each returns empty when done, else why nothing was done (one line for the user).
std::string KeepProfile(const KeeperPlaces& places, const std::string& name, const QByteArray& bytes);
std::string ForgetProfile(const KeeperPlaces& places, const std::string& name);

// The kept profiles' names (without .xml), sorted; regular files only.
std::vector<std::string> KeptProfileNames(const std::string& folder);
