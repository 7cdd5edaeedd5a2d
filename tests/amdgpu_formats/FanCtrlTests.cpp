// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "formats/FanCtrl.h"

namespace amdgpu {
namespace {

using namespace std::string_literals;

const std::string kCurve =
    "OD_FAN_CURVE:\n0: 30C 20%\n1: 45C 35%\n2: 60C 50%\n3: 75C 70%\n4: 90C 95%\n"
    "OD_RANGE:\nFAN_CURVE(hotspot temp): 20C 105C\nFAN_CURVE(fan speed): 20% 100%\n";

const std::vector<FanCurvePoint> kPoints = {{0, 30, 20}, {1, 45, 35}, {2, 60, 50}, {3, 75, 70}, {4, 90, 95}};

TEST(FanCurve, ReadsPointsAndRanges) {
    const FanCurve curve = parseFanCurve(kCurve);
    EXPECT_TRUE(curve.recognised);
    EXPECT_EQ(curve.points, kPoints);
    EXPECT_EQ(curve.celsius, (Range{20, 105}));
    EXPECT_EQ(curve.percent, (Range{20, 100}));
    EXPECT_EQ(curve.unparsedLines, 0);
    // Same reading with NUL padding, CRs, other spacing, lower-case units and no final newline.
    std::string odd = kCurve;
    for (std::size_t at = odd.find("\n"); at != std::string::npos; at = odd.find("\n", at + 4))
        odd.replace(at, 1, "\r\n\0"s);
    odd.pop_back();
    odd.pop_back();
    odd.pop_back();
    const FanCurve again = parseFanCurve(odd + std::string(100, '\0'));
    EXPECT_EQ(again, curve);
    EXPECT_EQ(
        parseFanCurve("OD_FAN_CURVE:\n0:30c    20%\nOD_RANGE:\nFAN_CURVE(hotspot   temp):20c 105c\n").points,
        (std::vector<FanCurvePoint>{{0, 30, 20}}));
}

TEST(FanCurve, CutAtEveryByteInventsNothing) {
    const FanCurve whole = parseFanCurve(kCurve);
    for (std::size_t length = 0; length <= kCurve.size(); ++length) {
        const FanCurve part = parseFanCurve(std::string_view(kCurve).substr(0, length));
        for (const FanCurvePoint& p : part.points) ASSERT_EQ(p, *findPoint(whole.points, p.index)) << length;
        if (part.celsius) {
            ASSERT_EQ(part.celsius, whole.celsius) << length;
        }
        if (part.percent) {
            ASSERT_EQ(part.percent, whole.percent) << length;
        }
        ASSERT_LE(part.unparsedLines, 1) << length;
    }
}

TEST(FanCurve, UnreadablePointOrRangeIsLeftOut) {
    const FanCurve curve = parseFanCurve(
        "OD_FAN_CURVE:\n0: 30C 20%\n1: 45 35%\n2: 60C 2147483648%\n3: 75% 70C\n3: 75C 70%\n3: 80C 80%\n4:\n"
        "OD_RANGE:\nFAN_CURVE(hotspot temp): 105C 20C\nFAN_CURVE(fan speed): 20%\nFAN_CURVE(new): 1C 2C\n");
    EXPECT_EQ(curve.points, (std::vector<FanCurvePoint>{{0, 30, 20}, {3, 75, 70}}));
    EXPECT_EQ(curve.celsius, std::nullopt);
    EXPECT_EQ(curve.percent, std::nullopt);
    EXPECT_EQ(curve.unparsedLines, 7);
    EXPECT_FALSE(parseFanCurve("FAN_MINIMUM_PWM:\n35\n").recognised);
    EXPECT_FALSE(parseFanCurve("\n").recognised);
}

TEST(FanSetting, ReadsEverySingleValueFile) {
    struct Case {
        std::string text;
        const char* header;
        int value;
        const char* key;
        Range range;
    };
    const Case cases[] = {
        {"OD_ACOUSTIC_LIMIT:\n2800\nOD_RANGE:\nACOUSTIC_LIMIT: 400 3100\n",
         "OD_ACOUSTIC_LIMIT",
         2800,
         "ACOUSTIC_LIMIT",
         {400, 3100}},
        {"OD_ACOUSTIC_TARGET:\n1100\nOD_RANGE:\nACOUSTIC_TARGET: 400 3100\n",
         "OD_ACOUSTIC_TARGET",
         1100,
         "ACOUSTIC_TARGET",
         {400, 3100}},
        {"FAN_MINIMUM_PWM:\n25\nOD_RANGE:\nMINIMUM_PWM: 20 100\n",
         "FAN_MINIMUM_PWM",
         25,
         "MINIMUM_PWM",
         {20, 100}},
        {"FAN_TARGET_TEMPERATURE:\n85\nOD_RANGE:\nTARGET_TEMPERATURE: 30 108\n",
         "FAN_TARGET_TEMPERATURE",
         85,
         "TARGET_TEMPERATURE",
         {30, 108}},
        {"FAN_ZERO_RPM_ENABLE:\n1\nOD_RANGE:\nZERO_RPM_ENABLE: 0 1\n",
         "FAN_ZERO_RPM_ENABLE",
         1,
         "ZERO_RPM_ENABLE",
         {0, 1}},
        {"FAN_ZERO_RPM_STOP_TEMPERATURE:\n55\nOD_RANGE:\nZERO_RPM_STOP_TEMPERATURE: 30 95\n",
         "FAN_ZERO_RPM_STOP_TEMPERATURE",
         55,
         "ZERO_RPM_STOP_TEMPERATURE",
         {30, 95}},
        {"\0\0FAN_MINIMUM_PWM:\r\n  25 \r\n\0\0OD_RANGE:\r\nMINIMUM_PWM:20\t100\r\n\0\0"s,
         "FAN_MINIMUM_PWM",
         25,
         "MINIMUM_PWM",
         {20, 100}},
    };
    for (const Case& c : cases) {
        const FanSetting s = parseFanSetting(c.text);
        EXPECT_TRUE(s.recognised) << c.header;
        EXPECT_EQ(s.header, c.header);
        EXPECT_EQ(s.value, c.value) << c.header;
        EXPECT_EQ(s.rangeKey, c.key);
        EXPECT_EQ(s.range, c.range) << c.header;
        EXPECT_EQ(s.unparsedLines, 0) << c.header;
    }
}

// A unit-less number cut short looks whole ("30" of "3000"), so a last line without its newline is
// not read; any cut therefore gives values the whole text has, or nothing.
TEST(FanSetting, CutAtEveryByteInventsNothing) {
    const std::string text = "OD_ACOUSTIC_LIMIT:\n3100\nOD_RANGE:\nACOUSTIC_LIMIT: 500 3300\n";
    for (std::size_t length = 0; length <= text.size(); ++length) {
        const FanSetting part = parseFanSetting(std::string_view(text).substr(0, length));
        if (part.value) {
            ASSERT_EQ(*part.value, 3100) << length;
        }
        if (part.range) {
            ASSERT_EQ(*part.range, (Range{500, 3300})) << length;
        }
    }
    EXPECT_EQ(parseFanSetting("FAN_ZERO_RPM_ENABLE:\n1").value, std::nullopt);
}

TEST(FanCtrl, NulAnywhereInventsNothing) {
    const FanCurve curve = parseFanCurve(kCurve);
    const std::string settingText =
        "FAN_ZERO_RPM_STOP_TEMPERATURE:\n55\nOD_RANGE:\nZERO_RPM_STOP_TEMPERATURE: 0 100\n";
    const FanSetting setting = parseFanSetting(settingText);
    for (std::size_t at = 0; at <= kCurve.size(); ++at) {
        std::string text = kCurve;
        text.insert(at, 1, '\0');
        const FanCurve part = parseFanCurve(text);
        for (const FanCurvePoint& p : part.points) ASSERT_EQ(p, *findPoint(curve.points, p.index)) << at;
        ASSERT_TRUE(!part.celsius || part.celsius == curve.celsius) << at;
        ASSERT_TRUE(!part.percent || part.percent == curve.percent) << at;
    }
    for (std::size_t at = 0; at <= settingText.size(); ++at) {
        std::string text = settingText;
        text.insert(at, 1, '\0');
        const FanSetting part = parseFanSetting(text);
        ASSERT_TRUE(!part.value || part.value == setting.value) << at;
        ASSERT_TRUE(!part.range || part.range == setting.range) << at;
    }
}

TEST(FanSetting, UnreadableValueIsLeftOut) {
    for (const std::string& text : {"OD_ACOUSTIC_LIMIT:\n3000rpm\nOD_RANGE:\nACOUSTIC_LIMIT: 500 3300\n"s,
                                    "OD_ACOUSTIC_LIMIT:\n99999999999\nOD_RANGE:\nACOUSTIC_LIMIT: 500 3300\n"s,
                                    "OD_ACOUSTIC_LIMIT:\n30 00\nOD_RANGE:\nACOUSTIC_LIMIT: 500 3300\n"s,
                                    "OD_ACOUSTIC_LIMIT:\n\nOD_RANGE:\nACOUSTIC_LIMIT: 500 3300\n"s,
                                    "OD_ACOUSTIC_LIMIT:\n30\0"s
                                    "00\nOD_RANGE:\nACOUSTIC_LIMIT: 500 3300\n"}) {
        const FanSetting s = parseFanSetting(text);
        EXPECT_EQ(s.value, std::nullopt) << text;
        EXPECT_EQ(s.range, (Range{500, 3300})) << text;
    }
    const FanSetting twoRanges =
        parseFanSetting("FAN_MINIMUM_PWM:\n35\nOD_RANGE:\nMINIMUM_PWM: 0 10\n0\n");  // "0 100" cut by a NUL
    EXPECT_EQ(twoRanges.range, std::nullopt);
    EXPECT_EQ(twoRanges.rangeKey, "");
    const FanSetting badRange = parseFanSetting("FAN_MINIMUM_PWM:\n35\nOD_RANGE:\nMINIMUM_PWM: 100 35\n");
    EXPECT_EQ(badRange.value, 35);
    EXPECT_EQ(badRange.range, std::nullopt);
    EXPECT_EQ(badRange.rangeKey, "");
    EXPECT_EQ(badRange.unparsedLines, 1);
    EXPECT_FALSE(parseFanSetting("\n").recognised);
    EXPECT_FALSE(parseFanSetting("35\n").recognised);
}

}  // namespace
}  // namespace amdgpu
