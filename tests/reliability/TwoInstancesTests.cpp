// SPDX-License-Identifier: GPL-3.0-or-later
// The real program started twice at once: both come up to their main window and stay up, each
// with its own runtime session, and both hold the instance marker together. And the marker never
// stops a start: neither a file held alone by someone else nor a link planted at its name.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "TachyonTest.h"
#include "device/ADLXHelper.h"

namespace {

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Ends the program when the test is done with it, however the test ends.
struct Instance {
    std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
    QString trace;
    ~Instance() {
        if (process->state() == QProcess::NotRunning) return;
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
};

QString Program() { return QString::fromStdString(ADLXHelper::ExecutableFolder()) + "/tachyon"; }

// Starts the program with its runtime folder and its own driver trace.
void StartProgram(Instance& instance, const QString& runtimeFolder, const QString& trace) {
    instance.trace = trace;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_RUNTIME_DIR", runtimeFolder);
    environment.insert("TACHYON_SIM_TRACE", trace);
    instance.process->setProcessEnvironment(environment);
    instance.process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    instance.process->start(Program(), {});
}

// Up to its window: set-up got as far as reading the first display's settings.
bool ReachedItsWindow(const Instance& instance) {
    return Contents(instance.trace).contains("IADLXDisplayServices.GetPixelFormat display0");
}

bool WaitForWindow(const Instance& instance) {
    QElapsedTimer timer;
    timer.start();
    while (!ReachedItsWindow(instance) && timer.elapsed() < 30000) {
        if (instance.process->state() == QProcess::NotRunning) break;
        QTest::qWait(100);
    }
    return ReachedItsWindow(instance);
}

// The marker's name in a runtime folder, for the user running the tests.
QString MarkerPath(const QTemporaryDir& runtimeFolder) {
    return runtimeFolder.filePath(QString("Tachyon Instance-%1.lock").arg(getuid()));
}

}  // namespace

TEST(TwoInstances, BothRunTheirWindowAtOnce) {
    QTemporaryDir runtimeFolder;
    ASSERT_TRUE(runtimeFolder.isValid());
    ASSERT_TRUE(QFile::exists(Program())) << Program().toStdString();

    Instance instances[2];
    for (int i = 0; i < 2; ++i) {
        StartProgram(instances[i], runtimeFolder.path(),
                     runtimeFolder.filePath(QString("trace-%1.txt").arg(i)));
        ASSERT_TRUE(instances[i].process->waitForStarted(10000)) << i;
    }
    ASSERT_TRUE(WaitForWindow(instances[0]) && WaitForWindow(instances[1])) << "the windows did not come up";

    // And still running a moment later, in their message loops.
    QTest::qWait(2000);
    for (const Instance& instance : instances) {
        EXPECT_EQ(instance.process->state(), QProcess::Running) << instance.process->exitCode();
    }

    // Both hold the marker: nobody can take it alone while they run.
    const QStringList markers = QDir(runtimeFolder.path()).entryList({"*.lock"}, QDir::Files);
    ASSERT_EQ(markers.size(), 1) << markers.join(' ').toStdString();
    const int fd = open(runtimeFolder.filePath(markers[0]).toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_NE(flock(fd, LOCK_EX | LOCK_NB), 0);
    close(fd);
}

TEST(InstanceMarkerAtStart, AFileHeldAloneByAnotherProcessDoesNotStopTheStart) {
    QTemporaryDir runtimeFolder;
    ASSERT_TRUE(runtimeFolder.isValid());
    ASSERT_TRUE(QFile::exists(Program())) << Program().toStdString();

    // Anyone who can write the folder can take the marker's name and hold it exclusively.
    const int held =
        open(MarkerPath(runtimeFolder).toLocal8Bit().constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);

    Instance instance;
    StartProgram(instance, runtimeFolder.path(), runtimeFolder.filePath("trace.txt"));
    ASSERT_TRUE(instance.process->waitForStarted(10000));
    EXPECT_TRUE(WaitForWindow(instance)) << "the start waited for the marker";
    EXPECT_EQ(instance.process->state(), QProcess::Running);
    close(held);
}

TEST(InstanceMarkerAtStart, ALinkPlantedAtItsNameIsNotFollowed) {
    QTemporaryDir runtimeFolder;
    QTemporaryDir elsewhere;
    ASSERT_TRUE(runtimeFolder.isValid() && elsewhere.isValid());
    const QByteArray victimBytes = "someone else's file\n";
    const QString victim = elsewhere.filePath("victim");
    {
        QFile file(victim);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(victimBytes), victimBytes.size());
    }
    const struct {
        const char* name;
        QString target;
    } cases[] = {
        {"a link to an existing file", victim},
        {"a link to a name that does not exist yet", elsewhere.filePath("created-through-the-link")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString marker = MarkerPath(runtimeFolder);
        QFile::remove(marker);
        ASSERT_EQ(symlink(c.target.toLocal8Bit().constData(), marker.toLocal8Bit().constData()), 0);
        const QFileInfo victimBefore(victim);

        Instance instance;
        StartProgram(instance, runtimeFolder.path(), runtimeFolder.filePath("trace.txt"));
        ASSERT_TRUE(instance.process->waitForStarted(10000));
        EXPECT_TRUE(WaitForWindow(instance));
        EXPECT_EQ(instance.process->state(), QProcess::Running);

        EXPECT_EQ(Contents(victim), victimBytes);
        EXPECT_EQ(QFileInfo(victim).lastModified(), victimBefore.lastModified());
        EXPECT_FALSE(QFile::exists(elsewhere.filePath("created-through-the-link")));
        EXPECT_TRUE(QFileInfo(marker).isSymLink()) << "the link is left where it was";
        QFile::remove(runtimeFolder.filePath("trace.txt"));
    }
}
