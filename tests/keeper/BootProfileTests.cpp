// SPDX-License-Identifier: GPL-3.0-or-later
// Keeping profiles for boot from the command line and the window: a stand-in pkexec runs the test
// build of the privileged keeper over a temporary boot folder, state folder and systemctl.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include <QAction>
#include <QMenu>

#include "TachyonTest.h"
#include "app/BootProfileCommands.h"
#include "profile/ProfileFormat.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

ProfileValues Values() {
    return {.devId = "744C",
            .revId = "C8",
            .powerOffset = "10",
            .minEngineClock = "800",
            .maxEngineClock = "2400",
            .engineVoltage = "1100",
            .maxMemoryClock = "2600",
            .memoryTiming = "2",
            .zeroRpm = false,
            .fanTemperature = {"30", "50", "65", "80", "95"},
            .fanSpeed = {"30", "40", "60", "80", "100"}};
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class BootProfiles : public TachyonTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("profiles")));
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("state")));
        ::chmod(Path("profiles").toLocal8Bit().constData(), 0755);
        // pkexec as it runs a program after the password, or as it answers a dismissed dialog.
        WriteAll(Path("pkexec"), "#!/bin/sh\necho \"$*\" >> \"$0.log\"\n"
                                 "[ -f \"$0.cancel\" ] && exit 126\nexec \"$@\"\n");
        WriteAll(Path("systemctl"), "#!/bin/sh\necho \"$*\" >> \"$0.log\"\n");
        for (const char* name : {"pkexec", "systemctl"}) ::chmod(Path(name).toLocal8Bit().constData(), 0755);
        ::setenv("TACHYON_KEEPER_TEST_ROOT", root.path().toLocal8Bit().constData(), 1);
        ::setenv("TACHYON_KEEPER_TEST_SYSTEMCTL", Path("systemctl").toLocal8Bit().constData(), 1);
        route.pkexec = Path("pkexec");
        route.keeper = QStringLiteral(TACHYON_KEEPER_TEST);
        route.folder = Path("profiles");
        route.state = Path("state");
        route.runningAsRoot = false;
    }
    void TearDown() override {
        TachyonTest::TearDown();
        ::unsetenv("TACHYON_KEEPER_TEST_ROOT");
        ::unsetenv("TACHYON_KEEPER_TEST_SYSTEMCTL");
    }
    QString Path(const QString& relative) const { return root.filePath(relative); }
    QString Path(const char* relative) const { return Path(QString::fromUtf8(relative)); }
    QStringList Kept() const {
        return QDir(Path("profiles")).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    int Authentications() const { return ReadAll(Path("pkexec.log")).count('\n'); }
    QString Systemctl() const { return QString::fromUtf8(ReadAll(Path("systemctl.log"))); }

    struct Said {
        int status;
        std::string out;
        std::string err;
    };
    template <class Command>
    Said Run(Command&& command) {
        CaptureStdout();
        CaptureStderr();
        const int status = command();
        return {status, GetCapturedStdout(), GetCapturedStderr()};
    }

    QTemporaryDir root;
    KeeperRoute route;
};

TEST_F(BootProfiles, PersistKeepsTheProfileEnablesTheServiceRearmsTheGuardAndForgetUndoesIt) {
    const QByteArray text = ProfileText(Values());
    WriteAll(Path("My Card (fast).xml"), text);
    WriteAll(Path("state/held"), "boot old\n");

    Said said = Run([&] { return RunPersistCommand(route, Path("My Card (fast).xml")); });
    EXPECT_EQ(said.status, kBootProfileDone) << said.err;
    EXPECT_EQ(Kept(), QStringList{QStringLiteral("My-Card--fast-.xml")});
    EXPECT_EQ(ReadAll(Path("profiles/My-Card--fast-.xml")), text);
    struct stat status {};
    ASSERT_EQ(::stat(Path("profiles/My-Card--fast-.xml").toLocal8Bit().constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0644u);
    EXPECT_EQ(Authentications(), 1);
    EXPECT_EQ(Systemctl(), QStringLiteral("--quiet enable tachyon-apply.service\n"));
    EXPECT_FALSE(QFile::exists(Path("state/held"))) << "keeping a profile again re-arms the guard";
    EXPECT_NE(said.out.find("tachyon --forget My-Card--fast-"), std::string::npos) << said.out;

    said = Run([&] { return RunPersistedCommand(route); });
    EXPECT_EQ(said.status, 0);
    EXPECT_EQ(said.out, "My-Card--fast-: DevID 744C, RevID C8\n");

    said = Run([&] { return RunForgetCommand(route, QStringLiteral("My-Card--fast-")); });
    EXPECT_EQ(said.status, kBootProfileDone) << said.err;
    EXPECT_TRUE(Kept().isEmpty());
    EXPECT_TRUE(Systemctl().endsWith(QStringLiteral("--quiet disable tachyon-apply.service\n"))) << Systemctl().toStdString();
    said = Run([&] { return RunForgetCommand(route, QStringLiteral("My-Card--fast-")); });
    EXPECT_EQ(said.status, kBootProfileRefused);
    EXPECT_NE(said.err.find("no profile My-Card--fast- is kept"), std::string::npos) << said.err;
}

// What the keeper is handed is distrusted whoever hands it: each of these is refused as root
// and nothing in or outside the boot folder changes.
TEST_F(BootProfiles, TheKeeperRefusesWhatIsNotAProfileOrNotItsToWrite) {
    const QByteArray text = ProfileText(Values());
    WriteAll(Path("outside.xml"), "precious\n");
    ASSERT_TRUE(QFile::link(Path("outside.xml"), Path("profiles/linked.xml")));
    struct Case {
        const char* what;
        QString name;
        QByteArray bytes;
        const char* says;
    };
    const QList<Case> cases{
        {"not a profile", QStringLiteral("notes"), QByteArray("<notes/>\n"), "not a Tachyon profile"},
        {"too big", QStringLiteral("big"), text + QByteArray(kMaxProfileBytes, ' '), "larger than 1024kB"},
        {"a name with a space", QStringLiteral("my card"), text, "the name must be"},
        {"an empty name", QString(), text, "the name must be"},
        {"a name like an option", QStringLiteral("-rf"), text, "the name must be"},
        {"a name too long", QString(65, u'a'), text, "the name must be"},
        {"another folder", QStringLiteral("../state/applying"), text, "the name must be"},
        {"a link", QStringLiteral("linked"), text, "is a link"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const KeeperOutcome outcome = KeepBootProfile(route, c.name, c.bytes);
        EXPECT_EQ(outcome.result, KeeperOutcome::Refused);
        EXPECT_TRUE(outcome.message.contains(QString::fromUtf8(c.says))) << outcome.message.toStdString();
        EXPECT_EQ(Kept(), QStringList{QStringLiteral("linked.xml")});
    }
    EXPECT_EQ(ReadAll(Path("outside.xml")), "precious\n");
    EXPECT_EQ(ForgetBootProfile(route, QStringLiteral("linked")).result, KeeperOutcome::Refused);
    EXPECT_TRUE(QFileInfo(Path("profiles/linked.xml")).isSymLink());
    EXPECT_TRUE(Systemctl().isEmpty()) << "a refusal touches no service";

    // A boot folder others may change, or one that is a link, is not written into at all.
    ::chmod(Path("profiles").toLocal8Bit().constData(), 0777);
    EXPECT_EQ(KeepBootProfile(route, QStringLiteral("ok"), text).result, KeeperOutcome::Refused);
    ::chmod(Path("profiles").toLocal8Bit().constData(), 0755);
    ASSERT_TRUE(QDir(root.path()).rename(QStringLiteral("profiles"), QStringLiteral("real")));
    ASSERT_TRUE(QFile::link(Path("real"), Path("profiles")));
    EXPECT_EQ(KeepBootProfile(route, QStringLiteral("ok"), text).result, KeeperOutcome::Refused);
    EXPECT_FALSE(QFile::exists(Path("real/ok.xml")));
}

TEST_F(BootProfiles, PersistChecksTheProfileFirstAndACancelChangesNothing) {
    WriteAll(Path("notes.xml"), "<notes/>\n");
    Said said = Run([&] { return RunPersistCommand(route, Path("notes.xml")); });
    EXPECT_EQ(said.status, kBootProfileRefused);
    EXPECT_NE(said.err.find("notes.xml: not supported"), std::string::npos) << said.err;
    EXPECT_EQ(Authentications(), 0) << "no password asked for a file Load would refuse";

    WriteAll(Path("pkexec.cancel"), "");
    WriteAll(Path("good.xml"), ProfileText(Values()));
    said = Run([&] { return RunPersistCommand(route, Path("good.xml")); });
    EXPECT_EQ(said.status, kBootProfileNotAuthorized);
    EXPECT_NE(said.err.find("authentication was cancelled; nothing was changed"), std::string::npos) << said.err;
    EXPECT_TRUE(Kept().isEmpty());
    EXPECT_TRUE(Systemctl().isEmpty());
}

// The window's two entries, below "About Tachyon...": the values shown for the selected GPU, as
// Save writes them, kept as its boot profile, and then no longer.
TEST_F(BootProfiles, TheWindowKeepsTheShownValuesAsTheGpusBootProfileAndStopsKeepingThem) {
    Start();
    Dlg().m_keeperRoute = route;
    QStringList entries;
    for (QAction* action : Dlg().SystemMenu()->actions()) entries << action->text();
    EXPECT_EQ(entries, (QStringList{QString(), QStringLiteral("&About Tachyon..."),
                                    QStringLiteral("&Keep these settings at boot"),
                                    QStringLiteral("&Stop keeping them at boot")}));
    const auto trigger = [&](const char* name) {
        auto* action = Dlg().SystemMenu()->findChild<QAction*>(QString::fromUtf8(name));
        ASSERT_NE(action, nullptr) << name;
        action->trigger();
    };

    SetText(kTuningPage, 1008, QStringLiteral("2345"));
    prompts.saveFiles.push_back(Path("saved.xml"));
    Press(1005);
    trigger("keep-at-boot");
    const QStringList kept = Kept();
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(kept[0].startsWith(QStringLiteral("gpu-"))) << kept[0].toStdString();
    EXPECT_EQ(ReadAll(Path("profiles/") + kept[0]), ReadAll(Path("saved.xml"))) << "the text Save writes";
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.contains(QStringLiteral("applied to this GPU at every boot")));
    EXPECT_EQ(Authentications(), 1);

    trigger("stop-keeping-at-boot");
    EXPECT_TRUE(Kept().isEmpty());
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_TRUE(prompts.messages[1].text.contains(QStringLiteral("no longer applied at boot")));

    // A cancelled authentication says so, and nothing is kept.
    WriteAll(Path("pkexec.cancel"), "");
    trigger("keep-at-boot");
    EXPECT_TRUE(Kept().isEmpty());
    ASSERT_EQ(prompts.messages.size(), 3u);
    EXPECT_TRUE(prompts.messages[2].text.startsWith(QStringLiteral("Authentication was cancelled; nothing was changed")))
        << prompts.messages[2].text.toStdString();
}

}  // namespace
