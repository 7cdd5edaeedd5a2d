// SPDX-License-Identifier: GPL-3.0-or-later
// The runtime's way to the writer: a write the real files refuse goes through pkexec (a stand-in
// script named in the options; PATH is never searched) to the writer, with one authentication per
// Set; cancel and failure write nothing, say why once, and do not ask again for the rest of the Set.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <csignal>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "PrivilegedAttributes.h"
#include "WriterTree.h"

namespace {

namespace fs = std::filesystem;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

// The real files as a user sees them: readable, every write refused with EACCES.
class UserFiles : public amdgpu::Attributes {
public:
    explicit UserFiles(int answer, std::vector<std::string>* tried) : m_answer(answer), m_tried(tried) {}
    amdgpu::ReadResult read(const std::string& path) override { return {0, "read " + path}; }
    int write(const std::string& path, std::string_view command) override {
        m_tried->push_back(path + ": " + std::string(command));
        return m_answer;
    }
    int list(const std::string&, std::vector<std::string>& names) override {
        names = {"card0"};
        return 0;
    }

private:
    int m_answer;
    std::vector<std::string>* m_tried;
};

std::string fileText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class PrivilegedWrites : public ::testing::Test {
protected:
    void SetUp() override {
        m_standins = tree.root().parent_path() / "standins";
        fs::create_directories(m_standins);
        const fs::path pkexec = m_standins / "pkexec";
        std::ofstream(pkexec)
            << "#!/bin/sh\n"
               "echo \"$*\" >> \"$STANDIN_LOG\"\n"
               "case \"${STANDIN_ANSWER:-}\" in\n"
               "  cancel) exit 126 ;;\n"
               "  fail) exit 127 ;;\n"
               "esac\n"
               "if [ -n \"${STANDIN_REQUESTS:-}\" ]; then tee -a \"$STANDIN_REQUESTS\" | \"$@\"; "
               "exit; fi\n"
               "exec \"$@\"\n";
        fs::permissions(pkexec, fs::perms::owner_all);
        ::setenv("STANDIN_LOG", log().c_str(), 1);
        ::setenv("TACHYON_WRITER_TEST_ROOT", tree.root().c_str(), 1);
    }
    void TearDown() override {
        for (const char* name : {"STANDIN_LOG", "STANDIN_ANSWER", "STANDIN_REQUESTS",
                                 "TACHYON_WRITER_TEST_ROOT", "TACHYON_WRITER_TEST_IDLE_MS"}) {
            ::unsetenv(name);
        }
    }

    std::unique_ptr<amdgpu::PrivilegedAttributes> seam(int innerAnswer = EACCES, bool root = false) {
        amdgpu::PrivilegedOptions options;
        options.writerPath = binDir() + "/tachyon-sysfs-writer-test";
        options.writerRoot = tree.root().string();
        options.runningAsRoot = root;
        options.pkexecPath = (m_standins / "pkexec").string();
        options.now = [this] { return m_now; };
        return std::make_unique<amdgpu::PrivilegedAttributes>(
            std::make_unique<UserFiles>(innerAnswer, &tried), tree.root().string(), options);
    }
    std::string log() const { return (m_standins / "authentications").string(); }
    std::vector<std::string> authentications() const {
        std::vector<std::string> lines;
        std::ifstream in(log());
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    std::string device(const std::string& attribute) const { return fileText(tree.device() / attribute); }
    std::string writerLine() const { return binDir() + "/tachyon-sysfs-writer-test --session"; }

    WriterTree tree;
    std::vector<std::string> tried;
    amdgpu::PrivilegedOptions::Clock::time_point m_now{};
    fs::path m_standins;
};

// The writes of a Set on an RDNA3 card: clock levels and their commit, the power cap, a fan curve
// point and its commit.
const std::vector<std::pair<std::string, std::string>> kSet{
    {"class/drm/card0/device/pp_od_clk_voltage", "s 0 500\n"},
    {"class/drm/card0/device/pp_od_clk_voltage", "s 1 2500\n"},
    {"class/drm/card0/device/pp_od_clk_voltage", "c\n"},
    {"class/drm/card0/device/hwmon/hwmon3/power1_cap", "250000000\n"},
    {"class/drm/card0/device/gpu_od/fan_ctrl/fan_curve", "4 90 100\n"},
    {"class/drm/card0/device/gpu_od/fan_ctrl/fan_curve", "c\n"},
};

TEST_F(PrivilegedWrites, OneAuthenticationServesEverySetAndTheWriterReceivesExactlyTheCommands) {
    const fs::path requests = m_standins / "requests";
    ::setenv("STANDIN_REQUESTS", requests.c_str(), 1);
    {
        auto attributes = seam();
        for (const auto& [path, command] : kSet) EXPECT_EQ(attributes->write(path, command), 0) << path;
        EXPECT_EQ(authentications(), std::vector<std::string>{writerLine()});
        // A second Set goes down the same session.
        EXPECT_EQ(attributes->write(kSet[1].first, "s 1 2400\n"), 0);
        EXPECT_EQ(authentications().size(), 1u);
        EXPECT_EQ(attributes->read("class/drm/card0/device/pp_od_clk_voltage").text,
                  "read class/drm/card0/device/pp_od_clk_voltage");
    }  // the session ends with the seam
    EXPECT_EQ(fileText(requests),
              "0 pp_od_clk_voltage s 0 500\n"
              "0 pp_od_clk_voltage s 1 2500\n"
              "0 pp_od_clk_voltage c\n"
              "0 hwmon/hwmon3/power1_cap 250000000\n"
              "0 gpu_od/fan_ctrl/fan_curve 4 90 100\n"
              "0 gpu_od/fan_ctrl/fan_curve c\n"
              "0 pp_od_clk_voltage s 1 2400\n");
    EXPECT_EQ(tried.size(), kSet.size() + 1) << "the real files are always tried first";
    EXPECT_EQ(device("hwmon/hwmon3/power1_cap"), "250000000\n");
    // Each write starts at the file's beginning, as a kernel attribute takes it.
    EXPECT_EQ(device("gpu_od/fan_ctrl/fan_curve"), "c\n90 100\n");
}

TEST_F(PrivilegedWrites, CancelOrFailedAuthenticationWritesNothingSaysWhyOnceAndAsksAgainOnlyAfterTheSet) {
    struct Case {
        const char* answer;
        const char* message;
    };
    for (const Case& c : {Case{"cancel", "authentication was cancelled or refused"},
                          Case{"fail", "authentication failed or the privileged writer could not be run"}}) {
        SCOPED_TRACE(c.answer);
        fs::remove(log());
        ::setenv("STANDIN_ANSWER", c.answer, 1);
        auto attributes = seam();
        CaptureStderr();
        for (const auto& [path, command] : kSet) EXPECT_EQ(attributes->write(path, command), EACCES);
        const std::string said = GetCapturedStderr();
        EXPECT_EQ(said, std::string("tachyon: ") + c.message + "; the card's settings were not changed\n");
        EXPECT_EQ(authentications().size(), 1u) << "asked once for the whole Set";
        const std::vector<std::string> notices = attributes->takeNotices();
        ASSERT_EQ(notices.size(), 1u) << "one notice for the window";
        EXPECT_NE(notices[0].find("nothing was written"), std::string::npos) << notices[0];
        EXPECT_TRUE(attributes->takeNotices().empty());
        EXPECT_EQ(device("pp_od_clk_voltage"), "");
        EXPECT_EQ(device("hwmon/hwmon3/power1_cap"), "");

        // The next Set, a little later, asks again; this time the user authenticates.
        m_now += amdgpu::kRefusalMemory;
        ::unsetenv("STANDIN_ANSWER");
        EXPECT_EQ(attributes->write(kSet[3].first, kSet[3].second), 0);
        EXPECT_EQ(authentications().size(), 2u);
        EXPECT_EQ(device("hwmon/hwmon3/power1_cap"), "250000000\n");
        fs::resize_file(tree.device() / "hwmon/hwmon3/power1_cap", 0);
    }
}

TEST_F(PrivilegedWrites, TheWritersAndTheKernelsRefusalsComeBackAsTheirErrno) {
    auto attributes = seam();
    CaptureStderr();
    // Not in the writer's list: refused there with EPERM.
    EXPECT_EQ(attributes->write("class/drm/card0/device/pp_power_profile_mode", "1\n"), EPERM);
    // Outside the grammar: EINVAL, as the kernel would answer.
    EXPECT_EQ(attributes->write("class/drm/card0/device/pp_od_clk_voltage", "s 1 02500\n"), EINVAL);
    // Another driver's card.
    EXPECT_EQ(attributes->write("class/drm/card1/device/pp_od_clk_voltage", "c\n"), EPERM);
    const std::string said = GetCapturedStderr();
    EXPECT_NE(said.find("not one of the tuning files"), std::string::npos) << said;
    EXPECT_NE(said.find("not driven by amdgpu"), std::string::npos) << said;
    EXPECT_EQ(device("power_dpm_force_performance_level"), "");
    // The performance level an APU needs for its edits goes through, in the same session.
    EXPECT_EQ(attributes->write("class/drm/card0/device/power_dpm_force_performance_level", "manual\n"), 0);
    EXPECT_EQ(device("power_dpm_force_performance_level"), "manual\n");
    EXPECT_EQ(authentications().size(), 1u);
}

TEST_F(PrivilegedWrites, WritesTheWriterMustNotTakeNeverReachPkexec) {
    struct Case {
        const char* what;
        int inner;
        bool root;
        std::string path;
        std::string command;
        int expected;
    };
    const std::string od = "class/drm/card0/device/pp_od_clk_voltage";
    for (const Case& c : std::vector<Case>{
             {"the real files took it", 0, false, od, "c\n", 0},
             {"the kernel refused the value itself", EINVAL, false, od, "s 1 99999\n", EINVAL},
             {"running as root", EACCES, true, od, "c\n", EACCES},
             {"not a card's file", EACCES, false, "module/amdgpu/parameters/ppfeaturemask", "0xffffffff\n",
              EACCES},
             {"a second line inside the command", EACCES, false, od, "s 1 2000\nc\n", EINVAL},
             {"a NUL inside the command", EACCES, false, od, std::string("c\0", 2), EINVAL},
         }) {
        auto attributes = seam(c.inner, c.root);
        EXPECT_EQ(attributes->write(c.path, c.command), c.expected) << c.what;
    }
    // A seam over another root (a stand-in tree) is never redirected to the writer's cards.
    amdgpu::PrivilegedOptions options;
    options.writerPath = binDir() + "/tachyon-sysfs-writer-test";
    options.runningAsRoot = false;
    amdgpu::PrivilegedAttributes elsewhere(std::make_unique<UserFiles>(EACCES, &tried), tree.root().string(),
                                           options);
    EXPECT_EQ(elsewhere.write(od, "c\n"), EACCES);

    EXPECT_TRUE(authentications().empty());
    EXPECT_EQ(device("pp_od_clk_voltage"), "");
}

TEST_F(PrivilegedWrites, ASessionThatEndedWhileIdleIsStartedAgainWithANewAuthentication) {
    ::setenv("TACHYON_WRITER_TEST_IDLE_MS", "100", 1);
    auto attributes = seam();
    EXPECT_EQ(attributes->write(kSet[3].first, "100000000\n"), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(attributes->write(kSet[3].first, "200000000\n"), 0);
    EXPECT_EQ(authentications().size(), 2u);
    EXPECT_EQ(device("hwmon/hwmon3/power1_cap"), "200000000\n");
}

TEST_F(PrivilegedWrites, WithoutPkexecTheUserLearnsWhatIsMissing) {
    fs::remove(m_standins / "pkexec");
    auto attributes = seam();
    CaptureStderr();
    EXPECT_EQ(attributes->write(kSet[2].first, "c\n"), EACCES);
    EXPECT_EQ(attributes->write(kSet[3].first, "1\n"), EACCES);
    EXPECT_EQ(
        GetCapturedStderr(),
        "tachyon: changing the card's settings needs root, and pkexec (package pkexec) is not installed; "
        "nothing was written\n");
    ASSERT_EQ(attributes->takeNotices().size(), 1u);
}

// The root process lives as long as the Set that needed it: when the command ends, the writer is
// gone, and the next Set asks again.
TEST_F(PrivilegedWrites, TheSessionEndsWithTheCommandThatStartedIt) {
    const fs::path pidFile = m_standins / "writer.pid";
    std::ofstream(m_standins / "pkexec", std::ios::trunc)
        << "#!/bin/sh\n"
           "echo \"$*\" >> \"$STANDIN_LOG\"\n"
           "echo $$ > \"" << pidFile.string() << "\"\n"
           "exec \"$@\"\n";
    auto attributes = seam();
    EXPECT_EQ(attributes->write(kSet[3].first, "100000000\n"), 0);
    EXPECT_EQ(attributes->write(kSet[3].first, "150000000\n"), 0);
    const pid_t writer = std::stoi(fileText(pidFile));
    EXPECT_EQ(::kill(writer, 0), 0) << "the writer serves the whole Set";
    attributes->commandEnded();
    EXPECT_NE(::kill(writer, 0), 0) << "the writer outlived its Set";
    EXPECT_EQ(attributes->write(kSet[3].first, "200000000\n"), 0);
    EXPECT_EQ(authentications().size(), 2u);
    EXPECT_EQ(device("hwmon/hwmon3/power1_cap"), "200000000\n");
}

// A cancel holds for the rest of its Set however long the Set takes, and no longer.
TEST_F(PrivilegedWrites, ARefusalIsForgottenWhenTheCommandEnds) {
    ::setenv("STANDIN_ANSWER", "cancel", 1);
    auto attributes = seam();
    CaptureStderr();
    EXPECT_EQ(attributes->write(kSet[2].first, "c\n"), EACCES);
    EXPECT_EQ(attributes->write(kSet[3].first, "1\n"), EACCES);
    GetCapturedStderr();
    EXPECT_EQ(authentications().size(), 1u);
    attributes->commandEnded();
    ::unsetenv("STANDIN_ANSWER");
    EXPECT_EQ(attributes->write(kSet[3].first, "250000000\n"), 0);
    EXPECT_EQ(authentications().size(), 2u);
}

}  // namespace
