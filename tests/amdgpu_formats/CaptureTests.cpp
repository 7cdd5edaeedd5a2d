// SPDX-License-Identifier: GPL-3.0-or-later
// The readers over the real-card captures in ../shared/fixtures/amdgpu (outside the repository).
// Every value expected here is what the capture shows; a folder that is absent skips the tests.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "Render.h"
#include "Samples.h"
#include "formats/FanCtrl.h"
#include "formats/Identity.h"
#include "formats/OdClkVoltage.h"
#include "formats/Values.h"

namespace amdgpu {

void PrintTo(const OdClkVoltage& od, std::ostream* os);

namespace {

namespace fs = std::filesystem;

const fs::path kCaptures = AMDGPU_CAPTURES_DIR;

#define SKIP_WITHOUT_CAPTURES()                                       \
    if (!fs::is_directory(kCaptures))                                 \
    GTEST_SKIP() << "the real-card captures are not at " << kCaptures \
                 << " (they live beside the project, in ../shared/fixtures/amdgpu)"

std::optional<std::string> readFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

std::string mustRead(const std::string& relative) {
    const std::optional<std::string> text = readFile(kCaptures / relative);
    if (!text) ADD_FAILURE() << "missing capture file " << relative;
    return text.value_or("");
}

std::vector<ClockLevel> levels(std::initializer_list<ClockLevel> l) { return l; }

OdClkVoltage twoLevels(Range sclkLevels, std::optional<Range> mclkLevels, std::optional<int> vddgfx) {
    OdClkVoltage od;
    od.recognised = true;
    od.sclk = levels({{0, sclkLevels.min, {}}, {1, sclkLevels.max, {}}});
    if (mclkLevels) od.mclk = levels({{0, mclkLevels->min, {}}, {1, mclkLevels->max, {}}});
    od.vddgfxOffsetMv = vddgfx;
    return od;
}

std::vector<std::pair<std::string, OdClkVoltage>> expectedOd() {
    std::vector<std::pair<std::string, OdClkVoltage>> all;

    OdClkVoltage rx580;
    rx580.recognised = true;
    rx580.sclk = levels({{0, 300, 750},
                         {1, 600, 769},
                         {2, 900, 912},
                         {3, 1145, 1125},
                         {4, 1215, 1150},
                         {5, 1257, 1150},
                         {6, 1300, 1150},
                         {7, 1366, 1150}});
    rx580.mclk = levels({{0, 300, 750}, {1, 1000, 825}, {2, 1750, 975}});
    rx580.ranges.sclk = Range{300, 2000};
    rx580.ranges.mclk = Range{300, 2250};
    rx580.ranges.vddc = Range{750, 1200};
    all.emplace_back("rx580", rx580);

    const auto navi1x = [](int s0, int s1, std::vector<CurvePoint> curve, Range sclk, Range mclk,
                           Range volt) {
        OdClkVoltage od;
        od.recognised = true;
        od.sclk = levels({{0, s0, {}}, {1, s1, {}}});
        od.mclk = levels({{1, 875, {}}});
        od.vddcCurve = std::move(curve);
        od.ranges.sclk = sclk;
        od.ranges.mclk = mclk;
        for (int i = 0; i < 3; ++i) {
            od.ranges.curveSclk.push_back({i, sclk});
            od.ranges.curveVolt.push_back({i, volt});
        }
        return od;
    };
    all.emplace_back("rx5700xt", navi1x(1351, 1900, {{0, 1351, 750}, {1, 1424, 805}, {2, 1900, 1100}},
                                        {800, 2150}, {625, 950}, {750, 1200}));
    all.emplace_back("rx5500xt", navi1x(500, 1900, {{0, 500, 736}, {1, 1200, 779}, {2, 1900, 1102}},
                                        {800, 2200}, {625, 930}, {700, 1150}));

    OdClkVoltage rx6900xt = twoLevels({500, 2499}, Range{97, 1000}, 0);
    rx6900xt.ranges.sclk = Range{500, 3000};
    rx6900xt.ranges.mclk = Range{674, 1075};
    all.emplace_back("rx6900xt", rx6900xt);

    OdClkVoltage rx6800 = twoLevels({500, 2314}, Range{97, 1000}, 0);
    rx6800.ranges.sclk = Range{500, 2600};
    rx6800.ranges.mclk = Range{674, 1075};
    all.emplace_back("rx6800", rx6800);

    OdClkVoltage rx6600 = twoLevels({2600, 2700}, Range{97, 925}, -100);
    rx6600.ranges.sclk = Range{500, 2900};
    rx6600.ranges.mclk = Range{674, 950};
    all.emplace_back("rx6600", rx6600);

    OdClkVoltage rx7800xt = twoLevels({500, 2660}, Range{97, 1300}, -100);
    rx7800xt.ranges.sclk = Range{500, 5000};
    rx7800xt.ranges.mclk = Range{97, 1500};
    rx7800xt.ranges.vddgfxOffset = Range{-450, 0};
    all.emplace_back("rx7800xt", rx7800xt);

    OdClkVoltage rx7900xtx = twoLevels({500, 2735}, Range{97, 1250}, 0);
    rx7900xtx.ranges.sclk = Range{500, 5000};
    rx7900xtx.ranges.mclk = Range{97, 1500};
    rx7900xtx.ranges.vddgfxOffset = Range{-450, 0};
    all.emplace_back("rx7900xtx", rx7900xtx);

    OdClkVoltage rx9070xt;
    rx9070xt.recognised = true;
    rx9070xt.sclkOffsetMhz = 0;
    rx9070xt.mclk = levels({{0, 97, {}}, {1, 1259, {}}});
    rx9070xt.vddgfxOffsetMv = -50;
    rx9070xt.ranges.sclkOffset = Range{-500, 1000};
    rx9070xt.ranges.mclk = Range{97, 1500};
    rx9070xt.ranges.vddgfxOffset = Range{-200, 0};
    all.emplace_back("rx9070xt", rx9070xt);

    OdClkVoltage phoenix = twoLevels({800, 2700}, std::nullopt, std::nullopt);
    phoenix.ranges.sclk = Range{800, 2700};
    all.emplace_back("phoenix", phoenix);

    all.emplace_back("vangogh", OdClkVoltage{});

    OdClkVoltage vangoghOd = twoLevels({1600, 1600}, std::nullopt, std::nullopt);
    vangoghOd.ranges.sclk = Range{200, 1600};
    vangoghOd.ranges.cclk = Range{1400, 3500};
    vangoghOd.cclkCore = 0;
    vangoghOd.cclk = levels({{0, 1400, {}}, {1, 3500, {}}});
    all.emplace_back("vangogh-od", vangoghOd);
    return all;
}

TEST(Captures, EveryOdClkVoltageReadsAsTheCardPrintedIt) {
    SKIP_WITHOUT_CAPTURES();
    for (const auto& [card, expected] : expectedOd()) {
        SCOPED_TRACE(card);
        const std::string text = mustRead(card + "/device/pp_od_clk_voltage");
        const OdClkVoltage od = parseOdClkVoltage(text);
        EXPECT_EQ(od, expected);
        // Every shorter read of the same file gives nothing the whole does not have.
        for (std::size_t length = 0; length < text.size(); ++length) {
            const OdClkVoltage part = parseOdClkVoltage(std::string_view(text).substr(0, length));
            ASSERT_EQ(samples::containedIn(part, od), "") << "cut at " << length;
        }
    }
}

struct SettingExpectation {
    const char* file;
    const char* header;
    int value;
    Range range;
};

TEST(Captures, FanControlFilesRead) {
    SKIP_WITHOUT_CAPTURES();
    struct Card {
        const char* name;
        Range curvePercent;
        std::vector<SettingExpectation> settings;
    };
    const Card cards[] = {
        {"rx7800xt",
         {35, 100},
         {{"acoustic_limit_rpm_threshold", "OD_ACOUSTIC_LIMIT", 3000, {500, 3300}},
          {"acoustic_target_rpm_threshold", "OD_ACOUSTIC_TARGET", 1200, {500, 3300}},
          {"fan_minimum_pwm", "FAN_MINIMUM_PWM", 35, {35, 100}},
          {"fan_target_temperature", "FAN_TARGET_TEMPERATURE", 81, {25, 110}},
          {"fan_zero_rpm_enable", "FAN_ZERO_RPM_ENABLE", 1, {0, 1}},
          {"fan_zero_rpm_stop_temperature", "FAN_ZERO_RPM_STOP_TEMPERATURE", 50, {25, 100}}}},
        {"rx7900xtx",
         {15, 100},
         {{"acoustic_limit_rpm_threshold", "OD_ACOUSTIC_LIMIT", 3200, {500, 3200}},
          {"acoustic_target_rpm_threshold", "OD_ACOUSTIC_TARGET", 1450, {500, 3200}},
          {"fan_minimum_pwm", "FAN_MINIMUM_PWM", 15, {15, 100}},
          {"fan_target_temperature", "FAN_TARGET_TEMPERATURE", 83, {25, 105}}}},
        {"rx9070xt",
         {30, 100},
         {{"acoustic_limit_rpm_threshold", "OD_ACOUSTIC_LIMIT", 3300, {500, 3650}},
          {"acoustic_target_rpm_threshold", "OD_ACOUSTIC_TARGET", 1000, {500, 3650}},
          {"fan_minimum_pwm", "FAN_MINIMUM_PWM", 30, {30, 100}},
          {"fan_target_temperature", "FAN_TARGET_TEMPERATURE", 92, {25, 105}},
          {"fan_zero_rpm_enable", "FAN_ZERO_RPM_ENABLE", 0, {0, 1}},
          {"fan_zero_rpm_stop_temperature", "FAN_ZERO_RPM_STOP_TEMPERATURE", 67, {50, 110}}}},
    };
    for (const Card& card : cards) {
        SCOPED_TRACE(card.name);
        const std::string dir = std::string(card.name) + "/device/gpu_od/fan_ctrl/";
        const FanCurve curve = parseFanCurve(mustRead(dir + "fan_curve"));
        EXPECT_TRUE(curve.recognised);
        EXPECT_EQ(curve.points,
                  (std::vector<FanCurvePoint>{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}}));
        EXPECT_EQ(curve.celsius, (Range{25, 100}));
        EXPECT_EQ(curve.percent, card.curvePercent);
        EXPECT_EQ(curve.unparsedLines, 0);
        for (const SettingExpectation& e : card.settings) {
            const FanSetting s = parseFanSetting(mustRead(dir + e.file));
            EXPECT_EQ(s.header, e.header) << e.file;
            EXPECT_EQ(s.value, e.value) << e.file;
            EXPECT_EQ(s.range, e.range) << e.file;
            EXPECT_EQ(s.unparsedLines, 0) << e.file;
        }
    }
    // The Navi31 capture predates the zero-RPM files.
    EXPECT_FALSE(fs::exists(kCaptures / "rx7900xtx/device/gpu_od/fan_ctrl/fan_zero_rpm_enable"));
}

TEST(Captures, PowerCapsAndFanModesRead) {
    SKIP_WITHOUT_CAPTURES();
    struct Card {
        const char* hwmon;
        std::int64_t cap, capDefault, capMin, capMax;
        std::optional<PwmMode> pwmMode;
    };
    constexpr std::int64_t W = 1000000;
    const Card cards[] = {
        {"rx580/device/hwmon/hwmon4", 155 * W, 155 * W, 0, 201 * W, PwmMode::Manual},
        {"rx5700xt/device/hwmon/hwmon1", 220 * W, 220 * W, 110 * W, 330 * W, PwmMode::Automatic},
        {"rx5500xt/device/hwmon/hwmon3", 130 * W, 130 * W, 65 * W, 156 * W, PwmMode::Automatic},
        {"rx6600/device/hwmon/hwmon4", 120 * W, 100 * W, 94 * W, 120 * W, PwmMode::Automatic},
        {"rx6900xt/device/hwmon/hwmon5", 289 * W, 289 * W, 0, 332 * W, PwmMode::Automatic},  // NUL-padded
        {"rx7800xt/device/hwmon/hwmon4", 236 * W, 236 * W, 212 * W, 280 * W, PwmMode::Automatic},
        {"rx7900xtx/device/hwmon/hwmon8", 290 * W, 290 * W, 261 * W, 333 * W, PwmMode::Automatic},
        {"rx9070xt/device/hwmon/hwmon5", 120 * W, 304 * W, 0, 340 * W, std::nullopt},
        {"vangogh/device/hwmon/hwmon4", 15 * W, 15 * W, 0, 29 * W, std::nullopt},
    };
    for (const Card& card : cards) {
        SCOPED_TRACE(card.hwmon);
        const std::string dir = std::string(card.hwmon) + "/";
        EXPECT_EQ(parseDecimalFile(mustRead(dir + "power1_cap")).value, card.cap);
        EXPECT_EQ(parseDecimalFile(mustRead(dir + "power1_cap_default")).value, card.capDefault);
        EXPECT_EQ(parseDecimalFile(mustRead(dir + "power1_cap_min")).value, card.capMin);
        EXPECT_EQ(parseDecimalFile(mustRead(dir + "power1_cap_max")).value, card.capMax);
        EXPECT_TRUE(parseDecimalFile(mustRead(dir + "power1_cap")).ok());
        const std::optional<std::string> pwm = readFile(kCaptures / (dir + "pwm1_enable"));
        EXPECT_EQ(pwm ? parsePwmEnable(*pwm) : std::nullopt, card.pwmMode);
    }
}

TEST(Captures, IdentityFilesGiveThePnpString) {
    SKIP_WITHOUT_CAPTURES();
    struct Card {
        const char* name;
        bool hasIdFiles;  // many captures hold only uevent
        const char* pnp;
    };
    const Card cards[] = {
        {"rx580", true, R"(PCI\VEN_1002&DEV_67DF&SUBSYS_E3871DA2&REV_E7)"},
        {"rx6900xt", true, R"(PCI\VEN_1002&DEV_73BF&SUBSYS_440E1DA2&REV_C0)"},
        {"phoenix", true, R"(PCI\VEN_1002&DEV_15BF&SUBSYS_50DA17AA&REV_DD)"},
        {"rx5700xt", false, R"(PCI\VEN_1002&DEV_731F&SUBSYS_E4091DA2)"},
        {"rx5500xt", false, R"(PCI\VEN_1002&DEV_7340&SUBSYS_38201462)"},
        {"rx6600", false, R"(PCI\VEN_1002&DEV_73FF&SUBSYS_23341458)"},
        {"rx7800xt", false, R"(PCI\VEN_1002&DEV_747E&SUBSYS_2427148C)"},
        {"rx7900xtx", false, R"(PCI\VEN_1002&DEV_744C&SUBSYS_E4711DA2)"},
        {"rx9070xt", false, R"(PCI\VEN_1002&DEV_7550&SUBSYS_2435148C)"},
        {"vangogh", false, R"(PCI\VEN_1002&DEV_163F&SUBSYS_01231002)"},
    };
    for (const Card& card : cards) {
        SCOPED_TRACE(card.name);
        const std::string dir = std::string(card.name) + "/device/";
        const auto uevent = parseUevent(mustRead(dir + "uevent"));
        ASSERT_EQ(uevent.count("DRIVER"), 1u);
        EXPECT_EQ(uevent.at("DRIVER"), "amdgpu");
        const std::optional<PciIdPair> pciId = parsePciIdPair(uevent.at("PCI_ID"));
        const std::optional<PciIdPair> subsystem = parsePciIdPair(uevent.at("PCI_SUBSYS_ID"));
        ASSERT_TRUE(pciId && subsystem);
        PciIdentity id{pciId->vendor, pciId->device, subsystem, std::nullopt};
        if (card.hasIdFiles) {
            const std::optional<std::string> device = readFile(kCaptures / (dir + "device"));
            if (device) {
                EXPECT_EQ(parseHexId(*device), pciId->device);  // rx6900xt has no device file
            }
            EXPECT_EQ(parseHexId(mustRead(dir + "vendor")), pciId->vendor);
            EXPECT_EQ(parseHexId(mustRead(dir + "subsystem_vendor")), subsystem->vendor);
            EXPECT_EQ(parseHexId(mustRead(dir + "subsystem_device")), subsystem->device);
            const std::optional<std::uint16_t> revision = parseHexId(mustRead(dir + "revision"));
            ASSERT_TRUE(revision && *revision <= 0xFF);
            id.revision = static_cast<std::uint8_t>(*revision);
            EXPECT_EQ(parseBootVga(mustRead(dir + "boot_vga")), true);
        }
        EXPECT_EQ(pnpString(id), card.pnp);
    }
}

}  // namespace
}  // namespace amdgpu
