// SPDX-License-Identifier: GPL-3.0-or-later
// Profiles nobody wrote with this program, loaded through the Load button: the reader must neither
// crash nor hang nor put anything but a number into an edit, and what it can still read it reads.

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <optional>

#include "TachyonTest.h"
#include "profile/ProfileFormat.h"

namespace {

QByteArray KnownProfile() {
    ProfileValues v;
    v.devId = "744C";
    v.revId = "C8";
    v.powerOffset = "10";
    v.minEngineClock = "800";
    v.maxEngineClock = "2500";
    v.engineVoltage = "1150";
    v.maxMemoryClock = "2600";
    v.memoryTiming = "1";
    v.zeroRpm = true;
    const char* temperatures[] = {"30", "45", "60", "75", "90"};
    const char* speeds[] = {"20", "35", "50", "70", "100"};
    for (int k = 0; k < 5; ++k) {
        v.fanTemperature[k] = temperatures[k];
        v.fanSpeed[k] = speeds[k];
    }
    return ProfileText(v);
}

QByteArray Replaced(QByteArray bytes, const QByteArray& from, const QByteArray& to) { return bytes.replace(from, to); }

// The known profile up to and including `keep` of the last fan speed's keyword: a file cut off.
QByteArray CutInLastValue(const QByteArray& keep) {
    const QByteArray bytes = KnownProfile();
    const qsizetype at = bytes.lastIndexOf("Value=\"100\"");
    return bytes.left(at) + keep;
}

// The declaration and `head`, then `unit` repeated up to exactly the size limit.
QByteArray FullOf(const QByteArray& unit, const QByteArray& head = {}) {
    QByteArray bytes = R"(<?xml version="1.0" encoding="UTF-8"?>)" "\n" + head;
    while (bytes.size() + unit.size() <= kMaxProfileBytes) bytes += unit;
    bytes += QByteArray(kMaxProfileBytes - bytes.size(), ' ');
    return bytes;
}

constexpr int kTuningEdits[] = {1007, 1008, 1010, 1011, 1012};

}  // namespace

class HostileProfileTest : public TachyonTest {};

TEST_F(HostileProfileTest, HostileFilesLoadWhatTheyCanAndLeaveOnlyNumbersInTheEdits) {
    const QByteArray known = KnownProfile();
    struct Case {
        const char* name;
        QByteArray bytes;
        int page;
        int id;
        const char* expected;  // null: the control keeps what it showed
        const char* message = nullptr;
    } cases[] = {
        {"carriage returns and line feeds", Replaced(known, "\n", "\r\n"), kFanPage, 1031, "100"},
        {"carriage returns only", Replaced(known, "\n", "\r"), kFanPage, 1031, "100"},
        {"invalid UTF-8 in a value", Replaced(known, R"(Value="2500")", "Value=\"25\xff\xfe" "00\""), kTuningPage,
         1008, "25"},
        {"invalid UTF-8 between the features", Replaced(known, "<FEATURE", "\xc3\x28\xa0\xa1\xed\xa0\x80<FEATURE"),
         kFanPage, 1031, "100"},
        {"invalid UTF-8 in the declaration", Replaced(known, "UTF-8", "UTF-\xff" "8"), kTuningPage, 1008, nullptr,
         "not supported"},
        {"zero bytes only", QByteArray(4096, '\0'), kTuningPage, 1008, nullptr, "not supported"},
        {"zero byte inside a value", Replaced(known, R"(Value="2500")", QByteArray("Value=\"25\0" "00\"", 10)),
         kTuningPage, 1008, nullptr},
        {"negative beyond 32 bits", Replaced(known, R"(Value="2500")", R"(Value="-99999999999")"), kTuningPage, 1008,
         "-2147483648"},
        {"power offset beyond 32 bits", Replaced(known, R"(Value="10")", R"(Value="99999999999")"), kTuningPage, 1012,
         "2147483647"},
        {"negative power offset beyond 32 bits", Replaced(known, R"(Value="10")", R"(Value="-99999999999")"),
         kTuningPage, 1012, "-2147483548"},
        {"cut after the keyword's first letters", CutInLastValue("Val"), kFanPage, 1031, nullptr},
        {"cut after the keyword", CutInLastValue("Value"), kFanPage, 1031, nullptr},
        {"cut after the equals sign", CutInLastValue("Value="), kFanPage, 1031, nullptr},
        {"cut after the opening quote", CutInLastValue("Value=\""), kFanPage, 1031, nullptr},
        {"cut inside the number", CutInLastValue("Value=\"10"), kFanPage, 1031, nullptr},
        // The value runs to the next quote, which is the next marker's.
        {"1 MiB of feature markers without values",
         FullOf(R"(<FEATURE ID="26"><STATE ID="3" Enabled="False" Value=")"), kTuningPage, 1007, "0"},
        {"1 MiB of keywords without quotes", FullOf("Value=", R"(<FEATURE ID="3">)"), kTuningPage, 1012,
         nullptr},
        {"1 MiB of quotes", FullOf(R"(FEATURE ID="22" Value="")"), kFanPage, 1024, "0"},
    };

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Start();
    const QRegularExpression number(QStringLiteral("^-?[0-9]+$"));
    for (const Case& c : cases) {
        int n = 7;
        for (int id : kTuningEdits) SetText(kTuningPage, id, QString::number(++n));
        for (int id = 1023; id <= 1032; ++id) SetText(kFanPage, id, QString::number(++n));
        const QString before = Text(c.page, c.id);
        const QString path = dir.filePath("hostile.xml");
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            ASSERT_EQ(file.write(c.bytes), c.bytes.size());
        }
        prompts.messages.clear();
        prompts.openFiles.push_back(path);
        ClearTrace();

        QElapsedTimer timer;
        timer.start();
        Press(1004);
        EXPECT_LT(timer.elapsed(), 5000) << c.name;

        EXPECT_EQ(Text(c.page, c.id), c.expected ? QString(c.expected) : before) << c.name;
        if (c.message) {
            ASSERT_EQ(prompts.messages.size(), 1u) << c.name;
            EXPECT_EQ(prompts.messages[0].text, c.message) << c.name;
        } else {
            EXPECT_TRUE(prompts.messages.empty()) << c.name;
        }
        for (int id : kTuningEdits) EXPECT_TRUE(number.match(Text(kTuningPage, id)).hasMatch()) << c.name << " " << id;
        for (int id = 1023; id <= 1032; ++id) {
            EXPECT_TRUE(number.match(Text(kFanPage, id)).hasMatch()) << c.name << " " << id;
        }
        EXPECT_TRUE(Calls().empty()) << c.name << ": loading asked the driver";
    }
}
