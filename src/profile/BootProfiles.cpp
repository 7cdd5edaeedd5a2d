// SPDX-License-Identifier: GPL-3.0-or-later
#include "BootProfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <unistd.h>

#include "ProfileFormat.h"

namespace {

KeeperOutcome RunKeeper(const KeeperRoute& route, const QStringList& arguments, const QByteArray& input) {
    QProcess process;
    QStringList args = arguments;
    QString program = route.keeper;
    if (!route.runningAsRoot) {
        args.prepend(route.keeper);
        program = route.pkexec;
    }
    KeeperOutcome outcome;
    if (!QFileInfo(program).isExecutable()) {
        outcome.message = route.runningAsRoot
                              ? QStringLiteral("%1 is not installed; nothing was changed").arg(route.keeper)
                              : QStringLiteral("pkexec (package pkexec) is not installed; nothing was changed");
        return outcome;
    }
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, args);
    if (!process.waitForStarted()) {
        outcome.message = QStringLiteral("%1 could not be started; nothing was changed").arg(program);
        return outcome;
    }
    process.write(input);
    process.closeWriteChannel();
    // The authentication dialog may wait for the user as long as it likes.
    process.waitForFinished(-1);
    const QString said = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    const int status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    if (status == 0) {
        outcome.result = KeeperOutcome::Done;
    } else if (status == 1) {
        outcome.result = KeeperOutcome::Refused;
        outcome.message = said.section(u'\n', -1);
    } else if (!route.runningAsRoot && status == 126) {
        outcome.result = KeeperOutcome::NotAuthorized;
        outcome.message = QStringLiteral("authentication was cancelled; nothing was changed");
    } else if (!route.runningAsRoot && status == 127) {
        outcome.result = KeeperOutcome::NotAuthorized;
        outcome.message = QStringLiteral(
            "authentication failed, or no authentication agent is running to ask for the password; nothing "
            "was changed");
    } else {
        outcome.message = QStringLiteral("the profile keeper ended with status %1; nothing was changed").arg(status);
    }
    return outcome;
}

}  // namespace

KeeperRoute InstalledKeeperRoute() {
    return {QStringLiteral("/usr/bin/pkexec"), QStringLiteral(TACHYON_KEEPER_INSTALLED_PATH),
            QStringLiteral(TACHYON_BOOT_PROFILE_DIR), QStringLiteral("/var/lib/tachyon"), ::geteuid() == 0};
}

KeeperOutcome KeepBootProfile(const KeeperRoute& route, const QString& name, const QByteArray& bytes) {
    return RunKeeper(route, {QStringLiteral("keep"), name}, bytes);
}

KeeperOutcome ForgetBootProfile(const KeeperRoute& route, const QString& name) {
    return RunKeeper(route, {QStringLiteral("forget"), name}, {});
}

QString BootProfileName(const QString& path) {
    QString base = QFileInfo(path).fileName();
    if (base.endsWith(QStringLiteral(".xml"), Qt::CaseInsensitive)) base.chop(4);
    QString name;
    for (QChar c : base) {
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
                           c == u'_' || (c == u'-' && !name.isEmpty());
        if (name.size() < 64) name += plain ? c : (name.isEmpty() ? u'_' : u'-');
    }
    return name.isEmpty() ? QStringLiteral("profile") : name;
}

QString GpuBootProfileName(const QString& devId, const QString& revId) {
    return BootProfileName(QStringLiteral("gpu-%1-%2").arg(devId, revId));
}

std::vector<KeptBootProfile> KeptBootProfiles(const KeeperRoute& route) {
    std::vector<KeptBootProfile> kept;
    const QDir folder(route.folder);
    for (const QFileInfo& file : folder.entryInfoList({QStringLiteral("*.xml")}, QDir::Files | QDir::NoSymLinks,
                                                      QDir::Name)) {
        KeptBootProfile profile{file.completeBaseName(), {}, {}};
        QFile in(file.filePath());
        if (in.open(QIODevice::ReadOnly)) {
            const QString text = ProfileTextFromBytes(in.read(kMaxProfileBytes));
            profile.devId = ProfileAttribute(text, QStringLiteral("DevID"));
            profile.revId = ProfileAttribute(text, QStringLiteral("RevID"));
        }
        kept.push_back(profile);
    }
    return kept;
}

bool BootGuardHolds(const KeeperRoute& route) { return QFileInfo::exists(route.state + QStringLiteral("/held")); }
