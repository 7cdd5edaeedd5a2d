// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "formats/Sensors.h"

namespace amdgpu {
namespace {

using namespace std::string_literals;

TEST(RuntimeStatus, EveryStateThePowerCoreNamesAndNothingElse) {
    EXPECT_EQ(parseRuntimeStatus("suspended\n"), RuntimeStatus::Suspended);
    EXPECT_EQ(parseRuntimeStatus("active\n" + std::string(20, '\0')), RuntimeStatus::Active);
    EXPECT_EQ(parseRuntimeStatus("unsupported"), RuntimeStatus::Unsupported);
    for (const std::string& text :
         {""s, "\n"s, "Suspended\n"s, "suspended active\n"s, "active\nsuspended\n"s, "sleep\n"s})
        EXPECT_EQ(parseRuntimeStatus(text), std::nullopt) << text;
    // On its way to sleep is asleep too: a read now would wake it again.
    EXPECT_TRUE(isAsleep(RuntimeStatus::Suspended));
    EXPECT_TRUE(isAsleep(RuntimeStatus::Suspending));
    for (RuntimeStatus awake :
         {RuntimeStatus::Active, RuntimeStatus::Resuming, RuntimeStatus::Error, RuntimeStatus::Unsupported})
        EXPECT_FALSE(isAsleep(awake));
}

TEST(ActiveDpmClock, TheMarkedLevelOrNothing) {
    const struct {
        std::string text;
        std::optional<int> mhz;
    } cases[] = {
        {"0: 300Mhz \n1: 600Mhz \n2: 900Mhz *\n3: 1145Mhz \n", 900},  // Polaris, a blank after each
        {"0: 500Mhz\n1: 31Mhz *\n2: 2219Mhz\n", 31},                  // Navi 3x, the deep-sleep clock
        {"S: 19Mhz *\n0: 500Mhz\n1: 2400Mhz\n", 19},
        {"0: 400Mhz \n1: 600Mhz \n2: 687Mhz *\n3: 687Mhz *\n", 687},  // Van Gogh marks two of one clock
        {"0: 96MHz\n1: 1249MHZ *\n" + std::string(30, '\0'), 1249},
        {"0: 400Mhz *\n1: 800Mhz *\n", std::nullopt},  // two clocks at once: no answer
        {"0: 500Mhz\n1: 800Mhz\n", std::nullopt},      // none marked
        {"", std::nullopt},
        {"0: 500Mhz *\nOD_SCLK:\n", std::nullopt},
        {"0: 500 *\n", std::nullopt},
        {"0: 500Mhz 600Mhz *\n", std::nullopt},
        {"0: -500Mhz *\n", std::nullopt},
        {"-1: 500Mhz *\n", std::nullopt},
        {"0: 99999999999Mhz *\n", std::nullopt},
        {"0: 2.5GT/s, x16 *\n", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parseActiveDpmClock(c.text), c.mhz) << c.text;
}

TEST(SensorValues, ConvertedToTheContractsUnitsOrRefused) {
    EXPECT_EQ(celsiusFromMillidegrees("44000\n"), 44.0);
    EXPECT_EQ(celsiusFromMillidegrees("45125\n"), 45.125);
    EXPECT_EQ(celsiusFromMillidegrees("-5000\n"), -5.0);
    EXPECT_EQ(wattsFromMicrowatts("41045000\n"), 41.045);
    EXPECT_EQ(wattsFromMicrowatts("4294967296000\n"), 4294967.296);  // beyond 32 bits
    EXPECT_EQ(mhzFromHz("798080000\n"), 798.08);
    EXPECT_EQ(mibFromBytes("536870912\n"), 512.0);
    EXPECT_EQ(mibFromBytes("17163091968\n" + std::string(4084, '\0')), 17163091968 / 1048576.0);
    EXPECT_EQ(percentFromPwm("255\n"), 100.0);
    EXPECT_EQ(percentFromPwm("35\n"), 35 * 100.0 / 255);
    EXPECT_EQ(parseRpm("595\n"), 595);
    EXPECT_EQ(parseBusyPercent("100\n"), 100);

    // Garbage is never a number, nor is a value the quantity cannot have.
    for (const std::string& text : {""s, "\n"s, "abc\n"s, "12 34\n"s, "1e3\n"s, "12.5\n"s}) {
        EXPECT_EQ(celsiusFromMillidegrees(text), std::nullopt) << text;
        EXPECT_EQ(wattsFromMicrowatts(text), std::nullopt) << text;
        EXPECT_EQ(parseRpm(text), std::nullopt) << text;
    }
    EXPECT_EQ(wattsFromMicrowatts("-1000000\n"), std::nullopt);
    EXPECT_EQ(mhzFromHz("-1\n"), std::nullopt);
    EXPECT_EQ(mibFromBytes("-1\n"), std::nullopt);
    EXPECT_EQ(percentFromPwm("256\n"), std::nullopt);
    EXPECT_EQ(percentFromPwm("-1\n"), std::nullopt);
    EXPECT_EQ(parseRpm("-1\n"), std::nullopt);
    EXPECT_EQ(parseRpm("4294967296\n"), std::nullopt);
    EXPECT_EQ(parseBusyPercent("101\n"), std::nullopt);
}

}  // namespace
}  // namespace amdgpu
