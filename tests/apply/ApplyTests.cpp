// SPDX-License-Identifier: GPL-3.0-or-later
// The headless command: a profile applied through Load and the Tuning and Fan applies of "+",
// read back, and every refusal in the exit status and on standard error. Runs the real program on
// the simulated runtime, without a display.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "device/ADLXHelper.h"
#include "profile/ProfileFormat.h"

namespace {

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
    QStringList trace;
};

// The default simulated card gpu0 (RX 7900 XTX) with new values within its ranges.
ProfileValues Gpu0Profile() {
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

class ApplyCommand : public ::testing::Test {
protected:
    QString WriteProfile(const ProfileValues& values, const QString& name = QStringLiteral("profile.xml")) {
        return WriteFile(name, ProfileText(values));
    }
    QString WriteFile(const QString& name, const QByteArray& bytes) {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    ProgramRun Tachyon(const QStringList& args, const QProcessEnvironment& extra = {}) {
        const QString tracePath = folder.filePath(QStringLiteral("trace.txt"));
        QFile::remove(tracePath);
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // No display of any kind: --apply must choose its own platform.
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("TACHYON_SIM_TRACE"), tracePath);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder.path());
        for (const QString& name : extra.keys()) env.insert(name, extra.value(name));
        process.setProcessEnvironment(env);
        process.start(QString::fromStdString(ADLXHelper::ExecutableFolder()) + QStringLiteral("/tachyon"),
                      args);
        EXPECT_TRUE(process.waitForFinished(60000));
        ProgramRun run;
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        QFile trace(tracePath);
        if (trace.open(QIODevice::ReadOnly)) {
            run.trace = QString::fromUtf8(trace.readAll()).split(u'\n', Qt::SkipEmptyParts);
        }
        return run;
    }

    static QStringList Matching(const QStringList& trace, const QString& pattern) {
        return trace.filter(QRegularExpression(pattern));
    }

    QTemporaryDir folder;
};

TEST_F(ApplyCommand, AppliesTheTuningAndFanSettersInTheOrderOfPlusThenReadsBackAndPrintsWhatTheCardKept) {
    const ProgramRun run = Tachyon({QStringLiteral("--apply"), WriteProfile(Gpu0Profile())});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();

    const QStringList setters = Matching(run.trace, QStringLiteral("\\.Set|IsValidFanTuningStates"));
    EXPECT_EQ(setters, (QStringList{
                           "IADLXManualGraphicsTuning2.SetGPUMinFrequency 800 -> 0",
                           "IADLXManualGraphicsTuning2.SetGPUMaxFrequency 2400 -> 0",
                           "IADLXManualGraphicsTuning2.SetGPUVoltage 1100 -> 0",
                           "IADLXManualVRAMTuning2.SetMaxVRAMFrequency 2600 -> 0",
                           "IADLXManualVRAMTuning2.SetMemoryTimingDescription 2 -> 0",
                           "IADLXManualPowerTuning.SetPowerLimit 10 -> 0",
                           "IADLXManualPowerTuning.SetTDCLimit 0 -> 0",
                           "IADLXManualFanTuningState.SetFanSpeed 30 -> 0",
                           "IADLXManualFanTuningState.SetTemperature 30 -> 0",
                           "IADLXManualFanTuningState.SetFanSpeed 40 -> 0",
                           "IADLXManualFanTuningState.SetTemperature 50 -> 0",
                           "IADLXManualFanTuningState.SetFanSpeed 60 -> 0",
                           "IADLXManualFanTuningState.SetTemperature 65 -> 0",
                           "IADLXManualFanTuningState.SetFanSpeed 80 -> 0",
                           "IADLXManualFanTuningState.SetTemperature 80 -> 0",
                           "IADLXManualFanTuningState.SetFanSpeed 100 -> 0",
                           "IADLXManualFanTuningState.SetTemperature 95 -> 0",
                           "IADLXManualFanTuning.IsValidFanTuningStates list -> 0 -1",
                           "IADLXManualFanTuning.SetFanTuningStates list -> 0",
                           "IADLXManualFanTuning.SetZeroRPMState false -> 0",
                       }));
    // After the last setter, the Tuning and Fan pages are read back, and nothing else is.
    const qsizetype last = run.trace.lastIndexOf(setters.last());
    const QStringList after =
        Matching(run.trace.mid(last + 1), QStringLiteral("\\.(Get|Is)[A-Z]\\w* .*-> 0"));
    const QStringList reads = Matching(
        after, QStringLiteral("GetGPUMinFrequency|GetGPUMaxFrequency|GetGPUVoltage|GetMaxVRAMFrequency|"
                              "GetMemoryTimingDescription|"
                              "GetPowerLimit|GetTDCLimit|IsEnabled|GetFanTuningStates|GetZeroRPMState"));
    EXPECT_EQ(reads.size(), 10) << after.join(u'\n').toStdString();
    EXPECT_TRUE(Matching(run.trace, QStringLiteral("^IADLX(3D|Display).*\\.Set")).isEmpty());

    EXPECT_EQ(run.out, QStringLiteral("GPU 0: Simulated Radeon RX 7900 XTX\n"
                                      "GFX minimum clock (MHz): 800\n"
                                      "GFX maximum clock (MHz): 2400\n"
                                      "Memory maximum clock (MHz): 2600\n"
                                      "Voltage (mV): 1100\n"
                                      "GPU Power (%): 110\n"
                                      "Memory Timing Level: 2\n"
                                      "Fan point 0 speed (%): 30\n"
                                      "Fan point 0 temperature (°C): 30\n"
                                      "Fan point 1 speed (%): 40\n"
                                      "Fan point 1 temperature (°C): 50\n"
                                      "Fan point 2 speed (%): 60\n"
                                      "Fan point 2 temperature (°C): 65\n"
                                      "Fan point 3 speed (%): 80\n"
                                      "Fan point 3 temperature (°C): 80\n"
                                      "Fan point 4 speed (%): 100\n"
                                      "Fan point 4 temperature (°C): 95\n"
                                      "Zero RPM: 0\n"));
}

TEST_F(ApplyCommand, PicksTheGpuTheProfileNamesAndSkipsWhatItDoesNotSupport) {
    ProfileValues values = Gpu0Profile();
    values.devId = QStringLiteral("15bf");
    values.revId = QStringLiteral("C1");
    values.powerOffset = QStringLiteral("-20");
    const ProgramRun run = Tachyon({QStringLiteral("--apply"), WriteProfile(values)});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("GPU 1: Simulated Radeon 780M Graphics\n")))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("GFX maximum clock (MHz): not supported by this GPU\n")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("GPU Power (%): 80\n")));
    EXPECT_EQ(Matching(run.trace, QStringLiteral("\\.Set")),
              QStringList{"IADLXManualPowerTuning.SetPowerLimit -20 -> 0"});
    EXPECT_FALSE(Matching(run.trace, QStringLiteral("GetManualPowerTuning gpu1")).isEmpty());
}

TEST_F(ApplyCommand, RefusalsEndWithTheirOwnStatusAndSayWhyOnStandardError) {
    ProfileValues otherCard = Gpu0Profile();
    otherCard.devId = QStringLiteral("73BF");
    otherCard.revId = QStringLiteral("C1");
    const QString tooLarge = WriteFile(QStringLiteral("large.xml"),
                                       ProfileText(Gpu0Profile()) + QByteArray(kMaxProfileBytes, ' '));
    struct Case {
        QString what;
        QStringList args;
        int exitCode;
        QString message;
    };
    const QString profile = WriteProfile(Gpu0Profile());
    const QList<Case> cases{
        {"a profile for another card",
         {"--apply", WriteProfile(otherCard, "other.xml")},
         4,
         "the profile is for DevID 73BF, RevID C1, which no GPU here is; choose one with --gpu N:\n"
         "  GPU 0: Simulated Radeon RX 7900 XTX (DevID 744C, RevID C8)\n"
         "  GPU 1: Simulated Radeon 780M Graphics (DevID 15BF, RevID C1)\n"},
        {"no such GPU", {"--apply", profile, "--gpu", "2"}, 4, "tachyon: there is no GPU 2; the GPUs are:\n"},
        {"a missing file",
         {"--apply", folder.filePath("missing.xml")},
         3,
         "missing.xml: unable to open file\n"},
        {"not a profile", {"--apply", WriteFile("notes.xml", "<notes/>\n")}, 3, "notes.xml: not a Tachyon profile\n"},
        {"a name that would clear the terminal",
         {"--apply", folder.filePath("bad\x1b[2J.xml")},
         3,
         "bad\\x1b[2J.xml: unable to open file\n"},
        {"a file too large", {"--apply", tooLarge}, 3, "large.xml: maximum file size 1024kB\n"},
        {"an unknown option",
         {"--apply", profile, "--force"},
         2,
         "tachyon: unknown option --force\nUsage: tachyon"},
        {"--gpu alone", {"--gpu", "1"}, 2, "tachyon: --gpu only goes with --apply or --status\n"},
        {"--gpu not a number", {"--apply", profile, "--gpu", "01x"}, 2, "--gpu needs a GPU number"},
        {"--apply without a file", {"--apply"}, 2, "--apply needs a profile file"},
        {"--persist without a file", {"--persist"}, 2, "--persist needs a profile file"},
        {"--persist with more", {"--persist", profile, "--gpu", "1"}, 2, "--persist goes alone"},
        {"--forget without a name", {"--forget="}, 2, "--forget needs the name of a kept profile"},
        {"--persisted with an operand", {"--persisted", "extra"}, 2, "--persisted goes alone"},
        {"--apply twice", {"--apply", profile, "--apply=" + profile}, 2, "--apply given twice"},
        {"a value for a switch", {"--status=yes"}, 2, "tachyon: unknown option --status=yes\n"},
        {"an operand", {"--status", "extra"}, 2, "tachyon: unknown option extra\n"},
        {"--json without --status", {"--json"}, 2, "tachyon: --json only goes with --status\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what.toStdString());
        const ProgramRun run = Tachyon(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
        EXPECT_FALSE(run.err.contains(u'\x1b')) << "control characters reach the terminal escaped";
        EXPECT_TRUE(Matching(run.trace, QStringLiteral("\\.Set")).isEmpty());
    }
}

TEST_F(ApplyCommand, AValueTheCardRefusesMakesTheExitStatusOneAndNamesWhatItKept) {
    ProfileValues values = Gpu0Profile();
    values.maxEngineClock = QStringLiteral("9999");
    values.fanTemperature[3] = QStringLiteral("40");  // falls below point 2: the curve is refused
    const ProgramRun run = Tachyon({QStringLiteral("--apply"), WriteProfile(values)});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.contains(QStringLiteral("GFX maximum clock (MHz): 2500 (asked 9999)\n")))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("GFX minimum clock (MHz): 800\n")));
    EXPECT_TRUE(run.err.contains(QStringLiteral("GFX maximum clock (MHz): asked 9999, the card kept 2500\n")))
        << run.err.toStdString();
    EXPECT_TRUE(
        run.err.contains(QStringLiteral("Fan point 3 temperature (°C): asked 40, the card kept 80\n")));
    EXPECT_TRUE(Matching(run.trace, QStringLiteral("SetFanTuningStates")).isEmpty());
}

TEST_F(ApplyCommand, HelpAndVersionNeedNoRuntimeAndNoDisplay) {
    const ProgramRun help = Tachyon({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: tachyon "))) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains(QStringLiteral("--apply PROFILE.xml [--gpu N]")));
    for (const char* said : {"--persist PROFILE.xml", "--forget NAME", "--persisted", "255 the runtime did not start",
                             "5 authentication was cancelled", "Every command exits with 2"}) {
        EXPECT_TRUE(help.out.contains(QString::fromUtf8(said))) << said;
    }
    EXPECT_TRUE(help.err.isEmpty());

    const ProgramRun version = Tachyon({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QStringLiteral("tachyon 1.1.5\n"));
    EXPECT_TRUE(version.trace.isEmpty()) << "the runtime is not even loaded";
}

// ---- tachyon --status, the same program reading instead of applying.

QJsonObject StatusDocument(const ProgramRun& run) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << run.out.toStdString();
    EXPECT_TRUE(document.isObject());
    return document.object();
}

QStringList Keys(const QJsonValue& object) { return object.toObject().keys(); }

TEST_F(ApplyCommand, StatusReadsEveryGpuOnceAndPrintsJsonOrTextWithoutADisplay) {
    const ProgramRun run = Tachyon({QStringLiteral("--status"), QStringLiteral("--json")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    const QJsonObject document = StatusDocument(run);
    EXPECT_EQ(document.value(QStringLiteral("schema")).toInt(), 1);
    const QJsonArray gpus = document.value(QStringLiteral("gpus")).toArray();
    ASSERT_EQ(gpus.size(), 2);

    const QJsonObject card = gpus[0].toObject();
    EXPECT_EQ(card.value(QStringLiteral("name")).toString(), "Simulated Radeon RX 7900 XTX");
    EXPECT_EQ(card.value(QStringLiteral("pci")).toObject(),
              (QJsonObject{{"vendor", "1002"}, {"device", "744C"}, {"subsystem_vendor", "1002"},
                           {"subsystem_device", "0E3B"}, {"revision", "C8"}}));
    EXPECT_EQ(card.value(QStringLiteral("asleep")), QJsonValue(false));
    EXPECT_EQ(card.value(QStringLiteral("overdrive")), QJsonValue(true));
    // What the window shows for the built-in card: its factory values.
    const QJsonObject tuning = card.value(QStringLiteral("tuning")).toObject();
    EXPECT_EQ(tuning.value(QStringLiteral("gpu_min_clock_mhz")).toInt(), 500);
    EXPECT_EQ(tuning.value(QStringLiteral("gpu_max_clock_mhz")).toInt(), 2500);
    EXPECT_EQ(tuning.value(QStringLiteral("voltage_mv")).toInt(), 1150);
    EXPECT_EQ(tuning.value(QStringLiteral("memory_max_clock_mhz")).toInt(), 2500);
    EXPECT_EQ(tuning.value(QStringLiteral("power_limit_percent")).toInt(), 100);
    EXPECT_EQ(tuning.value(QStringLiteral("zero_rpm")), QJsonValue(true));
    const QJsonArray curve = tuning.value(QStringLiteral("fan_curve")).toArray();
    ASSERT_EQ(curve.size(), 5);
    EXPECT_EQ(curve[0].toObject(), (QJsonObject{{"temperature_c", 40}, {"speed_percent", 25}}));
    EXPECT_EQ(Keys(card.value(QStringLiteral("metrics"))),
              (QStringList{"fan_percent", "fan_rpm", "gpu_busy_percent", "gpu_clock_mhz", "memory_clock_mhz",
                           "power_w", "temperature_edge_c", "temperature_hotspot_c", "temperature_memory_c",
                           "vram_total_mib", "vram_used_mib"}));

    // The integrated GPU: no overdrive, no fan, no hotspot or memory sensor; the keys are missing.
    const QJsonObject igpu = gpus[1].toObject();
    EXPECT_EQ(igpu.value(QStringLiteral("overdrive")), QJsonValue(false));
    EXPECT_EQ(Keys(igpu.value(QStringLiteral("tuning"))), QStringList{"power_limit_percent"});
    EXPECT_EQ(Keys(igpu.value(QStringLiteral("metrics"))),
              (QStringList{"gpu_busy_percent", "gpu_clock_mhz", "memory_clock_mhz", "power_w",
                           "temperature_edge_c", "vram_total_mib", "vram_used_mib"}));

    // Read once, changed nothing.
    EXPECT_EQ(Matching(run.trace, QStringLiteral("^IADLXGPUMetrics\\.GetTemperature ")).size(), 2);
    EXPECT_TRUE(Matching(run.trace, QStringLiteral("\\.Set|ResetToFactory")).isEmpty());

    const ProgramRun text = Tachyon({QStringLiteral("--status")});
    EXPECT_EQ(text.exitCode, 0);
    for (const char* line : {"GPU 0: Simulated Radeon RX 7900 XTX\n", "  Overdrive:             on\n",
                             "  Power limit:           100 %\n", "  Zero RPM:              on\n",
                             "\nGPU 1: Simulated Radeon 780M Graphics\n", "  VRAM total:            512 MiB\n"}) {
        EXPECT_TRUE(text.out.contains(QString::fromUtf8(line))) << line << text.out.toStdString();
    }

    const ProgramRun one = Tachyon({QStringLiteral("--status"), QStringLiteral("--gpu"), QStringLiteral("1"),
                                    QStringLiteral("--json")});
    const QJsonArray only = StatusDocument(one).value(QStringLiteral("gpus")).toArray();
    ASSERT_EQ(only.size(), 1);
    EXPECT_EQ(only[0].toObject().value(QStringLiteral("gpu")).toInt(), 1);

    const ProgramRun none = Tachyon({QStringLiteral("--status"), QStringLiteral("--gpu"), QStringLiteral("2")});
    EXPECT_EQ(none.exitCode, 4);
    EXPECT_TRUE(none.out.isEmpty());
    EXPECT_TRUE(none.err.contains(QStringLiteral("tachyon: there is no GPU 2; the GPUs are:\n")));
}

TEST_F(ApplyCommand, StatusOfASleepingGpuReadsNothingOfItAndAFailedSensorMakesTheStatusOne) {
    QFile scenario(folder.filePath(QStringLiteral("scenario.json")));
    ASSERT_TRUE(scenario.open(QIODevice::WriteOnly));
    scenario.write(R"({"gpus":[{"sensors":{"asleep":true}}]})");
    scenario.close();
    QProcessEnvironment env;
    env.insert(QStringLiteral("TACHYON_SIM_SCENARIO"), scenario.fileName());
    const ProgramRun asleep = Tachyon({QStringLiteral("--status"), QStringLiteral("--json")}, env);
    EXPECT_EQ(asleep.exitCode, 0) << asleep.err.toStdString();
    const QJsonObject gpu = StatusDocument(asleep).value(QStringLiteral("gpus")).toArray()[0].toObject();
    EXPECT_EQ(gpu.value(QStringLiteral("asleep")), QJsonValue(true));
    EXPECT_TRUE(Keys(gpu.value(QStringLiteral("tuning"))).isEmpty());
    EXPECT_TRUE(Keys(gpu.value(QStringLiteral("metrics"))).isEmpty());
    EXPECT_TRUE(Matching(asleep.trace, QStringLiteral("^IADLXGPUMetrics\\.Get|^IADLXGPUTuningServices\\.IsSupported"))
                    .isEmpty())
        << asleep.trace.join(u'\n').toStdString();

    QProcessEnvironment faulty;
    faulty.insert(QStringLiteral("TACHYON_SIM_FAULTS"), QStringLiteral("IADLXGPUMetrics.GetPower"));
    const ProgramRun failed = Tachyon({QStringLiteral("--status"), QStringLiteral("--json")}, faulty);
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.err.contains(QStringLiteral("tachyon: GPU 0: power_w could not be read\n"))) << failed.err.toStdString();
    const QJsonObject first = StatusDocument(failed).value(QStringLiteral("gpus")).toArray()[0].toObject();
    EXPECT_FALSE(first.value(QStringLiteral("metrics")).toObject().contains(QStringLiteral("power_w")));
    EXPECT_EQ(first.value(QStringLiteral("unreadable")).toArray(), QJsonArray{QStringLiteral("power_w")});
}

}  // namespace
