// SPDX-License-Identifier: GPL-3.0-or-later
// --apply on the amdgpu runtime: a profile reaches a Navi3x card of the kernel model as the
// kernel's commands, the read-back shows what the card kept, a value the kernel refuses makes
// the exit status 1; and for a user who is not root, a cancelled authentication writes nothing.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "AmdgpuModule.h"
#include "AttributesControl.h"
#include "KernelModel.h"
#include "PrivilegedAttributes.h"
#include "app/ApplyCommand.h"
#include "device/ADLXHelper.h"
#include "profile/ProfileFormat.h"

namespace {

// The real files as a user sees them: the model's texts, every write refused.
class UserView : public amdgpu::Attributes {
public:
    explicit UserView(amdgpu::Attributes& files) : m_files(files) {}
    amdgpu::ReadResult read(const std::string& path) override { return m_files.read(path); }
    int write(const std::string&, std::string_view) override { return EACCES; }
    int list(const std::string& dir, std::vector<std::string>& names) override {
        return m_files.list(dir, names);
    }

private:
    amdgpu::Attributes& m_files;
};

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class ApplyOnAmdgpu : public ::testing::Test {
protected:
    void SetUp() override {
        model = kernelmodel::KernelModel::FromTrees({std::string(TACHYON_AMDGPU_FIXTURES) + "/navi3x"});
        ASSERT_TRUE(model);
        ASSERT_EQ(runtime.error(), "");
    }

    // The Navi3x card (PCI 1002:7480, revision CF) with new clocks, power and fan curve.
    static ProfileValues Navi3xProfile() {
        return {.devId = "7480",
                .revId = "CF",
                .powerOffset = "5",
                .minEngineClock = "800",
                .maxEngineClock = "2500",
                .engineVoltage = "0",
                .maxMemoryClock = "1200",
                .memoryTiming = "0",
                .zeroRpm = false,
                .fanTemperature = {"40", "55", "65", "80", "95"},
                .fanSpeed = {"25", "35", "50", "75", "100"}};
    }

    Outcome Apply(amdgpu::Attributes& seam, const ProfileValues& values) {
        const QString path = folder.filePath(QStringLiteral("navi3x.xml"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(ProfileText(values));
        file.close();

        runtime.use(seam);
        Outcome outcome;
        ADLXHelper adlx(TACHYON_AMDGPU_DIR);
        EXPECT_EQ(adlx.StartRuntime(), ADLX_OK) << adlx.LastError();
        HeadlessPrompts prompts(path);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        outcome.status = RunApplyCommand(adlx, prompts, path, std::nullopt);
        outcome.out = testing::internal::GetCapturedStdout();
        outcome.err = testing::internal::GetCapturedStderr();
        adlx.StopRuntime();
        return outcome;
    }

    std::unique_ptr<kernelmodel::KernelModel> model;
    QTemporaryDir folder;

private:
    AmdgpuModule runtime;
};

TEST_F(ApplyOnAmdgpu, TheProfileBecomesTheKernelsCommandsAndTheReadBackShowsThem) {
    const Outcome outcome = Apply(*model, Navi3xProfile());
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    // The card drives no monitor, which --apply has no use for: the window's alarm is not raised.
    EXPECT_EQ(outcome.err.find("no display found"), std::string::npos) << outcome.err;
    EXPECT_EQ(model->AcceptedCommands(0), (std::vector<std::string>{
                                              "pp_od_clk_voltage: s 0 800\\n",
                                              "pp_od_clk_voltage: c\\n",
                                              "pp_od_clk_voltage: s 1 2500\\n",
                                              "pp_od_clk_voltage: c\\n",
                                              "pp_od_clk_voltage: m 1 1200\\n",
                                              "pp_od_clk_voltage: c\\n",
                                              "hwmon/hwmon7/power1_cap: 173000000\\n",
                                              "gpu_od/fan_ctrl/fan_curve: 0 40 25\\n",
                                              "gpu_od/fan_ctrl/fan_curve: 1 55 35\\n",
                                              "gpu_od/fan_ctrl/fan_curve: 2 65 50\\n",
                                              "gpu_od/fan_ctrl/fan_curve: 3 80 75\\n",
                                              "gpu_od/fan_ctrl/fan_curve: 4 95 100\\n",
                                              "gpu_od/fan_ctrl/fan_curve: c\\n",
                                              // RDNA3 may drop the cap at a commit: written again.
                                              "hwmon/hwmon7/power1_cap: 173000000\\n",
                                              "gpu_od/fan_ctrl/fan_zero_rpm_enable: 0\\n",
                                              "gpu_od/fan_ctrl/fan_zero_rpm_enable: c\\n",
                                              "hwmon/hwmon7/power1_cap: 173000000\\n",
                                          }));
    EXPECT_FALSE(model->Uncommitted(0));
    for (const char* line : {"GPU 0: AMD Radeon Graphics [1002:7480]\n", "GFX minimum clock (MHz): 800\n",
                             "GFX maximum clock (MHz): 2500\n", "Memory maximum clock (MHz): 1200\n",
                             "GPU Power (%): 105\n", "Fan point 4 temperature (°C): 95\n", "Zero RPM: 0\n"}) {
        EXPECT_NE(outcome.out.find(line), std::string::npos) << line << outcome.out;
    }
}

TEST_F(ApplyOnAmdgpu, AValueTheKernelRefusesEndsWithStatusOne) {
    ProfileValues values = Navi3xProfile();
    values.maxEngineClock = QStringLiteral("4500");  // beyond OD_RANGE's 4000 MHz
    const Outcome outcome = Apply(*model, values);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.out.find("GFX maximum clock (MHz): 2655 (asked 4500)\n"), std::string::npos)
        << outcome.out;
    EXPECT_NE(outcome.err.find("GFX maximum clock (MHz): asked 4500, the card kept 2655\n"),
              std::string::npos)
        << outcome.err;
    // Everything else of the profile still reached the card.
    EXPECT_NE(outcome.out.find("GFX minimum clock (MHz): 800\n"), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.out.find("Fan point 4 temperature (°C): 95\n"), std::string::npos) << outcome.out;
}

TEST_F(ApplyOnAmdgpu, ForAUserACancelledAuthenticationWritesNothingAndSaysWhy) {
    QTemporaryDir standins;
    const QString pkexec = standins.filePath(QStringLiteral("pkexec"));
    std::ofstream(pkexec.toStdString()) << "#!/bin/sh\necho \"$*\" >> \"$0.log\"\nexit 126\n";
    QFile::setPermissions(pkexec, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    amdgpu::PrivilegedOptions options;
    options.writerPath = std::string(TACHYON_AMDGPU_DIR) + "/../tachyon-sysfs-writer-test";
    options.writerRoot = "/model";
    options.runningAsRoot = false;
    options.pkexecPath = pkexec.toStdString();
    amdgpu::PrivilegedAttributes seam(std::make_unique<UserView>(*model), "/model", options);
    const Outcome outcome = Apply(seam, Navi3xProfile());

    EXPECT_EQ(outcome.status, 1);
    EXPECT_TRUE(model->AcceptedCommands(0).empty());
    QFile log(pkexec + ".log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll().count('\n'), 1) << "one authentication for the whole profile";
    const std::string cancelled =
        "tachyon: authentication was cancelled or refused; the card's settings were not changed\n";
    const std::size_t said = outcome.err.find(cancelled);
    EXPECT_NE(said, std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.err.find(cancelled, said + 1), std::string::npos) << "said once";
    EXPECT_EQ(outcome.err.find("needs root"), std::string::npos) << "the writer's line is the one said";
    // The read-back shows the card as it was.
    EXPECT_NE(outcome.out.find("GFX maximum clock (MHz): 2655 (asked 2500)\n"), std::string::npos)
        << outcome.out;
    EXPECT_NE(outcome.err.find("GFX maximum clock (MHz): asked 2500, the card kept 2655\n"),
              std::string::npos);
}

}  // namespace
