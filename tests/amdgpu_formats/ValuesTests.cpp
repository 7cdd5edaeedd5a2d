// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "formats/Values.h"

namespace amdgpu {
namespace {

using namespace std::string_literals;

TEST(DecimalFile, ReadsOneNumberOrSaysWhyNot) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    struct Case {
        std::string text;
        NumberStatus status;
        std::int64_t value;
    };
    const Case cases[] = {
        {"289000000\n", NumberStatus::Ok, 289000000},
        {"289000000\n" + std::string(4086, '\0'), NumberStatus::Ok, 289000000},
        {"4294967296000", NumberStatus::Ok, 4294967296000},  // microwatts beyond int and uint32
        {"  -5000\r\n", NumberStatus::Ok, -5000},
        {"+7\n", NumberStatus::Ok, 7},
        {"0\n", NumberStatus::Ok, 0},
        {"9223372036854775807\n", NumberStatus::Ok, kMax},
        {"-9223372036854775808\n", NumberStatus::Ok, kMin},
        {"9223372036854775808\n", NumberStatus::OutOfRange, 0},
        {"-9223372036854775809\n", NumberStatus::OutOfRange, 0},
        {"123456789012345678901234567890\n", NumberStatus::OutOfRange, 0},
        {"", NumberStatus::Empty, 0},
        {"\n", NumberStatus::Empty, 0},
        {std::string(4096, '\0'), NumberStatus::Empty, 0},
        {"-\n", NumberStatus::Malformed, 0},
        {"12a\n", NumberStatus::Malformed, 0},
        {"1 2\n", NumberStatus::Malformed, 0},
        {"1\0"s
         "2\n",
         NumberStatus::Malformed, 0},
        {"0x10\n", NumberStatus::Malformed, 0},
        {"1.5\n", NumberStatus::Malformed, 0},
    };
    for (const Case& c : cases) {
        const Int64Value v = parseDecimalFile(c.text);
        EXPECT_EQ(v.status, c.status) << c.text;
        if (c.status == NumberStatus::Ok) {
            EXPECT_EQ(v.value, c.value) << c.text;
        }
        EXPECT_EQ(v.ok(), c.status == NumberStatus::Ok);
    }
}

TEST(DecimalFile, BootVgaAndFanMode) {
    EXPECT_EQ(parseBootVga("1\n"), true);
    EXPECT_EQ(parseBootVga("0\n" + std::string(10, '\0')), false);
    for (const char* bad : {"", "2\n", "yes\n", "-1\n"}) EXPECT_EQ(parseBootVga(bad), std::nullopt) << bad;

    EXPECT_EQ(parsePwmEnable("0\n"), PwmMode::None);
    EXPECT_EQ(parsePwmEnable("1\n"), PwmMode::Manual);
    EXPECT_EQ(parsePwmEnable("2"), PwmMode::Automatic);
    for (const char* bad : {"", "3\n", "-1\n", "auto\n"}) EXPECT_EQ(parsePwmEnable(bad), std::nullopt) << bad;
}

TEST(FeatureMask, ReadsTheKernelsHexAndTheCommandLinesDecimal) {
    const struct {
        const char* text;
        std::optional<unsigned long> mask;
    } cases[] = {
        {"0xfff7bfff\n", 0xfff7bffful},
        {"0XFFFFFFFF", 0xfffffffful},
        {" \t4294967295\n", 4294967295ul},
        {"0777\n", 777ul},  // no octal: a leading zero stays decimal
        {"0x4000\0\0", 0x4000ul},
        {"0xffffffffffffffff\n", 0xfffffffffffffffful},
        {"0x10000000000000000\n", std::nullopt},
        {"18446744073709551616\n", std::nullopt},
        {"", std::nullopt},
        {"0x\n", std::nullopt},
        {"-1\n", std::nullopt},
        {"+1\n", std::nullopt},
        {"0x-1\n", std::nullopt},
        {"on\n", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parseFeatureMask(c.text), c.mask) << c.text;
}

}  // namespace
}  // namespace amdgpu
