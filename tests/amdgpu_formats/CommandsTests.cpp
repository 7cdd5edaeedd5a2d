// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <cstdint>
#include <string>

#include "formats/Commands.h"

namespace amdgpu {
namespace {

TEST(Commands, ExactBytes) {
    struct Case {
        std::string command;
        const char* expected;
    };
    const Case cases[] = {
        {sclkLevelWithVoltageCommand(7, 1366, 1150), "s 7 1366 1150\n"},
        {mclkLevelWithVoltageCommand(2, 1750, 975), "m 2 1750 975\n"},
        {sclkLevelCommand(0, 500), "s 0 500\n"},
        {sclkLevelCommand(1, 2499), "s 1 2499\n"},
        {mclkLevelCommand(1, 875), "m 1 875\n"},
        {voltageCurvePointCommand(2, 1900, 1100), "vc 2 1900 1100\n"},
        {voltageCurveOffsetCommand(5, -20), "vc 5 -20\n"},
        {voltageOffsetCommand(-50), "vo -50\n"},
        {voltageOffsetCommand(0), "vo 0\n"},
        {sclkOffsetCommand(-500), "s -500\n"},
        {sclkOffsetCommand(1000), "s 1000\n"},
        {cclkLevelCommand(3, 1, 3500), "p 3 1 3500\n"},
        {commitCommand(), "c\n"},
        {resetCommand(), "r\n"},
        {fanCurvePointCommand(4, 90, 100), "4 90 100\n"},
        {fanSettingCommand(3000), "3000\n"},
        {fanSettingCommand(0), "0\n"},
        {powerCapCommand(289000000), "289000000\n"},
        {powerCapCommand(UINT32_MAX), "4294967295\n"},
        // Octal traps: the kernel reads "08" as a bad octal number and "010" as 8.
        {sclkLevelCommand(0, 8), "s 0 8\n"},
        {fanCurvePointCommand(0, 8, 9), "0 8 9\n"},
        {voltageOffsetCommand(-8), "vo -8\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.command, c.expected);
}

// Whatever the numbers, a command is one line the kernel takes: 1 to 127 bytes, no leading blank,
// one newline at the end, and no number with a leading zero.
TEST(Commands, EveryCommandFitsTheKernelsParser) {
    for (const int v : {INT_MIN, -1, 0, 7, 10, INT_MAX}) {
        for (const std::string& command :
             {sclkLevelWithVoltageCommand(v, v, v), mclkLevelWithVoltageCommand(v, v, v),
              sclkLevelCommand(v, v), mclkLevelCommand(v, v), voltageCurvePointCommand(v, v, v),
              voltageCurveOffsetCommand(v, v), voltageOffsetCommand(v), sclkOffsetCommand(v),
              cclkLevelCommand(v, v, v), fanCurvePointCommand(v, v, v), fanSettingCommand(v),
              powerCapCommand(static_cast<std::uint32_t>(v))}) {
            ASSERT_GE(command.size(), 2u);
            ASSERT_LE(command.size(), 127u) << command;
            EXPECT_NE(command.front(), ' ') << command;
            EXPECT_EQ(command.find('\n'), command.size() - 1) << command;
            for (std::size_t i = 0; i + 1 < command.size(); ++i) {
                const bool startsNumber = i == 0 || command[i - 1] == ' ' || command[i - 1] == '-';
                if (startsNumber && command[i] == '0') {
                    EXPECT_FALSE(std::isdigit(command[i + 1])) << command;
                }
            }
        }
    }
}

}  // namespace
}  // namespace amdgpu
