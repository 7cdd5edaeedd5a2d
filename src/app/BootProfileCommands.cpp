// SPDX-License-Identifier: GPL-3.0-or-later
#include "BootProfileCommands.h"

#include <QFile>
#include <cstdio>

#include "ApplyCommand.h"
#include "profile/ProfileFormat.h"

namespace {

void Say(std::FILE* stream, const QString& text) {
    std::fprintf(stream, "%s\n", EscapeControlCharacters(text).toLocal8Bit().constData());
}

int Reported(const KeeperOutcome& outcome, const QString& done) {
    switch (outcome.result) {
        case KeeperOutcome::Done:
            Say(stdout, done);
            return kBootProfileDone;
        case KeeperOutcome::Refused:
            Say(stderr, QStringLiteral("tachyon: %1").arg(outcome.message));
            return kBootProfileRefused;
        case KeeperOutcome::NotAuthorized:
            Say(stderr, QStringLiteral("tachyon: %1").arg(outcome.message));
            return kBootProfileNotAuthorized;
        case KeeperOutcome::Unavailable:
            break;
    }
    Say(stderr, QStringLiteral("tachyon: %1").arg(outcome.message));
    return kBootProfileNotDone;
}

}  // namespace

int RunPersistCommand(const KeeperRoute& route, const QString& profile) {
    // Load's checks, with Load's words, before anyone is asked for a password.
    QFile file(profile);
    const auto refuse = [&](const QString& why) {
        Say(stderr, QStringLiteral("tachyon: %1: %2").arg(profile, why));
        return kBootProfileRefused;
    };
    if (!file.open(QIODevice::ReadOnly)) return refuse(QStringLiteral("unable to open file"));
    const QByteArray bytes = file.read(kMaxProfileBytes + 1);
    if (bytes.size() > kMaxProfileBytes) return refuse(QStringLiteral("maximum file size 1024kB"));
    const QString text = ProfileTextFromBytes(bytes);
    if (!HasProfileDeclaration(text) || ReadProfileValues(text).featuresFound == 0)
        return refuse(QStringLiteral("not supported"));

    const QString name = BootProfileName(profile);
    return Reported(KeepBootProfile(route, name, bytes),
                    QStringLiteral("kept %1 as %2/%3.xml: applied at every boot and after resume (tachyon --forget "
                                   "%3 stops it)")
                        .arg(profile, route.folder, name));
}

int RunForgetCommand(const KeeperRoute& route, const QString& name) {
    return Reported(ForgetBootProfile(route, name),
                    QStringLiteral("%1 is no longer applied at boot").arg(name));
}

int RunPersistedCommand(const KeeperRoute& route) {
    const std::vector<KeptBootProfile> kept = KeptBootProfiles(route);
    if (kept.empty()) Say(stdout, QStringLiteral("no profile is kept for boot in %1").arg(route.folder));
    for (const KeptBootProfile& profile : kept) {
        Say(stdout, profile.devId.isEmpty()
                        ? QStringLiteral("%1: names no GPU").arg(profile.name)
                        : QStringLiteral("%1: DevID %2, RevID %3").arg(profile.name, profile.devId, profile.revId));
    }
    if (BootGuardHolds(route)) {
        Say(stdout, QStringLiteral("the boot guard holds them back: the machine went down uncleanly soon after "
                                   "they were last applied (see journalctl -u tachyon-apply.service); keep a "
                                   "profile again, or re-arm with sudo %1 --rearm")
                        .arg(QStringLiteral(TACHYON_APPLY_SCRIPT_PATH)));
    }
    return kBootProfileDone;
}
