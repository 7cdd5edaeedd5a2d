// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Profiles kept for boot, as the user's side sees them: the boot folder is readable by anyone, so
// listing needs nothing; keeping and forgetting go to tachyon-profile-keeper, as root through
// pkexec (one authentication), or directly when Tachyon already runs as root. pkexec is always
// the absolute /usr/bin/pkexec. The keeper checks everything it is given again.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

struct KeeperRoute {
    QString pkexec;
    QString keeper;
    QString folder;  // the boot folder
    QString state;   // the boot guard's
    bool runningAsRoot = false;
};
// The installed keeper and folders, pkexec at /usr/bin/pkexec, and whether this process is root.
KeeperRoute InstalledKeeperRoute();

struct KeeperOutcome {
    enum Result { Done, Refused, NotAuthorized, Unavailable };
    Result result = Unavailable;
    // Why it was not done, one line for the user; empty when done.
    QString message;
};

// keep NAME with the profile's bytes, or forget NAME.
KeeperOutcome KeepBootProfile(const KeeperRoute& route, const QString& name, const QByteArray& bytes);
KeeperOutcome ForgetBootProfile(const KeeperRoute& route, const QString& name);

// The name a profile file is kept under: its base name without ".xml", every character outside
// A-Z a-z 0-9 '-' '_' as '-', at most 64 characters; "profile" when nothing is left.
QString BootProfileName(const QString& path);
// The name the window keeps a GPU's values under: "gpu-" DevID "-" RevID.
QString GpuBootProfileName(const QString& devId, const QString& revId);

struct KeptBootProfile {
    QString name;
    QString devId;
    QString revId;
};
std::vector<KeptBootProfile> KeptBootProfiles(const KeeperRoute& route);
// True while the boot guard holds every apply back (an unclean shutdown followed an apply).
bool BootGuardHolds(const KeeperRoute& route);
