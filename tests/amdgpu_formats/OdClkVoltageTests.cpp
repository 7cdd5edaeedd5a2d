// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

#include "Render.h"
#include "Samples.h"
#include "formats/OdClkVoltage.h"

namespace amdgpu {

void PrintTo(const OdClkVoltage& od, std::ostream* os) {
    *os << "recognised=" << od.recognised << " unparsed=" << od.unparsedLines << "\n" << samples::render(od);
}

namespace {

using namespace std::string_literals;
using samples::containedIn;
using samples::families;

std::string replaceAll(std::string s, std::string_view from, std::string_view to) {
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) {
        s.replace(at, from.size(), to);
    }
    return s;
}

TEST(OdClkVoltage, EveryFamilyReadsAsPrinted) {
    for (const auto& sample : families()) {
        SCOPED_TRACE(sample.name);
        EXPECT_EQ(parseOdClkVoltage(sample.text), sample.expected);
        EXPECT_EQ(parseOdClkVoltage(samples::render(sample.expected)), sample.expected);
    }
}

TEST(OdClkVoltage, TextWithoutKnownSectionSaysSo) {
    for (const std::string& text : {""s, "\n"s, std::string(4096, '\0'), "OD_FUTURE:\n0: 5Mhz\n"s,
                                    "0: 500Mhz\n1: 900Mhz\n"s, "garbage\x01\xff\n"s}) {
        const OdClkVoltage od = parseOdClkVoltage(text);
        EXPECT_FALSE(od.recognised) << text;
        EXPECT_EQ(od, OdClkVoltage{}) << text;
    }
}

// A text cut at any byte (a short read) gives only values the whole text has, with at most the one
// cut line left unread.
TEST(OdClkVoltage, CutAtEveryByteInventsNothing) {
    for (const auto& sample : families()) {
        for (std::size_t length = 0; length <= sample.text.size(); ++length) {
            const OdClkVoltage part = parseOdClkVoltage(std::string_view(sample.text).substr(0, length));
            ASSERT_EQ(containedIn(part, sample.expected), "") << sample.name << " cut at " << length;
            ASSERT_LE(part.unparsedLines, 1) << sample.name << " cut at " << length;
        }
    }
}

TEST(OdClkVoltage, NulAnywhereInventsNothing) {
    for (const auto& sample : families()) {
        for (std::size_t at = 0; at <= sample.text.size(); ++at) {
            std::string text = sample.text;
            text.insert(at, 1, '\0');
            ASSERT_EQ(containedIn(parseOdClkVoltage(text), sample.expected), "")
                << sample.name << " NUL at " << at;
        }
        EXPECT_EQ(parseOdClkVoltage(sample.text + std::string(300, '\0')), sample.expected) << sample.name;
    }
}

TEST(OdClkVoltage, LineEndsAndSpacingDoNotMatter) {
    for (const auto& sample : families()) {
        SCOPED_TRACE(sample.name);
        EXPECT_EQ(parseOdClkVoltage(replaceAll(sample.text, "\n", "\r\n")), sample.expected);
        EXPECT_EQ(parseOdClkVoltage(replaceAll(sample.text, " ", " \t  ")), sample.expected);
        EXPECT_EQ(parseOdClkVoltage(replaceAll(sample.text, ": ", ":")), sample.expected);
        EXPECT_EQ(parseOdClkVoltage(replaceAll(sample.text, "\n", "\n\n  ")), sample.expected);
    }
}

TEST(OdClkVoltage, UnitsInAnyCase) {
    for (const char* mhz : {"Mhz", "MHz", "mhz", "MHZ"}) {
        for (const char* mv : {"mV", "mv", "MV"}) {
            const std::string text = "OD_SCLK:\n0: 300"s + mhz + " 750" + mv + "\nOD_VDDGFX_OFFSET:\n-5" +
                                     mv + "\nOD_RANGE:\nSCLK: 300" + mhz + " 2000" + mhz + "\n";
            const OdClkVoltage od = parseOdClkVoltage(text);
            EXPECT_EQ(od.sclk, (std::vector<ClockLevel>{{0, 300, 750}})) << text;
            EXPECT_EQ(od.vddgfxOffsetMv, -5) << text;
            EXPECT_EQ(od.ranges.sclk, (Range{300, 2000})) << text;
            EXPECT_EQ(od.unparsedLines, 0) << text;
        }
    }
}

// Each text has one entry that must be left out (and counted); the rest must still be read.
TEST(OdClkVoltage, UnreadableEntryIsLeftOutNotGuessed) {
    struct Case {
        const char* what;
        std::string text;
    };
    const Case cases[] = {
        {"beyond int", "OD_SCLK:\n0: 2147483648Mhz\n1: 2000Mhz\n"},
        {"far beyond int", "OD_SCLK:\n0: 99999999999999999999999999Mhz\n1: 2000Mhz\n"},
        {"below int", "OD_SCLK:\n0: -2147483649Mhz\n1: 2000Mhz\n"},
        {"index beyond int", "OD_SCLK:\n4294967296: 500Mhz\n1: 2000Mhz\n"},
        {"negative index", "OD_SCLK:\n-1: 500Mhz\n1: 2000Mhz\n"},
        {"no unit", "OD_SCLK:\n0: 500\n1: 2000Mhz\n"},
        {"wrong unit", "OD_SCLK:\n0: 500mV\n1: 2000Mhz\n"},
        {"cut unit", "OD_SCLK:\n0: 500Mh\n1: 2000Mhz\n"},
        {"unit without number", "OD_SCLK:\n0: Mhz\n1: 2000Mhz\n"},
        {"decimal point", "OD_SCLK:\n0: 500.5Mhz\n1: 2000Mhz\n"},
        {"hex", "OD_SCLK:\n0: 0x1f4Mhz\n1: 2000Mhz\n"},
        {"too many values", "OD_SCLK:\n0: 500Mhz 800mV 9mV\n1: 2000Mhz\n"},
        {"index only", "OD_SCLK:\n0:\n1: 2000Mhz\n"},
        {"no index", "OD_SCLK:\n500Mhz\n1: 2000Mhz\n"},
        {"repeated index", "OD_SCLK:\n1: 2000Mhz\n1: 2100Mhz\n"},
        {"NUL inside a number",
         "OD_SCLK:\n0: 5\0"s
         "00Mhz\n1: 2000Mhz\n"},
        {"garbage bytes", "OD_SCLK:\n0: \x01\xfe\xff\x80Mhz\n1: 2000Mhz\n"},
    };
    for (const Case& c : cases) {
        const OdClkVoltage od = parseOdClkVoltage(c.text);
        EXPECT_TRUE(od.recognised) << c.what;
        EXPECT_EQ(od.sclk, (std::vector<ClockLevel>{{1, 2000, {}}})) << c.what;
        EXPECT_GE(od.unparsedLines, 1) << c.what;
    }
    const OdClkVoltage edges =
        parseOdClkVoltage("OD_VDDGFX_OFFSET:\n-2147483648mV\nOD_SCLK_OFFSET:\n2147483647Mhz\n");
    EXPECT_EQ(edges.vddgfxOffsetMv, INT_MIN);
    EXPECT_EQ(edges.sclkOffsetMhz, INT_MAX);
}

// A header damaged in the text (here by a NUL) must not hand its section's lines to the section
// before it: Navi1x's curve point 0 is not a memory clock level 0.
TEST(OdClkVoltage, DamagedHeaderEndsTheSectionBeforeIt) {
    for (const std::string& header :
         {"OD_VDDC\0_CURVE:"s, "OD\0_VDDC_CURVE:"s, "OD_VDDC_CURVE\0:"s, "OD_VDDC_CURVE"s}) {
        const OdClkVoltage od = parseOdClkVoltage("OD_MCLK:\n1: 900MHz\n" + header + "\n0: 700MHz 720mV\n");
        EXPECT_EQ(od.mclk, (std::vector<ClockLevel>{{1, 900, {}}})) << header;
        EXPECT_TRUE(od.vddcCurve.empty()) << header;
    }
    const OdClkVoltage range =
        parseOdClkVoltage("OD_RANGE:\nSCLK: 1Mhz 2Mhz\nCCLK_RANGE in Core0\n0: 1400Mhz\n");
    EXPECT_EQ(range.ranges.sclk, (Range{1, 2}));
    EXPECT_TRUE(range.cclk.empty());
}

TEST(OdClkVoltage, UnreadableRangeIsLeftOut) {
    const OdClkVoltage od = parseOdClkVoltage(
        "OD_RANGE:\n"
        "SCLK:\n"                          // cut short: not a section
        "MCLK: 900Mhz 600Mhz\n"            // minimum above maximum
        "VDDC: 800mV\n"                    // one value
        "VDDGFX_OFFSET: -450mv 0Mhz\n"     // wrong unit
        "VDDC_CURVE_SCLK[x]: 1Mhz 2Mhz\n"  // no index
        "VDDC_CURVE_VOLT[0]: 700mV 1100mV\n"
        "VDDC_CURVE_VOLT[0]: 600mV 1000mV\n"  // repeated
        "CCLK: 1400Mhz 3500Mhz\n");
    OdRanges expected;
    expected.curveVolt = {{0, {700, 1100}}};
    expected.cclk = Range{1400, 3500};
    EXPECT_EQ(od.ranges, expected);
    EXPECT_EQ(od.unparsedLines, 6);
}

TEST(OdClkVoltage, UnknownSectionsAndKeysAreSkippedQuietly) {
    const OdClkVoltage od = parseOdClkVoltage(
        "OD_FUTURE:\n0: 100Mhz\nwhatever\n"
        "OD_SCLK:\n0: 500Mhz\n1: 2000Mhz\n"
        "OD_FAN_SOMETHING:\n1: 9999Mhz\n"
        "OD_RANGE:\nSCLK: 500Mhz 3000Mhz\nFUTURE_KEY: 1Mhz 2Mhz\nVDDC_CURVE: -300mv 0mv\n");
    EXPECT_EQ(od.sclk, (std::vector<ClockLevel>{{0, 500, {}}, {1, 2000, {}}}));
    EXPECT_EQ(od.ranges.sclk, (Range{500, 3000}));
    EXPECT_EQ(od.ranges.vddcCurve, (Range{-300, 0}));
    EXPECT_EQ(od.unparsedLines, 0);
}

TEST(OdClkVoltage, CpuClockSectionNamesTheCore) {
    EXPECT_EQ(parseOdClkVoltage("CCLK_RANGE in Core7:\n0: 1400Mhz\n1: 3500Mhz\n").cclkCore, 7);
    const OdClkVoltage plain = parseOdClkVoltage("OD_CCLK:\n0: 1400Mhz\n1: 3500Mhz\n");
    EXPECT_EQ(plain.cclkCore, std::nullopt);
    EXPECT_EQ(plain.cclk, (std::vector<ClockLevel>{{0, 1400, {}}, {1, 3500, {}}}));
    const OdClkVoltage badCore = parseOdClkVoltage("CCLK_RANGE in CoreX:\n0: 1400Mhz\n");
    EXPECT_EQ(badCore.cclkCore, std::nullopt);
    EXPECT_EQ(badCore.cclk.size(), 1u);
    EXPECT_EQ(badCore.unparsedLines, 1);
}

}  // namespace
}  // namespace amdgpu
