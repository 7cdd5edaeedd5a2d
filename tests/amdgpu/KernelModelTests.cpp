// SPDX-License-Identifier: GPL-3.0-or-later
// The kernel model answers like the amdgpu driver of each family, so a runtime test that reads back
// after a write means something.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>

#include "KernelModel.h"

using kernelmodel::Family;
using kernelmodel::kENOTSUPP;
using kernelmodel::KernelModel;

namespace {

const std::filesystem::path kFixtures = TACHYON_AMDGPU_FIXTURES;
const std::filesystem::path kCaptures = TACHYON_AMDGPU_CAPTURES;

std::unique_ptr<KernelModel> Load(const std::filesystem::path& tree) {
    std::string error;
    auto model = KernelModel::FromTrees({tree}, &error);
    EXPECT_NE(model, nullptr) << error;
    return model;
}

// "od", "fan:<file>", "hwmon:<file>" or a path relative to the device folder.
std::string PathOf(const KernelModel& model, const std::string& file) {
    if (file == "od") return KernelModel::DevicePath(0, "pp_od_clk_voltage");
    if (file.rfind("fan:", 0) == 0) return KernelModel::DevicePath(0, "gpu_od/fan_ctrl/" + file.substr(4));
    if (file.rfind("hwmon:", 0) == 0) return model.HwmonPath(0, file.substr(6));
    return KernelModel::DevicePath(0, file);
}

// A write of `command` to `file`, or one of the model's switches: "@read" (a read of `file` that
// answers `error`), "@sleep" (a 6.13 kernel), "@sleep618" (a 6.18 one), "@reset" (the card),
// "@wake" (the runtime's render-node query).
struct Step {
    std::string file;
    std::string command;
    int error;
    std::string shows;  // a line the file then holds (empty: not checked; a refused write must
                        // then leave the file as it was)
};

struct Case {
    std::string name;
    std::string fixture;
    Family family;
    std::vector<Step> steps;
    std::function<void(KernelModel&)> setup = {};
};

const std::vector<Case> kCases = {
    {"PolarisLevels",
     "polaris",
     Family::Polaris,
     {{"od", "s 7 1350 1150\n", 0, "7:       1350MHz       1150mV"},
      {"od", "m 2 1800 950\n", 0, "2:       1800MHz        950mV"},
      {"od", "s 7 2100 1100\n", EINVAL, ""},
      {"od", "s 7 1350 1200\n", EINVAL, ""},
      {"od", "s 9 1350 1100\n", EINVAL, ""},  // an unknown level
      {"od", "vo -10\n", EINVAL, ""},          // not a Polaris command: EINVAL, never 524
      {"od", "s 0 310\n", EINVAL, ""},         // a short triple
      {"od", "s 0 310 750 1 600\n", EINVAL, ""},
      {"od", "c\n", 0, "7:       1350MHz       1150mV"},
      {"hwmon:power1_cap", "140000000\n", 0, "140000000"},
      {"hwmon:power1_cap", "0\n", 0, "125000000"}}},  // 0 is the default cap on Polaris
    {"Navi1xClocksAndCurve",
     "navi1x",
     Family::Navi1x,
     {{"od", "s 1 1800\n", 0, "1: 1800Mhz"},
      {"od", "s 0 1900\n", EINVAL, ""},  // minimum above the maximum
      {"od", "m 0 700\n", EINVAL, ""},   // only level 1 exists
      {"od", "m 1 800\n", 0, "1: 800MHz"},
      {"od", "m 1 900\n", EINVAL, ""},
      {"od", "vc 2 1800 1050\n", 0, "2: 1800MHz 1050mV"},
      {"od", "vc 3 1800 1050\n", EINVAL, ""},
      {"od", "vc 1 1300 1250\n", EINVAL, ""},
      {"od", "vo -10\n", EINVAL, ""},
      {"od", "c\n", 0, "1: 1800Mhz"},
      {"od", "s 0 900 1 850\n", EINVAL, "0: 900Mhz"},  // the pair before the refused one stays
      {"od", "s 1 1700 0\n", EINVAL, "1: 1700Mhz"},    // a dangling level: the pair before stays
      {"od", "s\n", 0, ""},                            // no numbers: nothing to do
      {"od", "m 1 850 7\n", 0, "1: 850MHz"},           // only the first pair is read
      {"od", "vc 0 900 750 5\n", 0, "0: 900MHz 750mV"},
      {"od", "vc 0 900\n", EINVAL, ""},
      {"hwmon:fan1_target", "1500\n", ENODATA, ""},  // only in manual mode
      {"hwmon:pwm1_enable", "1\n", 0, "1"},
      {"hwmon:fan1_target", "1500\n", 0, "1500"},
      {"hwmon:fan1_target", "0\n", EINVAL, ""},
      {"hwmon:fan1_target", "1\n", 0, "1"}},  // below fan1_min: nothing checks it
     [](KernelModel& m) { m.SetFile(0, "hwmon/hwmon3/fan1_min", "500\n"); }},
    {"Navi1xWithoutCurve",
     "navi1x-nocurve",
     Family::Navi1x,
     {{"od", "vc 2 1800 1050\n", EINVAL, ""},
      {"od", "m 0 700\n", EINVAL, ""},
      {"od", "m 1 900\n", 0, "1: 900MHz"},
      {"od", "r\n", 0, "1: 875MHz"}}},
    {"Vega20ResetGivesBackTheLastCommittedTable",
     "vega20",
     Family::Vega20,
     {{"od", "s 1 1900\n", 0, "1:       1900Mhz"},
      {"od", "c\n", 0, ""},
      {"od", "s 1 2000\n", 0, "1:       2000Mhz"},
      {"od", "r\n", 0, "1:       1900Mhz"},
      {"od", "c\n", 0, "1:       1900Mhz"},
      {"od", "s 0 2000\n", 0, "0:       2000Mhz"},  // the order is never checked
      {"od", "s 1 808 0 2300\n", EINVAL, "1:        808Mhz"},  // one range for both ends
      {"od", "m 1 1100 1 1300\n", EINVAL, "1:       1100Mhz"},
      {"od", "vc 0 900 750 1 1400\n", EINVAL, "0:        900Mhz        750mV"}}},
    {"Navi2xOffsets",
     "navi2x",
     Family::Navi2x,
     {{"od", "s 1 2600\n", 0, "1: 2600Mhz"},
      {"od", "m 1 1100\n", 0, "1: 1100MHz"},
      {"od", "m 1 1200\n", EINVAL, ""},
      {"od", "vo -50\n", 0, "-50mV"},
      {"od", "vc 0 800 700\n", EINVAL, ""},
      {"od", "p 0 0 1400\n", EINVAL, ""},
      {"od", "s 100\n", EINVAL, ""},
      {"od", "s 0 1000 1 900\n", EINVAL, "0: 1000Mhz"},  // refused at its pair; the one before stays
      {"od", "vo -50 7\n", EINVAL, ""},
      {"hwmon:power1_cap", "0\n", 0, "186000000"}}},  // no minimum: 0 keeps the cap
    {"Navi3xChecks",
     "navi3x",
     Family::Navi3x,
     {{"od", "s 0 2700\n", EINVAL, "0: 2700Mhz"},  // above the maximum: refused, but kept
      {"od", "s 0 500\n", 0, "0: 500Mhz"},
      {"od", "s 1 2800\n", 0, "1: 2800Mhz"},
      {"od", "s 0 2700\n", 0, "0: 2700Mhz"},
      {"od", "vo -500\n", EINVAL, ""},
      {"od", "vo -100\n", 0, "-100mV"},
      {"od", "vo -90 7\n", 0, "-90mV"},  // the first number; no count checked
      {"od", "s 1 2900 1\n", EINVAL, "1: 2900Mhz"},  // a dangling level after a stored pair
      {"od", "s\n", 0, ""},
      {"od", "m 1 1400\n", EINVAL, ""},
      {"hwmon:power1_cap", "0\n", EINVAL, ""}}},  // the minimum is above 0
    {"Navi3xChecksEachEndAgainstItsOwnLimits",
     "navi3x",
     Family::Navi3x,
     {{"od", "s 0 3100\n", EINVAL, ""},  // inside the printed 500..4000, above the minimum's own
      {"od", "s 1 3100\n", 0, "1: 3100Mhz"},
      {"od", "s 1 900\n", EINVAL, ""},   // below the maximum's own floor
      {"od", "m 0 1200\n", EINVAL, ""},
      {"od", "m 1 1200\n", 0, "1: 1200MHz"}},
     [](KernelModel& m) {
         m.SetClockLimits(0, "SCLK", 0, 500, 3000);
         m.SetClockLimits(0, "SCLK", 1, 1000, 4000);
         m.SetClockLimits(0, "MCLK", 0, 97, 1000);
     }},
    {"Rdna4ClockOffset",
     "rdna4",
     Family::Rdna4,
     {{"od", "s 100\n", 0, "100Mhz"},
      {"od", "s 1 2800\n", EINVAL, ""},
      {"od", "s 1500\n", EINVAL, ""},
      {"od", "s -500\n", 0, "-500Mhz"},
      {"od", "vo -250\n", EINVAL, ""},
      {"od", "m 1 1300\n", 0, "1: 1300MHz"},
      {"od", "m 0 1400\n", EINVAL, "0: 1400Mhz"}}},  // above the maximum: refused, but kept
    {"ApuOnlyInManualLevel",
     "apu",
     Family::Apu,
     {{"od", "s 0 600\n", EINVAL, ""},
      {"power_dpm_force_performance_level", "manual\n", 0, "manual"},
      {"od", "s 0 600\n", 0, "0:        600Mhz"},
      {"od", "m 1 800\n", EINVAL, ""},
      {"od", "p 0 1 3000\n", EINVAL, ""},
      {"od", "s 1 500\n", 0, "1:        500Mhz"},
      {"od", "c\n", EINVAL, ""},  // minimum above maximum is refused at the commit
      {"od", "s 0 2300\n", 0, "0:       2300Mhz"},  // a minimum is checked against the floor only
      {"od", "s 1 300\n", 0, "1:        300Mhz"},   // a maximum against the ceiling only
      {"od", "s 0 300\n", EINVAL, ""},
      {"od", "s 1 2300\n", EINVAL, ""},
      {"od", "s 0 600\n", 0, ""},
      {"od", "s 1 2000\n", 0, "1:       2000Mhz"},
      {"od", "c 1\n", EINVAL, ""},
      {"od", "r 0\n", EINVAL, ""},
      {"od", "c\n", 0, ""},
      {"power_dpm_force_performance_level", "turbo\n", EINVAL, ""},
      {"power_dpm_force_performance_level", "manualx\n", EINVAL, ""},  // the whole word, no prefix
      {"power_dpm_force_performance_level", "profile\n", EINVAL, ""},
      {"power_dpm_force_performance_level", "profile_peak\n", 0, "profile_peak"},
      {"od", "s 1 1800\n", EINVAL, ""},
      {"power_dpm_force_performance_level", "manual", 0, "manual"},
      {"od", "s 0 700\n", 0, "0:        700Mhz"},
      {"power_dpm_force_performance_level", "auto\n", 0, "auto"},
      {"od", "@read", 0, "0:        400Mhz"},  // `auto` put the clocks back
      {"od", "r\n", EINVAL, ""},
      {"power_dpm_force_performance_level", "high\n", 0, ""},
      {"od", "@read", 0, "0:       2200Mhz"},  // `high` pins both ends to the ceiling
      {"power_dpm_force_performance_level", "low\n", 0, ""},
      {"od", "@read", 0, "1:        400Mhz"}}},
    {"CommandParsing",
     "navi3x",
     Family::Navi3x,
     {{"od", " s 1 2600\n", EINVAL, ""},       // leading space
      {"od", "s 1 02600\n", 0, "1: 1408Mhz"},  // octal
      {"od", "s 1 08\n", EINVAL, ""},
      {"od", "s 1 0xa00\n", 0, "1: 2560Mhz"},
      {"od", "s 1 26OO\n", EINVAL, ""},
      {"od", "s 1\t2600\n", EINVAL, ""},     // a tab inside a token
      {"od", "s 1 \t2500\n", 0, "1: 2500Mhz"},  // white space after a separator is skipped
      {"od", "x 1 2600\n", EINVAL, ""},
      {"od", "s 1 2600" + std::string(130, ' ') + "\n", EINVAL, ""},
      {"od", "", EINVAL, ""},
      {"od", "s1 2600", 0, "1: 2600Mhz"}}},
    {"FanControlFiles",
     "navi3x",
     Family::Navi3x,
     {{"fan:fan_curve", "0 45 10\n", EINVAL, ""},  // below the minimum speed
      {"fan:fan_curve", "0 20 30\n", EINVAL, ""},
      {"fan:fan_curve", "5 45 30\n", EINVAL, ""},
      {"fan:fan_curve", "0 45 30 1\n", EINVAL, ""},
      {"fan:fan_curve", "0 45 25\n", 0, "0: 45C 25%"},
      {"fan:fan_curve", "  4 95 100\n", 0, "4: 95C 100%"},
      {"fan:fan_zero_rpm_enable", "2\n", EINVAL, ""},
      {"fan:fan_zero_rpm_enable", "0\n", 0, "0"},
      {"fan:fan_minimum_pwm", "15\n", EINVAL, ""},
      {"fan:fan_curve", "c\n", 0, "0: 45C 25%"},
      {"fan:fan_curve", "r\n", 0, "0: 40C 20%"},
      {"fan:fan_zero_rpm_enable", "r\n", 0, "1"}}},
    {"PowerCapAndFanMode",
     "navi3x",
     Family::Navi3x,
     {{"hwmon:power1_cap", "170500000\n", 0, "170000000"},
      {"hwmon:power1_cap", "190000000\n", EINVAL, ""},
      {"hwmon:power1_cap", "147999999\n", EINVAL, ""},
      {"hwmon:power1_cap", "-5\n", EINVAL, ""},
      {"hwmon:power1_cap", "99999999999\n", ERANGE, ""},
      {"hwmon:power1_cap", "0x9000000\n", EINVAL, ""},
      {"hwmon:power1_cap_max", "200000000\n", EACCES, ""},
      {"hwmon:pwm1", "100\n", EINVAL, ""},
      {"hwmon:pwm1_enable", "3\n", EINVAL, ""},
      {"hwmon:pwm1_enable", "1\n", 0, "1"},
      {"hwmon:fan1_enable", "1\n", 0, "1"},
      {"hwmon:pwm1", "100\n", 0, "100"},
      {"hwmon:pwm1", "256\n", 0, "255"},  // clamped, not refused
      {"pp_dpm_sclk", "1\n", 0, ""},
      {"vendor", "0x1002\n", EACCES, ""},
      {"no_such_file", "1\n", ENOENT, ""}}},
    {"SleepingCardAnswersEpermUntilWoken",
     "navi2x",
     Family::Navi2x,
     {{"", "@sleep", 0, ""},
      {"od", "@read", EPERM, ""},
      {"hwmon:power1_cap", "@read", EPERM, ""},
      {"fan:fan_curve", "@read", ENOENT, ""},
      {"hwmon:name", "@read", 0, "amdgpu"},
      {"hwmon:temp1_crit", "@read", 0, ""},  // the limits are answered without the card
      {"hwmon:pwm1_max", "@read", 0, "255"},
      {"hwmon:temp1_input", "@read", EPERM, ""},
      {"uevent", "@read", 0, "DRIVER=amdgpu"},
      {"", "@wake", 0, ""},
      {"od", "@read", 0, "1: 2581Mhz"},
      {"", "@sleep", 0, ""},
      {"hwmon:power1_cap", "190000000\n", 0, ""},  // a write wakes the card
      {"hwmon:power1_cap", "@read", 0, "190000000"}}},
    {"SleepingCardAnswersEbusyFrom618",
     "navi2x",
     Family::Navi2x,
     {{"", "@sleep618", 0, ""},
      {"od", "@read", EBUSY, ""},
      {"od", "s 1 2600\n", 0, ""},  // a write wakes the card
      {"od", "@read", 0, "1: 2600Mhz"}}},
    {"CardInResetAnswersEbusy",
     "navi3x",
     Family::Navi3x,
     {{"", "@reset", 0, ""},
      {"od", "@read", EBUSY, ""},
      {"fan:fan_curve", "@read", EBUSY, ""},
      {"od", "s 1 2600\n", EBUSY, ""},
      {"od", "x 1 2600\n", EINVAL, ""},  // parsed before the card is asked for
      {"hwmon:power1_cap", "-5\n", EINVAL, ""},
      {"hwmon:power1_cap", "150000000\n", EBUSY, ""},
      {"", "@wake", 0, ""},
      {"od", "@read", EBUSY, ""}}},
    {"OverdriveOff",
     "overdrive-off",
     Family::None,
     {{"od", "s 1 2600\n", ENOENT, ""},
      {"hwmon:power1_cap", "177000000\n", EINVAL, ""},
      {"hwmon:power1_cap", "150000000\n", 0, "150000000"}}},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class KernelBehaviour : public ::testing::TestWithParam<Case> {};

TEST_P(KernelBehaviour, AnswersLikeTheKernel) {
    const Case& c = GetParam();
    auto model = Load(kFixtures / c.fixture);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->FamilyOf(0), c.family);
    if (c.setup) c.setup(*model);
    for (const Step& step : c.steps) {
        const std::string path = PathOf(*model, step.file);
        if (step.command == "@sleep" || step.command == "@sleep618" || step.command == "@reset" ||
            step.command == "@wake") {
            if (step.command == "@sleep") model->SetSleeping(0, true);
            if (step.command == "@sleep618") model->SetSleeping(0, true, EBUSY);
            if (step.command == "@reset") model->SetResetting(0, true);
            if (step.command == "@wake") {
                EXPECT_EQ(model->wake(KernelModel::DevicePath(0, "")), step.error);
            }
            continue;
        }
        if (step.command == "@read") {
            const amdgpu::ReadResult r = model->read(path);
            EXPECT_EQ(r.error, step.error) << "read " << step.file;
            if (!step.shows.empty()) {
                EXPECT_NE(r.text.find(step.shows), std::string::npos) << r.text;
            }
            continue;
        }
        const std::string before = model->read(path).text;
        EXPECT_EQ(model->write(path, step.command), step.error) << step.file << " <- " << step.command;
        const amdgpu::ReadResult after = model->read(path);
        if (step.error != 0 && step.shows.empty()) {
            EXPECT_EQ(after.text, before) << "a refused write changed " << step.file;
        }
        if (!step.shows.empty()) {
            EXPECT_NE(after.text.find(step.shows), std::string::npos) << step.command << after.text;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Families, KernelBehaviour, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return info.param.name; });

TEST(KernelModel, EditsStayStagedUntilTheCommit) {
    auto model = Load(kFixtures / "navi2x");
    const std::string od = KernelModel::DevicePath(0, "pp_od_clk_voltage");
    ASSERT_EQ(model->write(od, "s 1 2700\n"), 0);
    EXPECT_TRUE(model->Uncommitted(0));
    EXPECT_NE(model->read(od).text.find("1: 2700Mhz"), std::string::npos) << "reads show the staged table";
    EXPECT_NE(model->CommittedRead(0, "pp_od_clk_voltage").find("1: 2581Mhz"), std::string::npos);
    ASSERT_EQ(model->write(od, "c\n"), 0);
    EXPECT_FALSE(model->Uncommitted(0));
    EXPECT_NE(model->CommittedRead(0, "pp_od_clk_voltage").find("1: 2700Mhz"), std::string::npos);
}

TEST(KernelModel, ResetCommitsAtOnceFromNavi2xOnward) {
    struct Row {
        const char* fixture;
        const char* edit;
        bool resetNeedsCommit;
    };
    for (const Row& row : {Row{"polaris", "s 7 1300 1125\n", true}, Row{"navi1x", "s 1 1800\n", true},
                           Row{"navi2x", "s 1 2700\n", false}, Row{"navi3x", "vo -60\n", false},
                           Row{"rdna4", "s 200\n", false}, Row{"apu", "s 1 2000\n", true},
                           Row{"navi1x-nocurve", "s 1 1900\n", true}}) {
        SCOPED_TRACE(row.fixture);
        auto model = Load(kFixtures / row.fixture);
        model->SetPerformanceLevel(0, "manual");
        const std::string od = KernelModel::DevicePath(0, "pp_od_clk_voltage");
        const std::string boot = model->read(od).text;
        ASSERT_EQ(model->write(od, row.edit), 0);
        ASSERT_EQ(model->write(od, "c\n"), 0);
        ASSERT_EQ(model->write(od, "r\n"), 0);
        EXPECT_EQ(model->read(od).text, boot) << "the reset shows the boot table";
        EXPECT_EQ(model->Uncommitted(0), row.resetNeedsCommit);
    }
}

// A cap above the default lives in the SMU13/14 staged overdrive table: a commit sends it again, a
// full reset of pp_od_clk_voltage drops the cap the card runs while power1_cap keeps printing the
// chosen one.
TEST(KernelModel, Smu13And14FullResetDropsTheEffectivePowerCapButNotTheOnePrinted) {
    struct Row {
        const char* fixture;
        const char* file;
        const char* command;  // after an edit of that file
        std::string cap;      // within the card's limits, not its default
        bool drops;
    };
    for (const Row& row : {Row{"navi3x", "od", "c\n", "170000000\n", false},
                           Row{"navi3x", "fan:fan_curve", "c\n", "170000000\n", false},
                           Row{"navi3x", "fan:fan_curve", "r\n", "170000000\n", false},
                           Row{"navi3x", "od", "r\n", "170000000\n", true},
                           Row{"navi3x", "od", "r\n", "150000000\n", false},  // below the default
                           Row{"navi2x", "od", "r\n", "200000000\n", false},
                           Row{"rdna4", "od", "r\n", "240000000\n", true}}) {
        SCOPED_TRACE(std::string(row.fixture) + " " + row.file + " " + row.command + row.cap);
        auto model = Load(kFixtures / row.fixture);
        const std::string cap = model->HwmonPath(0, "power1_cap");
        const long long defaultCap =
            std::stoll(model->read(model->HwmonPath(0, "power1_cap_default")).text);
        ASSERT_EQ(model->write(cap, row.cap), 0);
        const char* edit = std::string(row.file) == "od" ? (std::string(row.fixture) == "rdna4" ? "m 1 1300\n" : "s 1 2500\n")
                                                         : "2 65 50\n";
        ASSERT_EQ(model->write(PathOf(*model, row.file), edit), 0);
        EXPECT_EQ(model->EffectivePowerCap(0), std::stoll(row.cap)) << "an edit alone keeps the cap";
        ASSERT_EQ(model->write(PathOf(*model, row.file), row.command), 0);
        EXPECT_EQ(model->read(cap).text, row.cap) << "power1_cap prints the cached cap";
        EXPECT_EQ(model->EffectivePowerCap(0), row.drops ? defaultCap : std::stoll(row.cap));
        // Writing the cap again puts it back into effect.
        ASSERT_EQ(model->write(cap, row.cap), 0);
        EXPECT_EQ(model->EffectivePowerCap(0), std::stoll(row.cap));
    }
}

TEST(KernelModel, FanFilesShareTheStagedTableWithTheClocks) {
    auto model = Load(kFixtures / "navi3x");
    ASSERT_EQ(model->write(KernelModel::DevicePath(0, "pp_od_clk_voltage"), "s 1 2700\n"), 0);
    ASSERT_EQ(model->write(KernelModel::DevicePath(0, "gpu_od/fan_ctrl/fan_target_temperature"), "c\n"), 0);
    EXPECT_FALSE(model->Uncommitted(0));
    // A full reset of pp_od_clk_voltage takes the fan settings back too.
    ASSERT_EQ(model->write(KernelModel::DevicePath(0, "gpu_od/fan_ctrl/fan_curve"), "2 70 60\n"), 0);
    ASSERT_EQ(model->write(KernelModel::DevicePath(0, "pp_od_clk_voltage"), "r\n"), 0);
    EXPECT_NE(model->read(KernelModel::DevicePath(0, "gpu_od/fan_ctrl/fan_curve")).text.find("2: 60C 45%"),
              std::string::npos);
}

TEST(KernelModel, PresentsCardsConnectorsAndWhatTheKernelAlwaysHas) {
    std::string error;
    auto model = KernelModel::FromTrees({kFixtures / "apu", kFixtures / "navi2x"}, &error);
    ASSERT_NE(model, nullptr) << error;
    std::vector<std::string> names;
    ASSERT_EQ(model->list("class/drm", names), 0);
    EXPECT_EQ(names, (std::vector<std::string>{"card0", "card1", "card1-DP-1", "card1-DP-2", "card1-DP-3",
                                               "card1-HDMI-A-1", "renderD128", "renderD129", "version"}));
    EXPECT_EQ(model->read("class/drm/card1-DP-1/status").text, "connected\n");
    EXPECT_EQ(model->read("class/drm/card1-DP-1/edid").text, "") << "no edid in the tree: an empty one";
    EXPECT_EQ(model->read("class/drm/card1-DP-2/edid").text.size(), 128u);
    EXPECT_EQ(model->read("class/drm/card1/card1-DP-3/edid").error, 0);
    EXPECT_EQ(model->read("class/drm/card1/card1-HDMI-A-1/status").text, "disconnected\n");
    EXPECT_EQ(model->read("class/drm/card1/device/drm/card1/card1-DP-1/dpms").text, "On\n");
    ASSERT_EQ(model->list("class/drm/card1/device", names), 0);
    EXPECT_NE(std::find(names.begin(), names.end(), "driver"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "hwmon"), names.end());
    EXPECT_EQ(model->read("class/drm/card1/device").error, EISDIR);
    EXPECT_EQ(model->list("class/drm/card1/device/uevent", names), ENOTDIR);
    EXPECT_EQ(model->read("module/amdgpu/parameters/ppfeaturemask").text, "0xffffffff\n");
    EXPECT_EQ(model->write("module/amdgpu/parameters/ppfeaturemask", "0xffffffff\n"), EACCES);
    model->SetPpFeatureMask(0xfff7bfff);
    EXPECT_EQ(model->read("module/amdgpu/parameters/ppfeaturemask").text, "0xfff7bfff\n");

    auto off = Load(kFixtures / "overdrive-off");
    EXPECT_EQ(off->read("module/amdgpu/parameters/ppfeaturemask").text, "0xfff7bfff\n");
}

TEST(KernelModel, HooksRefuseAWriteRemoveACardAndCountReads) {
    auto model = Load(kFixtures / "navi2x");
    const std::string od = KernelModel::DevicePath(0, "pp_od_clk_voltage");
    model->FailNextWrite(EPERM, "pp_od_clk_voltage");
    EXPECT_EQ(model->write(model->HwmonPath(0, "power1_cap"), "180000000\n"), 0)
        << "another path is not refused";
    EXPECT_EQ(model->write(od, "s 1 2700\n"), EPERM);
    EXPECT_EQ(model->write(od, "s 1 2700\n"), 0);
    ASSERT_EQ(model->Writes().size(), 3u);
    EXPECT_EQ(model->Writes()[1].error, EPERM);
    EXPECT_EQ(model->Writes()[1].bytes, "s 1 2700\n");
    EXPECT_EQ(model->AcceptedCommands(0), (std::vector<std::string>{"hwmon/hwmon1/power1_cap: 180000000\\n",
                                                                    "pp_od_clk_voltage: s 1 2700\\n"}));

    model->ClearReadCounts();
    model->read(od);
    model->read(od);
    EXPECT_EQ(model->ReadCount(od), 2);

    model->RemoveCard(0);
    EXPECT_EQ(model->read(od).error, ENOENT);
    EXPECT_EQ(model->write(od, "c\n"), ENOENT);
    std::vector<std::string> names;
    ASSERT_EQ(model->list("class/drm", names), 0);
    EXPECT_EQ(names, std::vector<std::string>{"version"});
}

// The captures: the family each one is, and a changed value printed in the capture's own style.
TEST(KernelModelOnCaptures, RendersInTheCapturesOwnStyle) {
    if (!std::filesystem::exists(kCaptures)) GTEST_SKIP() << "no real-card captures at " << kCaptures;
    struct Row {
        const char* capture;
        Family family;
        const char* command;
        const char* from;
        const char* to;
    };
    for (const Row& row :
         {Row{"rx580", Family::Polaris, "s 7 1400 1150\n", "7:       1366MHz       1150mV",
              "7:       1400MHz       1150mV"},
          Row{"rx5700xt", Family::Navi1x, "vc 0 1400 760\n", "0: 1351MHz 750mV", "0: 1400MHz 760mV"},
          Row{"rx5500xt", Family::Navi1x, "m 1 900\n", "1: 875MHz", "1: 900MHz"},
          Row{"rx6900xt", Family::Navi2x, "vo -30\n", "\n0mV\n", "\n-30mV\n"},
          Row{"rx6600", Family::Navi2x, "s 0 2500\n", "0: 2600Mhz", "0: 2500Mhz"},
          Row{"rx7800xt", Family::Navi3x, "s 1 2700\n", "1: 2660Mhz", "1: 2700Mhz"},
          Row{"rx7900xtx", Family::Navi3x, "vo -50\n", "\n0mV\n", "\n-50mV\n"},
          Row{"rx9070xt", Family::Rdna4, "s 250\n", "\n0Mhz\n", "\n250Mhz\n"},
          Row{"phoenix", Family::Apu, "s 0 1000\n", "0:        800Mhz", "0:       1000Mhz"},
          Row{"vangogh-od", Family::Apu, "p 0 1 3000\n", "1:       3500Mhz", "1:       3000Mhz"},
          Row{"vangogh", Family::None, "s 0 1000\n", "\n", "\n"}}) {
        SCOPED_TRACE(row.capture);
        auto model = Load(kCaptures / row.capture);
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(model->FamilyOf(0), row.family);
        model->SetPerformanceLevel(0, "manual");
        const std::string od = KernelModel::DevicePath(0, "pp_od_clk_voltage");
        std::string expected = model->read(od).text;
        const std::size_t at = expected.find(row.from);
        ASSERT_NE(at, std::string::npos);
        expected.replace(at, std::string(row.from).size(), row.to);
        EXPECT_EQ(model->write(od, row.command), row.family == Family::None ? EINVAL : 0);
        EXPECT_EQ(model->read(od).text, expected);
    }
}

TEST(KernelModelOnCaptures, FillsInTheIdentityFilesALiveKernelHas) {
    if (!std::filesystem::exists(kCaptures)) GTEST_SKIP() << "no real-card captures at " << kCaptures;
    auto model = Load(kCaptures / "rx5700xt");
    EXPECT_EQ(model->read("class/drm/card0/device/device").text, "0x731f\n");
    EXPECT_EQ(model->read("class/drm/card0/device/subsystem_vendor").text, "0x1da2\n");
    EXPECT_EQ(model->read("class/drm/card0/device/revision").error, ENOENT) << "not known, not invented";
    // A 4096-byte capture keeps its padding when a value changes.
    auto padded = Load(kCaptures / "rx6900xt");
    ASSERT_EQ(padded->write(padded->HwmonPath(0, "power1_cap"), "250000000\n"), 0);
    const std::string cap = padded->read(padded->HwmonPath(0, "power1_cap")).text;
    EXPECT_EQ(cap.size(), 4096u);
    EXPECT_EQ(cap.substr(0, 10), "250000000\n");
}

}  // namespace
