// SPDX-License-Identifier: GPL-3.0-or-later
// The privileged writer, run as a program against a temporary tree: what it refuses, with which
// exit status and message, and that a refused request leaves every file as it was.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WriterRules.h"
#include "WriterTree.h"

namespace {

namespace fs = std::filesystem;

struct Refusal {
    std::string card;
    std::string attribute;
    std::string value;
    int exitStatus;
    std::string message;  // a part of the line on standard error
};

class WriterProgram : public ::testing::Test {
protected:
    RunResult write(const std::string& card, const std::string& attribute, const std::string& value) {
        return runProgram(binDir() + "/tachyon-sysfs-writer-test", {card, attribute, value},
                          {{"TACHYON_WRITER_TEST_ROOT", tree.root().string()}});
    }
    // Every tuning file of the tree, so a refusal can be shown to have touched none.
    std::vector<std::string> everyFile() const {
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(tree.root())) {
            if (entry.is_regular_file() && !entry.is_symlink() && entry.path().filename() != "uevent") {
                files.push_back(entry.path().string() + "=" + tree.contents(entry.path()));
            }
        }
        return files;
    }
    WriterTree tree;
};

TEST_F(WriterProgram, EveryRequestOutsideItsRulesIsRefusedWithItsOwnStatusAndNothingIsWritten) {
    const std::string overlong = "s 1 " + std::string(130, '1');
    const std::vector<Refusal> refusals{
        // The card number: digits only, bounded, no leading zero.
        {"a", "pp_od_clk_voltage", "c", 2, "card number \"a\" refused"},
        {"", "pp_od_clk_voltage", "c", 2, "card number"},
        {"00", "pp_od_clk_voltage", "c", 2, "card number"},
        {"1000", "pp_od_clk_voltage", "c", 2, "card number"},
        {"-1", "pp_od_clk_voltage", "c", 2, "card number"},
        {"0/../1", "pp_od_clk_voltage", "c", 2, "card number"},
        {"0 ", "pp_od_clk_voltage", "c", 2, "card number"},
        // The attribute: the fixed list only, no way out of the card's folder.
        {"0", "pp_power_profile_mode", "1", 3, "not one of the tuning files"},
        {"0", "../../../../etc/passwd", "c", 3, "not one of the tuning files"},
        {"0", "gpu_od/fan_ctrl/../../pp_od_clk_voltage", "c", 3, "not one of the tuning files"},
        {"0", "./pp_od_clk_voltage", "c", 3, "not one of the tuning files"},
        {"0", "pp_od_clk_voltage/", "c", 3, "not one of the tuning files"},
        {"0", "hwmon/hwmon3/pwm1", "255", 3, "not one of the tuning files"},
        {"0", "hwmon/hwmon3/pwm1_enable", "1", 3, "not one of the tuning files"},
        {"0", "gpu_od/fan_ctrl/fan_minimum_pwm", "0", 3, "not one of the tuning files"},
        {"0", "hwmon/hwmon03/power1_cap", "1", 3, "not one of the tuning files"},
        {"0", "hwmon/hwmon/power1_cap", "1", 3, "not one of the tuning files"},
        {"0", "hwmon/hwmon3/../hwmon3/power1_cap", "1", 3, "not one of the tuning files"},
        {"0", "/sys/class/drm/card0/device/pp_od_clk_voltage", "c", 3, "not one of the tuning files"},
        // The value: the attribute's grammar, single spaces, no octal-looking numbers.
        {"0", "pp_od_clk_voltage", "s 1  2000", 4, "refused: not a command"},
        {"0", "pp_od_clk_voltage", " s 1 2000", 4, "refused: not a command"},
        {"0", "pp_od_clk_voltage", "s 1 2000 ", 4, "refused: not a command"},
        {"0", "pp_od_clk_voltage", "s 1 2000\nc", 4, "\"s 1 2000\\x0ac\""},
        {"0", "pp_od_clk_voltage", "s 1 2000\n", 4, "refused: not a command"},
        {"0", "pp_od_clk_voltage", "s 1\t2000", 4, "refused: not a command"},
        {"0", "pp_od_clk_voltage", "s 01 2000", 4, "refused: not a command"},
        {"0", "pp_od_clk_voltage", "s 1 02000", 4, "refused: not a command"},
        {"0", "pp_od_clk_voltage", "s 1 0x7d0", 4, "refused: not a command"},
        {"0", "pp_od_clk_voltage", "s 1 -2000", 4, "refused: not a command"},
        {"0", "pp_od_clk_voltage", "vo -0", 4, "refused: not a command"},
        {"0", "pp_od_clk_voltage", "m 1 2000 900 5", 4, "refused: not a command"},
        {"0", "pp_od_clk_voltage", "c 1", 4, "refused: not a command"},
        {"0", "pp_od_clk_voltage", "x", 4, "refused: not a command"},
        {"0", "pp_od_clk_voltage", "", 4, "refused: not a command"},
        {"0", "pp_od_clk_voltage", overlong, 4, "longer than 126 bytes"},
        {"0", "hwmon/hwmon3/power1_cap", "-1", 4, "refused: not a command"},
        {"0", "hwmon/hwmon3/power1_cap", "0200000000", 4, "refused: not a command"},
        {"0", "hwmon/hwmon3/power1_cap", "12345678901", 4, "refused: not a command"},
        {"0", "pp_od_clk_voltage", "vc 1 -2000 900", 4, "refused: not a command"},
        {"0", "gpu_od/fan_ctrl/fan_zero_rpm_enable", "2", 4, "refused: not a command"},
        {"0", "gpu_od/fan_ctrl/fan_curve", "1 40", 4, "refused: not a command"},
        {"0", "gpu_od/fan_ctrl/fan_curve", "1 40 030", 4, "refused: not a command"},
        {"0", "power_dpm_force_performance_level", "manualx", 4, "refused: not a command"},
        {"0", "power_dpm_force_performance_level", "Manual", 4, "refused: not a command"},
        {"0", "power_dpm_force_performance_level", "profile_exit", 4, "refused: not a command"},
        {"0", "power_dpm_force_performance_level", "perf_determinism", 4, "refused: not a command"},
        {"0", "power_dpm_force_performance_level", "manual auto", 4, "refused: not a command"},
        {"0", "power_dpm_force_performance_level", "c", 4, "refused: not a command"},
        // The files: only an amdgpu card's own, reached without a link out of its folder.
        {"7", "pp_od_clk_voltage", "c", 5, "card7 has no device folder"},
        {"1", "pp_od_clk_voltage", "c", 5, "not driven by amdgpu"},
        {"2", "pp_od_clk_voltage", "c", 5, "lies outside"},
        {"3", "gpu_od/fan_ctrl/fan_curve", "c", 6, "is a link"},
        {"0", "hwmon/hwmon9/power1_cap", "1", 6, "missing or a link"},
        {"3", "gpu_od/fan_ctrl/fan_zero_rpm_enable", "c", 6, "not a plain file"},
        {"0", "hwmon/hwmon4/power1_cap", "1", 6, "missing or a link"},
    };
    const std::vector<std::string> before = everyFile();
    for (const Refusal& r : refusals) {
        SCOPED_TRACE("card \"" + r.card + "\" attribute \"" + r.attribute + "\" value \"" + r.value + "\"");
        const RunResult result = write(r.card, r.attribute, r.value);
        EXPECT_EQ(result.exitStatus, r.exitStatus);
        EXPECT_NE(result.err.find(r.message), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "one line: " << result.err;
        EXPECT_NE(result.out, "0\n");
    }
    EXPECT_EQ(everyFile(), before);
}

TEST_F(WriterProgram, AnAcceptedCommandIsWrittenWithOneNewlineAndAnswersZero) {
    struct Write {
        std::string attribute;
        std::string value;
    };
    for (const Write& w : std::vector<Write>{{"pp_od_clk_voltage", "s 1 2000"},
                                             {"hwmon/hwmon3/power1_cap", "250000000"},
                                             {"gpu_od/fan_ctrl/fan_curve", "4 100 100"},
                                             {"gpu_od/fan_ctrl/fan_zero_rpm_enable", "0"},
                                             {"power_dpm_force_performance_level", "manual"}}) {
        const RunResult result = write("0", w.attribute, w.value);
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(result.out, "0\n");
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(tree.contents(tree.device() / w.attribute), w.value + "\n");
    }
}

TEST_F(WriterProgram, TheKernelsRefusalComesBackAsItsErrno) {
    // A file size limit of zero makes the write itself fail with EFBIG, as a kernel refusal would;
    // the answers go through a pipe, which the limit does not touch.
    const RunResult result = runProgram(
        "/bin/sh",
        {"-c", "( ulimit -f 0; trap '' XFSZ; \"$0\" 0 pp_od_clk_voltage c; echo \"status $?\" ) 2>&1 | cat",
         binDir() + "/tachyon-sysfs-writer-test"},
        {{"TACHYON_WRITER_TEST_ROOT", tree.root().string()}});
    EXPECT_NE(result.out.find("27\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("status 7\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("the kernel refused c: pp_od_clk_voltage: File too large (errno 27)"),
              std::string::npos)
        << result.out;
    EXPECT_EQ(tree.contents(tree.device() / "pp_od_clk_voltage"), "");
}

TEST_F(WriterProgram, TheInstalledWriterTakesNoRootFromItsEnvironment) {
    const RunResult result =
        runProgram(std::string(TACHYON_AMDGPU_DIR) + "/tachyon-sysfs-writer", {"0", "pp_od_clk_voltage", "c"},
                   {{"TACHYON_WRITER_TEST_ROOT", tree.root().string()}});
    EXPECT_NE(result.exitStatus, 0);
    EXPECT_EQ(tree.contents(tree.device() / "pp_od_clk_voltage"), "");
    if (!fs::exists("/sys/class/drm/card0")) {
        EXPECT_NE(result.err.find("card0 has no device folder"), std::string::npos) << result.err;
    }
}

TEST_F(WriterProgram, ASessionAnswersEveryLineInOrderAndRefusesBrokenLinesWithoutLosingStep) {
    std::string input = "0 pp_od_clk_voltage s 1 2000\n";
    input += "0 pp_power_profile_mode 1\n";
    input += std::string("0 gpu_od/fan_ctrl/fan_curve 1 40\0 30\n", 37);
    input += std::string(600, 'x') + "\n";
    input += "0 gpu_od/fan_ctrl/fan_curve 1 40 30\n";
    input += "nonsense\n";
    input += "0 hwmon/hwmon3/power1_cap 200000000\n";
    const RunResult result = runProgram(binDir() + "/tachyon-sysfs-writer-test", {"--session"},
                                        {{"TACHYON_WRITER_TEST_ROOT", tree.root().string()}}, input);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "ready\n0\n1\n22\n22\n0\n22\n0\n");
    EXPECT_EQ(tree.contents(tree.device() / "pp_od_clk_voltage"), "s 1 2000\n");
    EXPECT_EQ(tree.contents(tree.device() / "gpu_od/fan_ctrl/fan_curve"), "1 40 30\n");
    EXPECT_EQ(tree.contents(tree.device() / "hwmon/hwmon3/power1_cap"), "200000000\n");
    EXPECT_EQ(tree.contents(tree.device() / "power_dpm_force_performance_level"), "");
    EXPECT_NE(result.err.find("\\x00"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("longer than 512 bytes"), std::string::npos) << result.err;
}

TEST(WriterRules, EveryCommandTheRuntimeSendsIsAccepted) {
    using tachyon_writer::checkRequest;
    using tachyon_writer::Verdict;
    const std::vector<std::pair<std::string, std::string>> accepted{
        {"pp_od_clk_voltage", "s 0 500"},
        {"pp_od_clk_voltage", "s 7 1340 1150"},
        {"pp_od_clk_voltage", "m 2 2000 950"},
        {"pp_od_clk_voltage", "m 1 1750"},
        {"pp_od_clk_voltage", "vc 2 2100 1100"},
        {"pp_od_clk_voltage", "vo -100"},
        {"pp_od_clk_voltage", "vo 0"},
        {"pp_od_clk_voltage", "s -500"},
        {"pp_od_clk_voltage", "s 250"},
        {"pp_od_clk_voltage", "p 0 1 3500"},
        {"pp_od_clk_voltage", "c"},
        {"pp_od_clk_voltage", "r"},
        {"gpu_od/fan_ctrl/fan_curve", "0 25 30"},
        {"gpu_od/fan_ctrl/fan_curve", "c"},
        {"gpu_od/fan_ctrl/fan_zero_rpm_enable", "1"},
        {"gpu_od/fan_ctrl/fan_zero_rpm_enable", "c"},
        {"pp_od_clk_voltage", "vc 0 -30"},
        {"pp_od_clk_voltage", "vc 5 0"},
        {"hwmon/hwmon12/power1_cap", "0"},
        {"hwmon/hwmon0/power1_cap", "340000000"},
        {"power_dpm_force_performance_level", "manual"},
        {"power_dpm_force_performance_level", "auto"},
        {"power_dpm_force_performance_level", "profile_peak"},
    };
    for (const auto& [attribute, value] : accepted) {
        EXPECT_EQ(checkRequest("12", attribute, value).verdict, Verdict::Accepted)
            << attribute << " " << value;
    }
    EXPECT_EQ(checkRequest("0", "pp_od_clk_voltage", std::string("s 1 2000\0", 9)).verdict,
              Verdict::BadValue);
}

}  // namespace
