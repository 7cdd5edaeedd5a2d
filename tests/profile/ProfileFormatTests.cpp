// SPDX-License-Identifier: GPL-3.0-or-later
// The profile text without a window: the writer's slots, the PNP ids, the file name rule, and the
// reader's marker searches on whole files and on damaged ones.

#include <gtest/gtest.h>

#include "ProfileFixture.h"
#include "profile/ProfileFormat.h"

namespace {

ProfileValues KnownValues() {
    ProfileValues v;
    v.devId = "73BF";
    v.revId = "C1";
    v.powerOffset = "10";
    v.minEngineClock = "0800";
    v.maxEngineClock = "2500";
    v.engineVoltage = "1150";
    v.maxMemoryClock = "2600";
    v.memoryTiming = "1";
    v.zeroRpm = true;
    const char* speeds[] = {"20", "35", "50", "70", "100"};
    const char* temperatures[] = {"30", "45", "60", "75", "90"};
    for (int k = 0; k < 5; ++k) {
        v.fanSpeed[k] = speeds[k];
        v.fanTemperature[k] = temperatures[k];
    }
    return v;
}

QList<QByteArray> Lines(const QByteArray& text) { return text.split('\n'); }

}  // namespace

TEST(ProfileTextTest, KnownValuesGiveTheGoldenBytes) {
    const QByteArray golden = GoldenProfile();
    // The golden file itself must be what the format promises, or the comparison proves nothing.
    ASSERT_EQ(golden.count('\n'), 70);
    ASSERT_TRUE(golden.endsWith("</SYSTEM>\n"));
    ASSERT_FALSE(golden.contains('\r'));
    ASSERT_FALSE(golden.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(ProfileText(KnownValues()), golden);
}

TEST(ProfileTextTest, ZeroRpmSlotCoversEnabledAndValue) {
    ProfileValues v = KnownValues();
    v.zeroRpm = true;
    EXPECT_EQ(Lines(ProfileText(v))[45], R"(                <STATE ID="0" Enabled="True" Value="1"/>)");
    v.zeroRpm = false;
    EXPECT_EQ(Lines(ProfileText(v))[45], R"(                <STATE ID="0" Enabled="False" Value="0"/>)");
}

TEST(ProfileTextTest, ValueTextsAreWrittenWholeOneBytePerCharacter) {
    ProfileValues v = KnownValues();
    v.minEngineClock = "12345678901234567890123";  // beyond the 18 characters the original could hold
    v.maxEngineClock = "";
    v.engineVoltage = QString(QChar(0x0131)) + "5";  // the low 8 bits of U+0131 are '1'
    const QList<QByteArray> lines = Lines(ProfileText(v));
    EXPECT_EQ(lines[19], R"(                <STATE ID="3" Enabled="False" Value="12345678901234567890123"/>)");
    EXPECT_EQ(lines[20], R"(                <STATE ID="4" Enabled="False" Value=""/>)");
    EXPECT_EQ(lines[29], R"(                <STATE ID="0" Enabled="False" Value="15"/>)");
    EXPECT_EQ(lines.size(), 71);  // 70 lines and nothing after the last line feed
}

TEST(ProfileTextTest, SlotLikeTextInAValueIsWrittenAsItIs) {
    ProfileValues v = KnownValues();
    v.devId = "{power}";
    EXPECT_EQ(Lines(ProfileText(v))[2], R"(    <GPU DevID="{power}" RevID="C1">)");
}

TEST(PnpIdsTest, IdsFollowTheirMarkers) {
    struct Case {
        const char* pnp;
        const char* dev;
        const char* rev;
    } cases[] = {
        {R"(PCI\VEN_1002&DEV_73BF&SUBSYS_0E3A1002&REV_C1)", "73BF", "C1"},
        {R"(PCI\VEN_1002&DEV_73BF&REV_C1&DEV_1111&REV_22)", "73BF", "C1"},  // the first of each
        {R"(PCI\VEN_1002&SUBSYS_0E3A1002&REV_C1)", "", "C1"},              // no DEV_
        {R"(PCI\VEN_1002&DEV_73BF)", "73BF", ""},                          // no REV_
        {R"(PCI\DEV_73)", "73", ""},                                       // short after the marker
        {R"(DEV_73BF&REV_C)", "73BF", "C"},
        {"DEV_", "", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PnpDeviceId(c.pnp), c.dev) << c.pnp;
        EXPECT_EQ(PnpRevisionId(c.pnp), c.rev) << c.pnp;
    }
}

TEST(ProfileFileNameTest, OnlyExactlyXmlOrXmlInCapitalsIsKept) {
    const std::pair<const char*, const char*> cases[] = {
        {"/p/tune.xml", "/p/tune.xml"},
        {"/p/tune.XML", "/p/tune.XML"},
        {"/p/tune.Xml", "/p/tune.Xml.xml"},
        {"/p/tune.txt", "/p/tune.txt.xml"},
        {"/p/tune", "/p/tune.xml"},
        {"/p/a.xml.d/tune", "/p/a.xml.d/tune.xml"},  // a dot in the folder is not the file's
        {"/p/tune.xml.bak", "/p/tune.xml.bak.xml"},
    };
    for (const auto& [chosen, written] : cases) EXPECT_EQ(ProfileFileName(chosen), written) << chosen;
}

TEST(ProfileReaderTest, GoldenFileGivesEveryValueText) {
    const ProfileReading r = ReadProfileValues(ProfileTextFromBytes(GoldenProfile()));
    EXPECT_EQ(r.featuresFound, 7);
    EXPECT_EQ(r.powerOffset, "10");
    // States 0 to 2 of the engine clocks hold 0 and must be skipped.
    EXPECT_EQ(r.minEngineClock, "0800");
    EXPECT_EQ(r.maxEngineClock, "2500");
    EXPECT_EQ(r.engineVoltage, "1150");
    EXPECT_EQ(r.maxMemoryClock, "2600");
    EXPECT_EQ(r.memorySecond, "0");
    EXPECT_EQ(r.memoryTiming, "1");
    EXPECT_EQ(r.zeroRpm, "1");
    const char* speeds[] = {"20", "35", "50", "70", "100"};
    const char* temperatures[] = {"30", "45", "60", "75", "90"};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(r.fanSpeed[k], speeds[k]) << k;
        EXPECT_EQ(r.fanTemperature[k], temperatures[k]) << k;
    }
}

TEST(ProfileReaderTest, ValueIsTakenSevenCharactersAfterItsKeyword) {
    // Spacing around the equals sign shifts the value's start onto the quote or the blank before it.
    const std::pair<const char*, const char*> cases[] = {
        {R"(FEATURE ID="3" Value="-5")", "-5"},
        {R"(FEATURE ID="3" Value ="5")", ""},
        {R"(FEATURE ID="3" Value= "5")", ""},
        {R"(FEATURE ID="3" Value = "5")", " "},
        {R"(FEATURE ID="3" Value="")", ""},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(ReadProfileValues(text).powerOffset, value) << text;
}

TEST(ProfileReaderTest, WhatCannotBeFoundIsMissingNotInvented) {
    const QString golden = ProfileTextFromBytes(GoldenProfile());
    {
        // Voltage's marker gone: only voltage is missing; the others are still found.
        QString text = golden;
        text.replace(R"(FEATURE ID="12")", R"(FEATURE ID="99")");
        const ProfileReading r = ReadProfileValues(text);
        EXPECT_EQ(r.featuresFound, 6);
        EXPECT_FALSE(r.engineVoltage.has_value());
        EXPECT_EQ(r.maxMemoryClock, "2600");
        EXPECT_EQ(r.powerOffset, "10");
    }
    {
        // The file ends inside the last speed: no closing quote, so that value is missing.
        const QString text = golden.left(golden.indexOf(R"(Value="100")") + 9);
        const ProfileReading r = ReadProfileValues(text);
        EXPECT_FALSE(r.fanSpeed[4].has_value());
        EXPECT_EQ(r.fanTemperature[4], "90");
    }
    {
        // Ends after the keyword itself, and inside the attribute opening.
        for (const char* tail : {"Value", "Value=", "Value=\""}) {
            const ProfileReading r = ReadProfileValues(QString(R"(FEATURE ID="3" )") + tail);
            EXPECT_FALSE(r.powerOffset.has_value()) << tail;
        }
    }
    {
        // The fan curve stops after point 2: the later points follow a missing one and are missing.
        const QString text = golden.left(golden.indexOf(R"(<STATE ID="6" Enabled="False" Value="75")"));
        const ProfileReading r = ReadProfileValues(text);
        EXPECT_EQ(r.fanSpeed[2], "50");
        EXPECT_FALSE(r.fanTemperature[3].has_value());
        EXPECT_FALSE(r.fanSpeed[3].has_value());
        EXPECT_FALSE(r.fanSpeed[4].has_value());
    }
    {
        const ProfileReading r = ReadProfileValues(R"(<?xml version="1.0" encoding="UTF-8"?><a Value="5"/>)");
        EXPECT_EQ(r.featuresFound, 0);
        EXPECT_FALSE(r.powerOffset.has_value());
        EXPECT_FALSE(r.minEngineClock.has_value());
        EXPECT_FALSE(r.fanTemperature[0].has_value());
    }
}

TEST(ProfileReaderTest, DeclarationMustBeExactButMayStandAnywhere) {
    const std::pair<const char*, bool> cases[] = {
        {R"(<?xml version="1.0" encoding="UTF-8"?>)", true},
        {R"(junk first <?xml version="1.0" encoding="UTF-8" standalone="yes"?>)", true},
        {R"(<?xml version='1.0' encoding='UTF-8'?>)", false},
        {R"(<?xml version="1.0"  encoding="UTF-8"?>)", false},
        {R"(<?xml version="1.0" encoding="utf-8"?>)", false},
        {"", false},
    };
    for (const auto& [text, accepted] : cases) EXPECT_EQ(HasProfileDeclaration(text), accepted) << text;
}

TEST(ProfileReaderTest, TextEndsAtTheFirstZeroByte) {
    EXPECT_EQ(ProfileTextFromBytes(QByteArray("abc\0def", 7)), "abc");
    EXPECT_EQ(ProfileTextFromBytes(QByteArray("\0abc", 4)), "");
    EXPECT_EQ(ProfileTextFromBytes("abc"), "abc");
}
