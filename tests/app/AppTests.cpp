// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and the instance marker.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>

#include "ScriptedPrompts.h"
#include "app/CTachyonApp.h"
#include "app/InstanceMarker.h"
#include "device/ADLXHelper.h"

TEST(Startup, WithoutARuntimeTheUserSeesOneMessageAndTheProcessEndsWithMinusOne) {
    // The program copied to a folder of its own, with no runtime beside it.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString source = QString::fromStdString(ADLXHelper::ExecutableFolder()) + "/tachyon_startup_probe";
    const QString program = folder.filePath("tachyon_startup_probe");
    ASSERT_TRUE(QFile::copy(source, program));

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("LD_LIBRARY_PATH");
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(environment);
    process.start(program, {});
    ASSERT_TRUE(process.waitForFinished(30000));

    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 255);
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_EQ(out, "message: Zeta Error | ADLX Initialization failed!\n");
    // The reason goes to standard error for whoever starts the program from a terminal.
    EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError()).contains("libamdadlx64.so"));
}

TEST(InstanceMarker, TwoInstancesHoldItAtOnceAndTheLastOneLeavesNothingBehind) {
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());

    InstanceMarker first;
    InstanceMarker second;
    first.Create("Tachyon Instance");
    second.Create("Tachyon Instance");
    EXPECT_TRUE(first.IsHeld());
    EXPECT_TRUE(second.IsHeld());
    EXPECT_EQ(first.Path(), second.Path());
    EXPECT_TRUE(QFile::exists(QString::fromStdString(first.Path())));

    first.Close();
    EXPECT_FALSE(first.IsHeld());
    EXPECT_TRUE(QFile::exists(QString::fromStdString(second.Path()))) << "still held by the second instance";
    second.Close();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(second.Path())));
}

TEST(InstanceMarker, AFolderThatCannotHoldItLeavesTheMarkerUnheldAndStartUpGoesOn) {
    qputenv("XDG_RUNTIME_DIR", "/nonexistent/folder");
    InstanceMarker marker;
    marker.Create("Tachyon Instance");
    EXPECT_FALSE(marker.IsHeld());
    marker.Close();
}

namespace {

QString MarkerIn(const QTemporaryDir& runtime) {
    return runtime.filePath(QString("Tachyon Instance-%1.lock").arg(getuid()));
}

}  // namespace

TEST(InstanceMarker, AFileOfAnotherUserAtItsNameIsLeftAloneAndUnheld) {
    if (geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    const QString path = MarkerIn(runtime);
    const QByteArray bytes = "planted\n";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
    file.close();
    ASSERT_EQ(chown(path.toLocal8Bit().constData(), 65534, 65534), 0);
    ASSERT_EQ(chmod(path.toLocal8Bit().constData(), 0666), 0);

    InstanceMarker marker;
    marker.Create("Tachyon Instance");
    EXPECT_FALSE(marker.IsHeld());
    marker.Close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), bytes);
    EXPECT_EQ(QFileInfo(path).ownerId(), 65534u) << "neither removed nor replaced";
}

TEST(InstanceMarker, ANamedPipeAtItsNameIsLeftAloneAndUnheld) {
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    const QString path = MarkerIn(runtime);
    ASSERT_EQ(mkfifo(path.toLocal8Bit().constData(), 0600), 0);

    InstanceMarker marker;
    marker.Create("Tachyon Instance");
    EXPECT_FALSE(marker.IsHeld());
    marker.Close();
    struct stat st {};
    ASSERT_EQ(lstat(path.toLocal8Bit().constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(InstanceMarker, ALockHeldAloneElsewhereLeavesItUnheldAtOnce) {
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    const QString path = MarkerIn(runtime);
    const int held = open(path.toLocal8Bit().constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);

    // Taken in a child, so a marker that waits blocks the child only.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InstanceMarker marker;
        marker.Create("Tachyon Instance");
        _exit(marker.IsHeld() ? 1 : 0);
    }
    int status = -1;
    pid_t done = 0;
    for (int i = 0; i < 100 && done == 0; ++i) {
        done = waitpid(child, &status, WNOHANG);
        if (done == 0) usleep(50000);
    }
    if (done == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        ADD_FAILURE() << "the marker waited for the lock";
    } else {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "held although another holds it alone";
    }
    close(held);
    EXPECT_TRUE(QFile::exists(path)) << "the other holder's file stays";
}

namespace {

struct FolderEvent {
    std::uint32_t mask;
    std::string name;
};

// The changes seen in a folder, in the order they happened.
std::vector<FolderEvent> Events(int watch) {
    std::vector<FolderEvent> events;
    alignas(inotify_event) char buffer[64 * 1024];
    for (ssize_t length; (length = read(watch, buffer, sizeof buffer)) > 0;) {
        for (char* at = buffer; at < buffer + length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            events.push_back({event->mask, event->len > 0 ? std::string(event->name) : std::string()});
            at += sizeof(inotify_event) + event->len;
        }
    }
    return events;
}

QStringList Lines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

}  // namespace

// The whole life of the application object on the simulated runtime: the version it asks for, and
// at the end the marker closed first, then the runtime stopped with every interface released.
TEST(Lifetime, AsksForVersion1_2_0_72AndClosesTheMarkerBeforeTheRuntimeStopsWithNothingHeld) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    qputenv("XDG_RUNTIME_DIR", folder.path().toUtf8());
    const QString trace = folder.filePath("trace.txt");
    qputenv("TACHYON_SIM_TRACE", trace.toUtf8());
    const std::string markerName = "Tachyon Instance-" + std::to_string(getuid()) + ".lock";
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, folder.path().toLocal8Bit().constData(), IN_DELETE | IN_MODIFY), 0);

    ADLXHelper adlx;
    ScriptedPrompts prompts;
    bool markerHeld = false;
    bool windowRan = false;
    {
        CTachyonApp app(adlx, prompts);
        ASSERT_TRUE(app.Started()) << adlx.LastError();
        // Closes the window as soon as its modal loop runs, as the user's close box would.
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            QWidget* window = QApplication::activeModalWidget();
            if (window == nullptr) return;
            windowRan = true;
            markerHeld = app.m_instanceMutex.IsHeld();
            window->close();
        });
        closer.start(10);
        app.InitInstance();
    }
    const std::vector<FolderEvent> events = Events(watch);
    close(watch);
    qunsetenv("TACHYON_SIM_TRACE");
    ASSERT_TRUE(windowRan);
    EXPECT_TRUE(markerHeld) << "held while the window runs";
    EXPECT_TRUE(prompts.messages.empty());

    const QStringList lines = Lines(trace);
    const QStringList initialize = lines.filter(QRegularExpression("^ADLXInitialize "));
    EXPECT_EQ(initialize.join(" | ").toStdString(), "ADLXInitialize 1.2.0.72 -> 0");
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.last().toStdString(), "ADLXTerminate -> 0 live=0 double=0 dead_calls=0")
        << "the runtime stops last, with every interface released";

    // The marker is removed before the runtime writes its last line.
    const auto markerGone = std::find_if(events.begin(), events.end(), [&](const FolderEvent& e) {
        return (e.mask & IN_DELETE) != 0 && e.name == markerName;
    });
    ASSERT_NE(markerGone, events.end());
    EXPECT_TRUE(std::any_of(markerGone, events.end(), [](const FolderEvent& e) {
        return (e.mask & IN_MODIFY) != 0 && e.name == "trace.txt";
    })) << "the runtime stopped before the marker was closed";
}
