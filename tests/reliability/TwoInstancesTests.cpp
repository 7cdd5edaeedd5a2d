// The real program started twice at once: both come up to their main window and stay up, each
// with its own runtime session, and both hold the instance marker together.

#include <fcntl.h>
#include <sys/file.h>
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

}  // namespace

TEST(TwoInstances, BothRunTheirWindowAtOnce) {
    QTemporaryDir runtimeFolder;
    ASSERT_TRUE(runtimeFolder.isValid());
    const QString program = QString::fromStdString(ADLXHelper::ExecutableFolder()) + "/tachyon";
    ASSERT_TRUE(QFile::exists(program)) << program.toStdString();

    Instance instances[2];
    for (int i = 0; i < 2; ++i) {
        Instance& instance = instances[i];
        instance.trace = runtimeFolder.filePath(QString("trace-%1.txt").arg(i));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_RUNTIME_DIR", runtimeFolder.path());
        environment.insert("TACHYON_SIM_TRACE", instance.trace);
        instance.process->setProcessEnvironment(environment);
        instance.process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        instance.process->start(program, {});
        ASSERT_TRUE(instance.process->waitForStarted(10000)) << i;
    }

    // Up to their windows: set-up got as far as reading the first display's settings.
    auto readAll = [](const Instance& instance) {
        return Contents(instance.trace).contains("IADLXDisplayServices.GetPixelFormat display0");
    };
    QElapsedTimer timer;
    timer.start();
    while (!(readAll(instances[0]) && readAll(instances[1])) && timer.elapsed() < 30000) QTest::qWait(100);
    ASSERT_TRUE(readAll(instances[0]) && readAll(instances[1])) << "the windows did not come up";

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
