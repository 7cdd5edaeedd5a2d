// SPDX-License-Identifier: GPL-3.0-or-later
// The program's window on the amdgpu runtime, one row per card tree: what the GPU list says, which
// controls are enabled, what the Tuning and Fan pages show, the exact commands Set and Reset write
// (in order, refused ones marked), and what the pages show afterwards, read back through a kernel
// model that answers like the card's own driver.
//
// The expected numbers come from the tree's bytes and the runtime's mapping: clocks are the lowest
// and highest OD_SCLK level, memory the highest OD_MCLK level, the voltage the highest Polaris
// level's or the highest Navi1x curve point's mV (0 where the kernel offers only an offset), the
// power edit 100 + the cap as a rounded percentage of power1_cap_default, set in whole watts.

#include <QComboBox>
#include <cerrno>

#include "AmdgpuWindowTest.h"

using kernelmodel::KernelModel;

namespace {

using Values = std::vector<std::pair<int, std::string>>;
using Commands = std::vector<std::string>;

struct FanRow {
    Values edits;                    // the five speeds and temperatures
    std::vector<std::string> shown;  // speeds then temperatures, as shown before
    bool zeroRpmShown = false;
    bool zeroRpmWanted = false;
    Commands commands;
};

struct Enables {
    bool gfx = false, vram = false, power = false, fan = false, zeroRpm = false;
};

struct CardRow {
    std::string name;
    std::filesystem::path tree;
    std::string gpuList;
    Enables enabled;  // which controls the window enables
    Values shown;     // the Tuning page after the window opens
    Values edits;     // typed before Set
    Commands set;     // what Set on the Tuning page writes
    Values after;     // the Tuning page after Set
    std::optional<FanRow> fanRow;
    Commands reset;     // what Reset writes afterwards
    Values afterReset;  // the Tuning page values that differ from `shown` after Reset
};

void PrintTo(const CardRow& row, std::ostream* os) { *os << row.name; }

const std::string od = "pp_od_clk_voltage: ";
std::string Cap(const std::string& hwmon, const std::string& microwatts) {
    return "hwmon/" + hwmon + "/power1_cap: " + microwatts + "\n";
}
const std::string curve = "gpu_od/fan_ctrl/fan_curve: ";
std::string Level(const std::string& level) { return "power_dpm_force_performance_level: " + level + "\n"; }
const std::string zero = "gpu_od/fan_ctrl/fan_zero_rpm_enable: ";

const std::vector<int> kFanEdits = {1023, 1025, 1027, 1029, 1031, 1024, 1026, 1028, 1030, 1032};

Values FanEdits(const std::vector<std::string>& speedsThenTemperatures) {
    Values v;
    for (std::size_t i = 0; i < kFanEdits.size(); ++i) v.push_back({kFanEdits[i], speedsThenTemperatures[i]});
    return v;
}
const std::vector<std::string> kZeroCurve(10, "0");

std::vector<CardRow> Rows() {
    std::vector<CardRow> rows = {
        // ---- the hand-written trees, one per family
        {"Polaris",
         FixtureTree("polaris"),
         "AMD Radeon RX 570 Series",
         Enables{.gfx = true, .vram = true, .power = true},
         {{1007, "300"}, {1008, "1284"}, {1011, "1125"}, {1010, "1750"}, {1012, "100"}},
         {{1007, "350"}, {1008, "1340"}, {1011, "1150"}, {1010, "2000"}, {1012, "90"}},
         {od + "s 0 350 750\n", od + "c\n", od + "s 7 1340 1125\n", od + "c\n", od + "s 7 1340 1150\n",
          od + "c\n", od + "m 2 2000 925\n", od + "c\n", Cap("hwmon2", "113000000")},
         {{1007, "350"}, {1008, "1340"}, {1011, "1150"}, {1010, "2000"}, {1012, "90"}},
         std::nullopt,
         {od + "r\n", od + "c\n", Cap("hwmon2", "125000000")},
         {}},
        {"Navi1x",
         FixtureTree("navi1x"),
         "AMD Radeon RX 5600 XT",
         Enables{.gfx = true, .vram = true, .power = true},
         {{1007, "800"}, {1008, "1750"}, {1011, "1020"}, {1010, "750"}, {1012, "100"}},
         {{1007, "900"}, {1008, "1850"}, {1011, "1050"}, {1010, "850"}, {1012, "115"}},
         {od + "s 0 900\n", od + "c\n", od + "s 1 1850\n", od + "c\n", od + "vc 2 1750 1050\n", od + "c\n",
          od + "m 1 850\n", od + "c\n", Cap("hwmon3", "173000000")},
         {{1007, "900"}, {1008, "1850"}, {1011, "1050"}, {1010, "850"}, {1012, "115"}},
         std::nullopt,
         {od + "r\n", od + "c\n", Cap("hwmon3", "150000000")},
         {}},
        {"Navi2x",
         FixtureTree("navi2x"),
         "AMD Radeon RX 6700 XT",
         Enables{.gfx = true, .vram = true, .power = true},
         {{1007, "500"}, {1008, "2581"}, {1011, "0"}, {1010, "1000"}, {1012, "100"}},
         {{1007, "700"}, {1008, "2650"}, {1010, "1100"}, {1012, "108"}},
         {od + "s 0 700\n", od + "c\n", od + "s 1 2650\n", od + "c\n", od + "m 1 1100\n", od + "c\n",
          Cap("hwmon1", "201000000")},
         {{1007, "700"}, {1008, "2650"}, {1011, "0"}, {1010, "1100"}, {1012, "108"}},
         std::nullopt,
         {od + "r\n", Cap("hwmon1", "186000000")},
         {}},
        {"Navi3x",
         FixtureTree("navi3x"),
         "AMD Radeon RX 7600",
         Enables{.gfx = true, .vram = true, .power = true, .fan = true, .zeroRpm = true},
         {{1007, "500"}, {1008, "2655"}, {1011, "0"}, {1010, "1124"}, {1012, "100"}},
         // A minimum above the current maximum: the maximum goes first.
         {{1007, "2800"}, {1008, "2900"}, {1010, "1200"}, {1012, "105"}},
         {od + "s 1 2800\n", od + "s 0 2800\n", od + "c\n", od + "s 1 2900\n", od + "c\n", od + "m 1 1200\n",
          od + "c\n", Cap("hwmon7", "173000000")},
         {{1007, "2800"}, {1008, "2900"}, {1011, "0"}, {1010, "1200"}, {1012, "105"}},
         FanRow{FanEdits({"20", "30", "50", "70", "100", "40", "50", "65", "75", "90"}),
                {"20", "30", "45", "70", "100", "40", "50", "60", "75", "90"},
                true,
                false,
                {curve + "2 65 50\n", curve + "c\n", Cap("hwmon7", "173000000"), zero + "0\n", zero + "c\n",
                 Cap("hwmon7", "173000000")}},
         {od + "r\n", Cap("hwmon7", "165000000")},
         {}},
        {"Rdna4",
         FixtureTree("rdna4"),
         "AMD Radeon RX 9070",
         Enables{.vram = true, .power = true, .fan = true, .zeroRpm = true},
         {{1010, "1218"}, {1012, "100"}},
         {{1010, "1350"}, {1012, "110"}},
         {od + "m 1 1350\n", od + "c\n", Cap("hwmon2", "242000000")},
         {{1010, "1350"}, {1012, "110"}},
         FanRow{FanEdits({"25", "35", "50", "70", "90", "30", "40", "55", "70", "85"}),
                kZeroCurve,
                false,
                true,
                {curve + "0 30 25\n", curve + "1 40 35\n", curve + "2 55 50\n", curve + "3 70 70\n",
                 curve + "4 85 90\n", curve + "c\n", Cap("hwmon2", "242000000"), zero + "1\n", zero + "c\n",
                 Cap("hwmon2", "242000000")}},
         {od + "r\n", Cap("hwmon2", "220000000")},
         {}},
        // The APU kernels take overdrive edits only in the `manual` performance level: the runtime
        // selects it before the first edit and hands the card back to `auto` after Reset. The
        // voltage edit stays enabled with the clocks, but the kernel offers no voltage: nothing
        // is written for it.
        {"Apu",
         FixtureTree("apu"),
         "AMD Radeon 680M",
         Enables{.gfx = true},
         {{1007, "400"}, {1008, "2200"}, {1011, "0"}},
         {{1008, "2000"}, {1011, "900"}},
         {Level("manual"), od + "s 1 2000\n", od + "c\n"},
         {{1007, "400"}, {1008, "2000"}, {1011, "0"}},
         std::nullopt,
         {od + "r\n", od + "c\n", Level("auto")},
         {}},
        {"OverdriveOff",
         FixtureTree("overdrive-off"),
         "AMD Radeon RX 6650 XT",
         Enables{.power = true},
         {{1012, "100"}},
         {{1012, "90"}},
         {Cap("hwmon0", "158000000")},
         {{1012, "90"}},
         std::nullopt,
         {Cap("hwmon0", "176000000")},
         {}},
    };
    const std::vector<CardRow> captures = {
        {"rx580",
         CaptureTree("rx580"),
         "AMD Radeon RX 580 Series",
         Enables{.gfx = true, .vram = true, .power = true},
         {{1007, "300"}, {1008, "1366"}, {1011, "1150"}, {1010, "1750"}, {1012, "100"}},
         {{1007, "400"}, {1008, "1400"}, {1011, "1100"}, {1010, "1800"}, {1012, "110"}},
         {od + "s 0 400 750\n", od + "c\n", od + "s 7 1400 1150\n", od + "c\n", od + "s 7 1400 1100\n",
          od + "c\n", od + "m 2 1800 975\n", od + "c\n", Cap("hwmon4", "171000000")},
         {{1007, "400"}, {1008, "1400"}, {1011, "1100"}, {1010, "1800"}, {1012, "110"}},
         std::nullopt,
         {od + "r\n", od + "c\n", Cap("hwmon4", "155000000")},
         {}},
        {"rx5700xt",
         CaptureTree("rx5700xt"),
         "AMD Radeon Graphics [1002:731F]",
         Enables{.gfx = true, .vram = true, .power = true},
         {{1007, "1351"}, {1008, "1900"}, {1011, "1100"}, {1010, "875"}, {1012, "100"}},
         {{1007, "1400"}, {1008, "2000"}, {1011, "1150"}, {1010, "900"}, {1012, "110"}},
         {od + "s 0 1400\n", od + "c\n", od + "s 1 2000\n", od + "c\n", od + "vc 2 1900 1150\n", od + "c\n",
          od + "m 1 900\n", od + "c\n", Cap("hwmon1", "242000000")},
         {{1007, "1400"}, {1008, "2000"}, {1011, "1150"}, {1010, "900"}, {1012, "110"}},
         std::nullopt,
         {od + "r\n", od + "c\n", Cap("hwmon1", "220000000")},
         {}},
        // Its minimum (500 MHz) lies below the kernel's own range (800 MHz): left alone, not written.
        {"rx5500xt",
         CaptureTree("rx5500xt"),
         "AMD Radeon Graphics [1002:7340]",
         Enables{.gfx = true, .vram = true, .power = true},
         {{1007, "500"}, {1008, "1900"}, {1011, "1102"}, {1010, "875"}, {1012, "100"}},
         {{1008, "2000"}, {1011, "1100"}, {1010, "900"}, {1012, "120"}},
         {od + "s 1 2000\n", od + "c\n", od + "vc 2 1900 1100\n", od + "c\n", od + "m 1 900\n", od + "c\n",
          Cap("hwmon3", "156000000")},
         {{1007, "500"}, {1008, "2000"}, {1011, "1100"}, {1010, "900"}, {1012, "120"}},
         std::nullopt,
         {od + "r\n", od + "c\n", Cap("hwmon3", "130000000")},
         {}},
        {"rx6900xt",
         CaptureTree("rx6900xt"),
         "AMD Radeon RX 6900 XT",
         Enables{.gfx = true, .vram = true, .power = true},
         {{1007, "500"}, {1008, "2499"}, {1011, "0"}, {1010, "1000"}, {1012, "100"}},
         {{1007, "600"}, {1008, "2600"}, {1010, "1050"}, {1012, "105"}},
         {od + "s 0 600\n", od + "c\n", od + "s 1 2600\n", od + "c\n", od + "m 1 1050\n", od + "c\n",
          Cap("hwmon5", "303000000")},
         {{1007, "600"}, {1008, "2600"}, {1011, "0"}, {1010, "1050"}, {1012, "105"}},
         std::nullopt,
         {od + "r\n", Cap("hwmon5", "289000000")},
         {}},
        // Captured with its cap (120 W) above the default (100 W): Reset takes it to the default.
        {"rx6600",
         CaptureTree("rx6600"),
         "AMD Radeon Graphics [1002:73FF]",
         Enables{.gfx = true, .vram = true, .power = true},
         {{1007, "2600"}, {1008, "2700"}, {1011, "0"}, {1010, "925"}, {1012, "120"}},
         {{1008, "2750"}, {1010, "950"}, {1012, "110"}},
         {od + "s 1 2750\n", od + "c\n", od + "m 1 950\n", od + "c\n", Cap("hwmon4", "110000000")},
         {{1007, "2600"}, {1008, "2750"}, {1011, "0"}, {1010, "950"}, {1012, "110"}},
         std::nullopt,
         {od + "r\n", Cap("hwmon4", "100000000")},
         {{1012, "100"}}},
        {"rx7800xt",
         CaptureTree("rx7800xt"),
         "AMD Radeon Graphics [1002:747E]",
         Enables{.gfx = true, .vram = true, .power = true, .fan = true, .zeroRpm = true},
         {{1007, "500"}, {1008, "2660"}, {1011, "0"}, {1010, "1300"}, {1012, "100"}},
         {{1007, "2700"}, {1008, "2800"}, {1010, "1400"}, {1012, "110"}},
         {od + "s 1 2700\n", od + "s 0 2700\n", od + "c\n", od + "s 1 2800\n", od + "c\n", od + "m 1 1400\n",
          od + "c\n", Cap("hwmon4", "260000000")},
         {{1007, "2700"}, {1008, "2800"}, {1011, "0"}, {1010, "1400"}, {1012, "110"}},
         FanRow{FanEdits({"35", "45", "60", "80", "100", "30", "45", "60", "75", "90"}),
                kZeroCurve,
                true,
                false,
                {curve + "0 30 35\n", curve + "1 45 45\n", curve + "2 60 60\n", curve + "3 75 80\n",
                 curve + "4 90 100\n", curve + "c\n", Cap("hwmon4", "260000000"), zero + "0\n", zero + "c\n",
                 Cap("hwmon4", "260000000")}},
         {od + "r\n", Cap("hwmon4", "236000000")},
         {}},
        {"rx7900xtx",
         CaptureTree("rx7900xtx"),
         "AMD Radeon Graphics [1002:744C]",
         Enables{.gfx = true, .vram = true, .power = true, .fan = true},
         {{1007, "500"}, {1008, "2735"}, {1011, "0"}, {1010, "1250"}, {1012, "100"}},
         {{1008, "3000"}, {1010, "1300"}, {1012, "95"}},
         {od + "s 1 3000\n", od + "c\n", od + "m 1 1300\n", od + "c\n", Cap("hwmon8", "276000000")},
         {{1007, "500"}, {1008, "3000"}, {1011, "0"}, {1010, "1300"}, {1012, "95"}},
         FanRow{FanEdits({"15", "30", "50", "75", "100", "25", "40", "55", "70", "85"}),
                kZeroCurve,
                false,
                false,
                {curve + "0 25 15\n", curve + "1 40 30\n", curve + "2 55 50\n", curve + "3 70 75\n",
                 curve + "4 85 100\n", curve + "c\n", Cap("hwmon8", "276000000")}},
         {od + "r\n", Cap("hwmon8", "290000000")},
         {}},
        // Its cap (120 W) is 39 % of the default (304 W); RDNA4 offers a clock offset only, so the
        // engine clock edits are off.
        {"rx9070xt",
         CaptureTree("rx9070xt"),
         "AMD Radeon Graphics [1002:7550]",
         Enables{.vram = true, .power = true, .fan = true, .zeroRpm = true},
         {{1010, "1259"}, {1012, "39"}},
         {{1010, "1400"}, {1012, "100"}},
         // The cap it ran is written again after the commit, before the new one.
         {od + "m 1 1400\n", od + "c\n", Cap("hwmon5", "120000000"), Cap("hwmon5", "304000000")},
         {{1010, "1400"}, {1012, "100"}},
         FanRow{FanEdits({"30", "40", "55", "75", "100", "30", "45", "60", "75", "95"}),
                kZeroCurve,
                false,
                true,
                {curve + "0 30 30\n", curve + "1 45 40\n", curve + "2 60 55\n", curve + "3 75 75\n",
                 curve + "4 95 100\n", curve + "c\n", zero + "1\n", zero + "c\n"}},
         {od + "r\n"},
         {{1012, "100"}}},
        {"phoenix",
         CaptureTree("phoenix"),
         "AMD Radeon 780M Graphics",
         Enables{.gfx = true},
         {{1007, "800"}, {1008, "2700"}, {1011, "0"}},
         {{1007, "1000"}},
         {Level("manual"), od + "s 0 1000\n", od + "c\n"},
         {{1007, "1000"}, {1008, "2700"}, {1011, "0"}},
         std::nullopt,
         {od + "r\n", od + "c\n", Level("auto")},
         {}},
        // Overdrive off: only the power cap. 16.5 W is set as 17 W, which is 113 % of 15 W.
        {"vangogh",
         CaptureTree("vangogh"),
         "AMD Radeon Graphics [1002:163F]",
         Enables{.power = true},
         {{1012, "100"}},
         {{1012, "110"}},
         {Cap("hwmon4", "17000000")},
         {{1012, "113"}},
         std::nullopt,
         {Cap("hwmon4", "15000000")},
         {}},
    };
    rows.insert(rows.end(), captures.begin(), captures.end());
    return rows;
}

class WindowOnCard : public AmdgpuWindowTest, public ::testing::WithParamInterface<CardRow> {
protected:
    // Every write since the last call, as "<path in the device folder>: <bytes>", refusals marked.
    Commands Written() {
        Commands lines;
        const std::string prefix = KernelModel::DevicePath(0, "") + "/";
        for (const auto& w : Model().Writes()) {
            std::string line = w.path.rfind(prefix, 0) == 0 ? w.path.substr(prefix.size()) : w.path;
            line += ": " + w.bytes;
            if (w.error != 0) line += " refused " + std::to_string(w.error);
            lines.push_back(line);
        }
        Model().ClearWrites();
        return lines;
    }
    void ExpectShown(int page, const Values& values, const char* when) {
        for (const auto& [id, text] : values)
            EXPECT_EQ(Text(page, id).toStdString(), text) << id << " " << when;
    }
    void ExpectFan(const std::vector<std::string>& speedsThenTemperatures, const char* when) {
        for (std::size_t i = 0; i < kFanEdits.size(); ++i)
            EXPECT_EQ(Text(kFanPage, kFanEdits[i]).toStdString(), speedsThenTemperatures[i])
                << kFanEdits[i] << " " << when;
    }
};

TEST_P(WindowOnCard, ShowsSetsAndResetsWhatTheKernelKeeps) {
    const CardRow& row = GetParam();
    if (!std::filesystem::is_directory(row.tree)) GTEST_SKIP() << NoCapture(row.tree);
    Start({row.tree});
    EXPECT_EQ(GpuList(), QStringList{QString::fromStdString(row.gpuList)});

    for (int id : {1007, 1008, 1011}) EXPECT_EQ(Enabled(kTuningPage, id), row.enabled.gfx) << id;
    EXPECT_EQ(Enabled(kTuningPage, 1010), row.enabled.vram);
    EXPECT_EQ(Enabled(kTuningPage, 1012), row.enabled.power);
    EXPECT_FALSE(Enabled(kTuningPage, 1013)) << "the kernel has no memory timing levels";
    EXPECT_FALSE(Enabled(kTuningPage, 1014)) << "the kernel has no TDC limit";
    for (int id : kFanEdits) EXPECT_EQ(Enabled(kFanPage, id), row.enabled.fan) << id;
    EXPECT_EQ(Enabled(kFanPage, 1035), row.enabled.zeroRpm);
    ExpectShown(kTuningPage, row.shown, "at start");
    if (row.fanRow) {
        ExpectFan(row.fanRow->shown, "at start");
        EXPECT_EQ(Checked(kFanPage, 1035), row.fanRow->zeroRpmShown);
    }
    Written();

    for (const auto& [id, text] : row.edits) SetText(kTuningPage, id, QString::fromStdString(text));
    Press(1002);
    EXPECT_EQ(Written(), row.set) << "Set on the Tuning page";
    EXPECT_FALSE(Model().Uncommitted(0)) << "Set left staged values the card does not run";
    ExpectShown(kTuningPage, row.after, "after Set");

    if (row.fanRow) {
        ShowPage(kFanPage);
        for (const auto& [id, text] : row.fanRow->edits) SetText(kFanPage, id, QString::fromStdString(text));
        SetChecked(kFanPage, 1035, row.fanRow->zeroRpmWanted);
        Press(1002);
        EXPECT_EQ(Written(), row.fanRow->commands) << "Set on the Fan page";
        EXPECT_FALSE(Model().Uncommitted(0));
        std::vector<std::string> wanted;
        for (const auto& [id, text] : row.fanRow->edits) wanted.push_back(text);
        ExpectFan(wanted, "after Set");
        if (row.enabled.zeroRpm) {
            EXPECT_EQ(Checked(kFanPage, 1035), row.fanRow->zeroRpmWanted);
        }
        ShowPage(kTuningPage);
    }

    Press(1003);
    EXPECT_EQ(Written(), row.reset) << "Reset";
    EXPECT_FALSE(Model().Uncommitted(0));
    Values afterReset = row.shown;
    for (const auto& [id, text] : row.afterReset) {
        for (auto& shown : afterReset)
            if (shown.first == id) shown.second = text;
    }
    ExpectShown(kTuningPage, afterReset, "after Reset");
    if (row.fanRow) {
        // The reset of the overdrive table takes the fan settings back too (RDNA3 and later).
        ExpectFan(row.fanRow->shown, "after Reset");
        EXPECT_EQ(Checked(kFanPage, 1035), row.fanRow->zeroRpmShown);
    }
}

INSTANTIATE_TEST_SUITE_P(Cards, WindowOnCard, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return info.param.name; });

class WindowOnCards : public AmdgpuWindowTest {};

TEST_F(WindowOnCards, TheBootCardIsPrimaryAmongSeveral) {
    Start({FixtureTree("apu"), FixtureTree("navi3x")});
    EXPECT_EQ(GpuList(), (QStringList{"AMD Radeon 680M", "AMD Radeon RX 7600 - Primary"}));
    EXPECT_EQ(Text(kTuningPage, 1008), "2200");
    SelectGpu(1);
    EXPECT_EQ(Text(kTuningPage, 1008), "2655");
    EXPECT_TRUE(Enabled(kFanPage, 1023));
}

// The runtime says it once per process; ctest runs every test in a process of its own.
TEST_F(WindowOnCards, OverdriveOffSaysWhyOnStandardError) {
    ::testing::internal::CaptureStderr();
    Start({FixtureTree("overdrive-off")});
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("ppfeaturemask"), std::string::npos) << said;
    EXPECT_FALSE(Enabled(kTuningPage, 1008));
}

// The RDNA3 and RDNA4 kernels keep a power cap above the default in the overdrive table, which
// power1_cap does not show. The Fan page's Set commits that table without setting the power limit
// again: the cap chosen on the Tuning page stays what the card runs, and what the page shows.
TEST_F(WindowOnCards, Rdna3And4KeepTheChosenPowerCapThroughTheFanPagesSet) {
    for (const char* tree : {"navi3x", "rdna4"}) {
        SCOPED_TRACE(tree);
        Start({FixtureTree(tree)});
        SetText(kTuningPage, 1012, "105");
        Press(1002);
        const long long chosen = Model().EffectivePowerCap(0);
        ShowPage(kFanPage);
        SetChecked(kFanPage, 1035, !Checked(kFanPage, 1035));
        Press(1002);
        ShowPage(kTuningPage);
        EXPECT_EQ(Model().EffectivePowerCap(0), chosen);
        EXPECT_EQ(Model().EffectivePowerCap(0), std::stoll(Model().read(Model().HwmonPath(0, "power1_cap")).text));
        EXPECT_EQ(Text(kTuningPage, 1012), "105");
        TearDown();
    }
}

TEST_F(WindowOnCards, ARefusedWriteLeavesTheCardAsTheKernelLeftIt) {
    Start({FixtureTree("navi2x")});
    Model().FailNextWrite(EPERM, "pp_od_clk_voltage");
    SetText(kTuningPage, 1008, "2650");
    Press(1002);
    EXPECT_EQ(Text(kTuningPage, 1008), "2581");
    EXPECT_FALSE(Model().Uncommitted(0));
}

// The Display page lists each connected connector under its monitor's name; the kernel offers
// none of the page's settings, so every setting control is off. Only a machine without a
// connected monitor hears "no display found?!?".
struct DisplayRow {
    std::string name;
    std::filesystem::path tree;
    QStringList displays;
};
void PrintTo(const DisplayRow& row, std::ostream* os) { *os << row.name; }

class DisplaysOnCard : public AmdgpuWindowTest, public ::testing::WithParamInterface<DisplayRow> {
protected:
    QStringList Displays() {
        QStringList items;
        auto* combo = Dlg().Combo(kDisplayPage, 1087);
        for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
        return items;
    }
    void ExpectNoDisplaySetting() {
        for (int id : {1080, 1081, 1082, 1083, 1084, 1085, 1086})
            EXPECT_FALSE(Enabled(kDisplayPage, id)) << id;
    }
    int NoDisplayMessages() {
        return static_cast<int>(std::count_if(prompts.messages.begin(), prompts.messages.end(),
                                              [](const auto& m) { return m.text == "no display found?!?"; }));
    }
};

TEST_P(DisplaysOnCard, ListsTheConnectedMonitorsAndOffersNoSetting) {
    const DisplayRow& row = GetParam();
    if (!std::filesystem::is_directory(row.tree)) GTEST_SKIP() << NoCapture(row.tree);
    Start({row.tree});
    EXPECT_EQ(Displays(), row.displays);
    EXPECT_EQ(NoDisplayMessages(), row.displays.isEmpty() ? 1 : 0);
    // Without a display the program probes nothing and leaves the controls as they were.
    if (row.displays.isEmpty()) return;
    ExpectNoDisplaySetting();
    if (row.displays.size() < 2) return;

    ShowPage(kDisplayPage);
    Select(Dlg().Combo(kDisplayPage, 1087), 1);
    EXPECT_EQ(Displays(), row.displays);
    ExpectNoDisplaySetting();
    EXPECT_EQ(NoDisplayMessages(), 0);
    EXPECT_TRUE(Model().Writes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cards, DisplaysOnCard,
    ::testing::Values(DisplayRow{"Navi2x", FixtureTree("navi2x"), {"DP-1", "TACHYON T27 (DP-2)"}},
                      DisplayRow{"rx6900xt", CaptureTree("rx6900xt"), {"DP-2"}},
                      DisplayRow{"NoConnector", FixtureTree("polaris"), {}}),
    [](const auto& info) { return info.param.name; });

TEST_F(WindowOnCards, EveryGpuSelectionListsTheMonitorsOfEveryCardWithoutAFalseAlarm) {
    Start({FixtureTree("apu"), FixtureTree("navi2x")});
    SelectGpu(1);
    auto* displays = Dlg().Combo(kDisplayPage, 1087);
    ASSERT_EQ(displays->count(), 2);
    EXPECT_EQ(displays->itemText(1), "TACHYON T27 (DP-2)");
    for (const auto& m : prompts.messages) EXPECT_NE(m.text, "no display found?!?");
}

TEST_F(WindowOnCards, ACardThatDisappearsLeavesThePageAsItWas) {
    Start({FixtureTree("navi3x")});
    Model().RemoveCard(0);
    SetText(kTuningPage, 1008, "2700");
    Press(1002);
    Press(1003);
    for (const auto& w : Model().Writes()) EXPECT_EQ(w.error, ENOENT) << w.path << " " << w.bytes;
}

}  // namespace
