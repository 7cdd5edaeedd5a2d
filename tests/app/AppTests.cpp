// Start-up and the instance marker.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

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
