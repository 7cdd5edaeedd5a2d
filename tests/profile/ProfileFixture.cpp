// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProfileFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>

QString GoldenPath() { return QStringLiteral(PROFILE_GOLDEN_DIR "/profile-73BF.xml"); }

QByteArray GoldenProfile() { return ReadBytes(GoldenPath()); }

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return file.readAll();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

std::string Describe(const ControlKey& key) {
    return (key.first == kTuningPage ? "Tuning " : "Fan ") + std::to_string(key.second);
}

namespace {

const int kTuningEdits[] = {1007, 1008, 1009, 1010, 1011, 1012};

}  // namespace

void ProfileTest::SetUp() { ASSERT_TRUE(dir.isValid()); }

CTachyonDlg& ProfileTest::StartOn73BF() {
    return Start(R"({"gpus": [{"pnp": "PCI\\VEN_1002&DEV_73BF&SUBSYS_0E3A1002&REV_C1"}]})");
}

void ProfileTest::FillTimingList() {
    Dlg().m_vocabularies.memoryTiming.FillFromDriver(
        {0, 1, 2}, [](std::int32_t v) { return QStringLiteral("Unknown Timing Level %1").arg(v); });
    Dlg().Combo(kTuningPage, 1013)->setCurrentIndex(0);
}

void ProfileTest::SetKnownControls() {
    FillTimingList();
    SetText(kTuningPage, 1007, "0800");
    SetText(kTuningPage, 1008, "2500");
    SetText(kTuningPage, 1010, "2600");
    SetText(kTuningPage, 1011, "1150");
    SetText(kTuningPage, 1012, "110");
    Dlg().Combo(kTuningPage, 1013)->setCurrentIndex(1);  // "Fast Timing", value 1
    TachyonTest::SetChecked(kFanPage, 1035, true);
    const char* speeds[] = {"20", "35", "50", "70", "100"};
    const char* temperatures[] = {"30", "45", "60", "75", "90"};
    for (int k = 0; k < 5; ++k) {
        SetText(kFanPage, 1023 + 2 * k, speeds[k]);
        SetText(kFanPage, 1024 + 2 * k, temperatures[k]);
    }
}

ControlState ProfileTest::Controls() {
    ControlState state;
    for (int id : kTuningEdits) state[{kTuningPage, id}] = Text(kTuningPage, id);
    state[{kTuningPage, 1013}] = Selected(kTuningPage, 1013);
    for (int id = 1023; id <= 1032; ++id) state[{kFanPage, id}] = Text(kFanPage, id);
    state[{kFanPage, 1035}] = Checked(kFanPage, 1035) ? "checked" : "unchecked";
    return state;
}

void ProfileTest::Scramble() {
    int n = 7;
    for (int id : kTuningEdits) SetText(kTuningPage, id, QString::number(++n));
    for (int id = 1023; id <= 1032; ++id) SetText(kFanPage, id, QString::number(++n));
    QComboBox* timing = Dlg().Combo(kTuningPage, 1013);
    if (timing->count() > 1) timing->setCurrentIndex((timing->currentIndex() + 1) % timing->count());
    TachyonTest::SetChecked(kFanPage, 1035, !Checked(kFanPage, 1035));
}

int ProfileTest::Save(const QString& path) {
    prompts.saveFiles.push_back(path);
    return Dlg().SaveProfile();
}

int ProfileTest::Load(const QString& path) {
    prompts.openFiles.push_back(path);
    return Dlg().LoadProfile();
}
