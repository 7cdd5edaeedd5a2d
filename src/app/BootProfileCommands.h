// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// `tachyon --persist PROFILE.xml`, `--forget NAME`, `--persisted`: profiles kept for boot from the
// command line. The profile is checked as Load checks it before anything asks for a password.

#include <QString>

#include "profile/BootProfiles.h"

// Exit statuses of the boot profile commands (3 as --apply's refused profile).
enum BootProfileStatus : int {
    kBootProfileDone = 0,
    kBootProfileRefused = 3,
    kBootProfileNotAuthorized = 5,
    kBootProfileNotDone = 6,
};

int RunPersistCommand(const KeeperRoute& route, const QString& profile);
int RunForgetCommand(const KeeperRoute& route, const QString& name);
int RunPersistedCommand(const KeeperRoute& route);
