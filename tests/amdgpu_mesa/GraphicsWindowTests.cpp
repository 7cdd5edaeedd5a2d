// SPDX-License-Identifier: GPL-3.0-or-later
// The window's Graphics page on the amdgpu runtime: which controls a card with Mesa enables, what
// Set writes into the user's files, and the shader cache reset, over a temporary home.

#include <QAbstractButton>
#include <QComboBox>

#include "AmdgpuWindowTest.h"

namespace fs = std::filesystem;

namespace {

class GraphicsOnCards : public AmdgpuWindowTest {
protected:
    QComboBox* Combo(int id) { return qobject_cast<QComboBox*>(Dlg().Control(kGraphicsPage, id)); }
    void Click(int id) {
        auto* button = qobject_cast<QAbstractButton*>(Dlg().Control(kGraphicsPage, id));
        ASSERT_NE(button, nullptr) << id;
        button->click();
    }
    bool Told(const QString& part) {
        return std::any_of(prompts.messages.begin(), prompts.messages.end(),
                           [&](const RecordedMessage& m) { return m.text.contains(part); });
    }
};

}  // namespace

TEST_F(GraphicsOnCards, TheFeaturesLinuxHasAreEnabledAndTheOthersNot) {
    Start({FixtureTree("navi2x")});
    // Enhanced Sync, V-Sync, frame rate target, morphological AA, anisotropic filtering, the reset.
    for (int id : {1050, 1055, 1051, 1059, 1060, 1053}) EXPECT_TRUE(Enabled(kGraphicsPage, id)) << id;
    // Super Resolution, Boost, Chill, anti-aliasing and tessellation have no Linux equivalent;
    // sharpening and Anti-Lag need layers this home's system does not have.
    for (int id : {1048, 1045, 1040, 1044, 1046, 1056, 1062}) EXPECT_FALSE(Enabled(kGraphicsPage, id)) << id;
    EXPECT_EQ(Combo(1055)->currentText(), "On, unless application specifies");
    // A look that changed nothing writes nothing.
    ShowPage(kGraphicsPage);
    Press(1002);
    EXPECT_FALSE(fs::exists(home.drirc()));
    EXPECT_FALSE(fs::exists(home.environment()));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(GraphicsOnCards, AlwaysOffReachesTheDrircAndVulkanAndTellsWhenItTakesEffect) {
    Start({FixtureTree("navi2x")});
    ShowPage(kGraphicsPage);
    const int alwaysOff = Combo(1055)->findText("Always off");
    ASSERT_GE(alwaysOff, 0);
    Select(Combo(1055), alwaysOff);
    Press(1002);

    const std::string drirc = fileText(home.drirc()).value_or("");
    EXPECT_NE(drirc.find("<application name=\"Default\">\n            <option name=\"vblank_mode\" value=\"0\"/>"),
              std::string::npos)
        << drirc;
    EXPECT_EQ(drirc.find("driver="), std::string::npos);
    const std::string env = fileText(home.environment()).value_or("");
    EXPECT_NE(env.find("\nMESA_VK_WSI_PRESENT_MODE=immediate\n"), std::string::npos) << env;
    EXPECT_EQ(Combo(1055)->currentText(), "Always off");  // read back from the files
    EXPECT_TRUE(Told("Vulkan settings take effect at the next login"));

    // Once a run: the next change says nothing again.
    prompts.messages.clear();
    SetChecked(kGraphicsPage, 1060, true);
    Press(1002);
    EXPECT_NE(fileText(home.environment()).value_or("").find("RADV_TEX_ANISO=16"), std::string::npos);
    EXPECT_TRUE(Checked(kGraphicsPage, 1060));
    EXPECT_FALSE(Told("next login"));
}

TEST_F(GraphicsOnCards, AMalformedDrircIsLeftAloneAndStandardErrorSaysWhyOnce) {
    const std::string broken = "<driconf>\n  <device>\n</driconf>\n";
    writeFile(home.drirc(), broken);
    Start({FixtureTree("navi2x")});
    ShowPage(kGraphicsPage);
    testing::internal::CaptureStderr();
    for (int i = 0; i < 2; ++i) {
        Select(Combo(1055), Combo(1055)->findText("Always off"));
        Press(1002);
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(fileText(home.drirc()), broken);
    EXPECT_FALSE(fs::exists(home.environment()));
    // The page shows what programs get: Mesa ignores the file.
    EXPECT_EQ(Combo(1055)->currentText(), "On, unless application specifies");
    const std::string reason = home.drirc().string() + " is not well-formed XML (line 3";
    ASSERT_NE(said.find(reason), std::string::npos) << said;
    EXPECT_EQ(said.find(reason, said.find(reason) + 1), std::string::npos) << said;
}

TEST_F(GraphicsOnCards, EveryGpuShowsTheUsersSettings) {
    writeFile(home.drirc(), "<driconf><device><application name=\"Default\"><option name=\"vblank_mode\" "
                            "value=\"3\"/><option name=\"pp_jimenezmlaa\" value=\"8\"/></application></device></driconf>");
    writeFile(home.environment(), "RADV_TEX_ANISO=4\n");
    Start({FixtureTree("navi2x"), FixtureTree("polaris")});
    for (int gpu : {0, 1}) {
        SelectGpu(gpu);
        EXPECT_EQ(Combo(1055)->currentText(), "Always on") << gpu;
        EXPECT_TRUE(Checked(kGraphicsPage, 1059)) << gpu;
        EXPECT_TRUE(Checked(kGraphicsPage, 1060)) << gpu;
        EXPECT_EQ(Combo(1061)->currentText(), "4X") << gpu;
    }
}

TEST_F(GraphicsOnCards, TheShaderCacheResetEmptiesMesasCacheAndSaysHowMuch) {
    writeFile(home.cache() / "mesa_shader_cache/ab/entry", std::string(2'000'000, 'x'));
    writeFile(home.cache() / "other/keep", "keep");
    Start({FixtureTree("navi2x")});
    ShowPage(kGraphicsPage);
    prompts.answers = {PromptAnswer::Yes};
    Click(1053);
    EXPECT_FALSE(fs::exists(home.cache() / "mesa_shader_cache"));
    EXPECT_EQ(fileText(home.cache() / "other/keep"), "keep");
    EXPECT_TRUE(Told("The shader cache was emptied: 1 file, 2.0 MB freed.")) << prompts.messages.size();
}
