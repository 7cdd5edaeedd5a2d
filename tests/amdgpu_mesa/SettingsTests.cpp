// SPDX-License-Identifier: GPL-3.0-or-later
// Each Graphics page feature over a temporary home: the bytes it writes, what reads back, and that
// nothing of the user's is lost when a file is broken or cannot be written.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "RecordingReporter.h"
#include "TempHome.h"
#include "mesa/Drirc.h"
#include "mesa/EnvironmentFile.h"

using namespace mesa;
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kHeader = "# Written by Tachyon: the Mesa 3D settings of its Graphics page, read at login.\n";

class MesaSettings : public ::testing::Test {
protected:
    TempHome home;
    RecordingReporter reporter;

    std::string environment() { return fileText(home.environment()).value_or("<missing>"); }
    std::optional<std::string> drircOption(std::string_view name) {
        const auto text = fileText(home.drirc());
        if (!text) return std::nullopt;
        std::string error;
        auto d = DrircDocument::parse(*text, error);
        EXPECT_TRUE(d) << error;
        return d ? d->option(name) : std::nullopt;
    }
    std::string envValue(std::string_view key) {
        return EnvironmentFile::parse(fileText(home.environment()).value_or("")).get(key).value_or("<unset>");
    }
};

}  // namespace

TEST_F(MesaSettings, VSyncModesReachTheDrircAndTheVulkanPresentMode) {
    struct Case {
        int mode;
        std::string vblank, present;
    };
    for (const Case& c : {Case{0, "0", "immediate"}, Case{3, "3", "fifo"}, Case{1, "1", "<unset>"},
                          Case{2, "2", "<unset>"}}) {
        ASSERT_EQ(setVsyncMode(c.mode, reporter), ADLX_OK) << c.mode;
        EXPECT_EQ(drircOption("vblank_mode"), c.vblank) << c.mode;
        EXPECT_EQ(envValue("MESA_VK_WSI_PRESENT_MODE"), c.present) << c.mode;
        int back = -1;
        EXPECT_EQ(vsyncMode(back), ADLX_OK);
        EXPECT_EQ(back, c.mode);
    }
    EXPECT_EQ(setVsyncMode(4, reporter), ADLX_INVALID_ARGS);
    EXPECT_EQ(setVsyncMode(-1, reporter), ADLX_INVALID_ARGS);
    EXPECT_EQ(drircOption("vblank_mode"), "2");
}

TEST_F(MesaSettings, AnUntouchedHomeReadsMesasDefaultsAndASetWithoutChangeWritesNothing) {
    int mode = -1;
    bool on = true;
    int level = 0, fps = 0;
    EXPECT_EQ(vsyncMode(mode), ADLX_OK);
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(enhancedSync(on), ADLX_OK);
    EXPECT_FALSE(on);
    EXPECT_EQ(anisotropicFiltering(on, level), ADLX_OK);
    EXPECT_FALSE(on);
    EXPECT_EQ(level, kDefaultAnisotropicLevel);
    EXPECT_EQ(frameRateTarget(on, fps), ADLX_OK);
    EXPECT_FALSE(on);
    EXPECT_EQ(morphologicalAntiAliasing(on), ADLX_OK);
    EXPECT_FALSE(on);

    // What the window's Set sends back after reading an untouched home.
    EXPECT_EQ(setEnhancedSync(false, reporter), ADLX_OK);
    EXPECT_EQ(setVsyncMode(2, reporter), ADLX_OK);
    EXPECT_EQ(setFrameRateTargetEnabled(false, reporter), ADLX_OK);
    EXPECT_EQ(setMorphologicalAntiAliasing(false, reporter), ADLX_OK);
    EXPECT_EQ(setAnisotropicFiltering(false, reporter), ADLX_OK);
    EXPECT_FALSE(fs::exists(home.drirc()));
    EXPECT_FALSE(fs::exists(home.environment()));
    EXPECT_EQ(reporter.environmentChanges, 0);
}

TEST_F(MesaSettings, TheEnvironmentFileHoldsExactlyTheChosenVulkanSettings) {
    ASSERT_EQ(setEnhancedSync(true, reporter), ADLX_OK);
    ASSERT_EQ(setVsyncMode(1, reporter), ADLX_OK);  // leaves Enhanced Sync its present mode
    ASSERT_EQ(setAnisotropicFiltering(true, reporter), ADLX_OK);
    ASSERT_EQ(setAnisotropicLevel(8, reporter), ADLX_OK);
    ASSERT_EQ(setFrameRateTargetEnabled(true, reporter), ADLX_OK);
    ASSERT_EQ(setFrameRateTarget(144, reporter), ADLX_OK);
    EXPECT_EQ(environment(), std::string(kHeader) +
                                 "MESA_VK_WSI_PRESENT_MODE=mailbox\n"
                                 "RADV_TEX_ANISO=8\n"
                                 "AMD_TEX_ANISO=8\n"
                                 "DXVK_CONFIG=\"dxgi.maxFrameRate=144;d3d9.maxFrameRate=144\"\n");
    EXPECT_EQ(reporter.environmentChanges, 5);  // every call that changed the file; V-Sync 1 did not

    bool on = false;
    int level = 0, fps = 0;
    EXPECT_EQ(enhancedSync(on), ADLX_OK);
    EXPECT_TRUE(on);
    EXPECT_EQ(anisotropicFiltering(on, level), ADLX_OK);
    EXPECT_TRUE(on);
    EXPECT_EQ(level, 8);
    EXPECT_EQ(frameRateTarget(on, fps), ADLX_OK);
    EXPECT_TRUE(on);
    EXPECT_EQ(fps, 144);

    // V-Sync "Always off" takes the one present mode Enhanced Sync had.
    ASSERT_EQ(setVsyncMode(0, reporter), ADLX_OK);
    EXPECT_EQ(enhancedSync(on), ADLX_OK);
    EXPECT_FALSE(on);

    ASSERT_EQ(setAnisotropicFiltering(false, reporter), ADLX_OK);
    ASSERT_EQ(setFrameRateTargetEnabled(false, reporter), ADLX_OK);
    ASSERT_EQ(setVsyncMode(2, reporter), ADLX_OK);
    EXPECT_EQ(environment(), kHeader);
}

TEST_F(MesaSettings, AValueTheFilesCannotHoldIsRefusedAndNothingIsWritten) {
    struct Case {
        const char* what;
        std::function<ADLX_RESULT()> set;
    };
    const std::vector<Case> cases{
        {"anisotropic level 3", [&] { return setAnisotropicLevel(3, reporter); }},
        {"anisotropic level while the applications decide", [&] { return setAnisotropicLevel(8, reporter); }},
        {"frame rate 0", [&] { return setFrameRateTarget(0, reporter); }},
        {"frame rate 1001", [&] { return setFrameRateTarget(1001, reporter); }},
        {"frame rate while off", [&] { return setFrameRateTarget(60, reporter); }},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.set(), ADLX_INVALID_ARGS) << c.what;
        EXPECT_FALSE(fs::exists(home.environment())) << c.what;
    }
    EXPECT_EQ(reporter.environmentChanges, 0);
}

TEST_F(MesaSettings, MorphologicalAntiAliasingKeepsTheUsersOwnQuality) {
    ASSERT_EQ(setMorphologicalAntiAliasing(true, reporter), ADLX_OK);
    EXPECT_EQ(drircOption("pp_jimenezmlaa"), "8");
    writeFile(home.drirc(), "<driconf><device><application name=\"Default\"><option name=\"pp_jimenezmlaa\" "
                            "value=\"4\"/></application></device></driconf>\n");
    ASSERT_EQ(setMorphologicalAntiAliasing(true, reporter), ADLX_OK);
    EXPECT_EQ(drircOption("pp_jimenezmlaa"), "4");
    bool on = false;
    EXPECT_EQ(morphologicalAntiAliasing(on), ADLX_OK);
    EXPECT_TRUE(on);
    ASSERT_EQ(setMorphologicalAntiAliasing(false, reporter), ADLX_OK);
    EXPECT_EQ(drircOption("pp_jimenezmlaa"), std::nullopt);
    EXPECT_EQ(reporter.environmentChanges, 0);  // an OpenGL setting: no login needed
}

TEST_F(MesaSettings, TheUsersOwnDrircContentAndModeAreKept) {
    const std::string users =
        "<?xml version=\"1.0\"?>\n<!-- mine -->\n<driconf>\n  <device driver=\"radeonsi\">\n"
        "    <application name=\"Game\" executable=\"game\">\n      <option name=\"vblank_mode\" value=\"3\"/>\n"
        "    </application>\n  </device>\n</driconf>\n";
    writeFile(home.drirc(), users);
    ::chmod(home.drirc().c_str(), 0600);
    ASSERT_EQ(setVsyncMode(0, reporter), ADLX_OK);
    const std::string after = fileText(home.drirc()).value();
    EXPECT_EQ(after.substr(0, users.rfind("</driconf>")), users.substr(0, users.rfind("</driconf>")));
    EXPECT_EQ(drircOption("vblank_mode"), "0");
    struct stat st{};
    ASSERT_EQ(::stat(home.drirc().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A drirc that is a link to the user's dotfiles stays a link; the target gets the change.
    const fs::path target = home.root() / "dotfiles/drirc";
    writeFile(target, after);
    fs::remove(home.drirc());
    fs::create_symlink(target, home.drirc());
    ASSERT_EQ(setVsyncMode(3, reporter), ADLX_OK);
    EXPECT_TRUE(fs::is_symlink(home.drirc()));
    EXPECT_NE(fileText(target).value().find("<option name=\"vblank_mode\" value=\"3\"/>"), std::string::npos);
}

TEST_F(MesaSettings, AMalformedDrircIsLeftAloneAndItsFeaturesFailTheirSet) {
    const std::string broken = "<driconf>\n  <device>\n    <application name=\"Default\">\n</driconf>\n";
    writeFile(home.drirc(), broken);
    EXPECT_EQ(setVsyncMode(0, reporter), ADLX_FAIL);
    EXPECT_EQ(setMorphologicalAntiAliasing(true, reporter), ADLX_FAIL);
    EXPECT_EQ(fileText(home.drirc()), broken);
    EXPECT_FALSE(fs::exists(home.environment()));  // not half of V-Sync either
    ASSERT_EQ(reporter.problems.size(), 2u);
    EXPECT_NE(reporter.problems[0].find(home.drirc().string() + " is not well-formed XML (line 4"),
              std::string::npos)
        << reporter.problems[0];
    // Mesa ignores the file, so programs get its defaults, and so does the page.
    int mode = -1;
    bool on = true;
    EXPECT_EQ(vsyncMode(mode), ADLX_OK);
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(morphologicalAntiAliasing(on), ADLX_OK);
    EXPECT_FALSE(on);
    // The Vulkan-only features do not depend on it.
    EXPECT_EQ(setEnhancedSync(true, reporter), ADLX_OK);
}

TEST_F(MesaSettings, AHomeThatCannotBeWrittenRefusesWithoutLoss) {
    writeFile(home.drirc(), "<driconf/>\n");
    // environment.d taken by a file: no user, root included, can write below it.
    writeFile(home.home() / ".config/environment.d", "not a folder\n");
    EXPECT_EQ(setEnhancedSync(true, reporter), ADLX_FAIL);
    EXPECT_EQ(setAnisotropicFiltering(true, reporter), ADLX_FAIL);
    EXPECT_EQ(fileText(home.home() / ".config/environment.d"), "not a folder\n");
    EXPECT_EQ(reporter.environmentChanges, 0);
    EXPECT_FALSE(reporter.problems.empty());
    fs::remove(home.home() / ".config/environment.d");

    ASSERT_EQ(setEnhancedSync(true, reporter), ADLX_OK);
    const std::string env = environment();
    fs::permissions(home.home(), fs::perms::owner_read | fs::perms::owner_exec);
    fs::permissions(home.environment().parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(home.environment().parent_path().c_str(), W_OK) == 0)
        GTEST_SKIP() << "this user writes into read-only folders (root): the read-only home is not testable";
    EXPECT_EQ(setVsyncMode(0, reporter), ADLX_FAIL);
    EXPECT_EQ(setEnhancedSync(false, reporter), ADLX_FAIL);
    EXPECT_EQ(fileText(home.drirc()), "<driconf/>\n");
    EXPECT_EQ(environment(), env);
}

TEST_F(MesaSettings, SharpeningAndAntiLagAreOfferedExactlyWhereTheirLayersAreInstalled) {
    bool on = true;
    int sharpness = 0;
    EXPECT_FALSE(sharpeningOffered());
    EXPECT_FALSE(antiLagOffered());
    EXPECT_EQ(sharpening(on, sharpness), ADLX_NOT_SUPPORTED);
    EXPECT_EQ(setSharpeningEnabled(true, reporter), ADLX_NOT_SUPPORTED);
    EXPECT_EQ(setSharpness(50, reporter), ADLX_NOT_SUPPORTED);
    EXPECT_EQ(antiLag(on), ADLX_NOT_SUPPORTED);
    EXPECT_EQ(setAntiLag(true, reporter), ADLX_NOT_SUPPORTED);
    EXPECT_FALSE(fs::exists(home.environment()));
    EXPECT_FALSE(fs::exists(home.vkBasalt()));

    home.installLayer("vkBasalt.json");
    EXPECT_TRUE(sharpeningOffered());
    EXPECT_FALSE(antiLagOffered());
    home.installLayer("VkLayer_MESA_anti_lag.json");
    EXPECT_TRUE(antiLagOffered());
}

TEST_F(MesaSettings, SharpeningWritesOurVkBasaltFileAndPointsTheLayerAtIt) {
    home.installLayer("vkBasalt.x86_64.json");
    ASSERT_EQ(setSharpeningEnabled(true, reporter), ADLX_OK);
    ASSERT_EQ(setSharpness(75, reporter), ADLX_OK);
    EXPECT_EQ(envValue("ENABLE_VKBASALT"), "1");
    EXPECT_EQ(envValue("VKBASALT_CONFIG_FILE"), home.vkBasalt().string());
    const std::string conf = fileText(home.vkBasalt()).value_or("");
    EXPECT_NE(conf.find("effects = cas\ncasSharpness = 0.75\n"), std::string::npos) << conf;
    bool on = false;
    int sharpness = 0;
    EXPECT_EQ(sharpening(on, sharpness), ADLX_OK);
    EXPECT_TRUE(on);
    EXPECT_EQ(sharpness, 75);
    EXPECT_EQ(setSharpness(101, reporter), ADLX_INVALID_ARGS);
    EXPECT_EQ(setSharpness(-1, reporter), ADLX_INVALID_ARGS);

    ASSERT_EQ(setSharpeningEnabled(false, reporter), ADLX_OK);
    EXPECT_EQ(envValue("ENABLE_VKBASALT"), "<unset>");
    EXPECT_EQ(sharpening(on, sharpness), ADLX_OK);
    EXPECT_FALSE(on);
    EXPECT_EQ(sharpness, 75);  // the strength stays for the next time
}

TEST_F(MesaSettings, AntiLagSwitchesMesasLayerOnAndOff) {
    home.installLayer("VkLayer_MESA_anti_lag.json");
    ASSERT_EQ(setAntiLag(false, reporter), ADLX_OK);  // off already: nothing to write
    EXPECT_FALSE(fs::exists(home.environment()));
    ASSERT_EQ(setAntiLag(true, reporter), ADLX_OK);
    EXPECT_EQ(envValue("ENABLE_LAYER_MESA_ANTI_LAG"), "1");
    bool on = false;
    EXPECT_EQ(antiLag(on), ADLX_OK);
    EXPECT_TRUE(on);
    ASSERT_EQ(setAntiLag(false, reporter), ADLX_OK);
    EXPECT_EQ(environment(), std::string(kHeader) + "DISABLE_LAYER_MESA_ANTI_LAG=1\n");
    EXPECT_EQ(antiLag(on), ADLX_OK);
    EXPECT_FALSE(on);
}

TEST_F(MesaSettings, TheEnvironmentFileKeepsTheUsersLinesAndMode) {
    writeFile(home.environment(), "# my own\nRADV_PERFTEST=gpl\n");
    ::chmod(home.environment().c_str(), 0600);
    ASSERT_EQ(setVsyncMode(3, reporter), ADLX_OK);
    EXPECT_EQ(environment(), "# my own\nRADV_PERFTEST=gpl\nMESA_VK_WSI_PRESENT_MODE=fifo\n");
    struct stat st{};
    ASSERT_EQ(::stat(home.environment().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(home.environment().parent_path()), fs::directory_iterator()), 1);
}

TEST_F(MesaSettings, RunAsRootTheUsersFileStaysTheUsers) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can hand a file to another owner";
    writeFile(home.environment(), "RADV_PERFTEST=gpl\n");
    ASSERT_EQ(::chown(home.environment().c_str(), 1234, 5678), 0);
    ASSERT_EQ(setEnhancedSync(true, reporter), ADLX_OK);
    struct stat st{};
    ASSERT_EQ(::stat(home.environment().c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 1234u);
    EXPECT_EQ(st.st_gid, 5678u);
}
