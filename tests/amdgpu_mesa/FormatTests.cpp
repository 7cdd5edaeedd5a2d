// SPDX-License-Identifier: GPL-3.0-or-later
// The drirc, environment.d and vkBasalt formats: what is read, and what is written back around the
// user's own content.

#include <gtest/gtest.h>

#include "mesa/Drirc.h"
#include "mesa/EnvironmentFile.h"
#include "mesa/VkBasaltFile.h"

using namespace mesa;

namespace {

DrircDocument parsed(std::string_view text) {
    std::string error;
    std::optional<DrircDocument> d = DrircDocument::parse(text, error);
    EXPECT_TRUE(d) << error;
    return std::move(*d);
}

// A user's hand-written file: comments, a per-program section, a device of one driver, CRLF line
// ends in one place, an entity and odd spacing inside tags.
constexpr std::string_view kUsersFile =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE driconf SYSTEM \"driconf.dtd\">\n"
    "<!-- my fixes -->\n"
    "<driconf>\n"
    "  <device driver=\"radeonsi\">\n"
    "    <application name=\"Default\">\n"
    "      <option name=\"vblank_mode\" value=\"3\"/>\n"
    "    </application>\n"
    "  </device>\n"
    "  <device>\r\n"
    "    <application name=\"Game &amp; co\" executable=\"game\">\n"
    "      <option name=\"vblank_mode\"   value=\"1\"/>\n"
    "    </application>\n"
    "    <application name=\"Default\">\n"
    "      <!-- keep -->\n"
    "      <option name=\"mesa_glthread\" value=\"true\"/>\n"
    "    </application>\n"
    "  </device>\n"
    "</driconf>\n";

}  // namespace

TEST(Drirc, ReadsOnlyTheOptionsThatReachEveryProgram) {
    const DrircDocument d = parsed(kUsersFile);
    // The radeonsi device is skipped by the "dri2" cache Mesa reads vblank_mode from; the game's
    // section only reaches the game.
    EXPECT_EQ(d.option("vblank_mode"), std::nullopt);
    EXPECT_EQ(d.option("mesa_glthread"), "true");

    const DrircDocument later = parsed(
        "<driconf><device><application name=\"Default\"><option name=\"vblank_mode\" value=\"1\"/></application>"
        "<application name=\"Default\"><option name=\"vblank_mode\" value=\"0\"/></application></device></driconf>");
    EXPECT_EQ(later.option("vblank_mode"), "0");
}

TEST(Drirc, AnUntouchedFileIsWrittenBackByteForByteExceptWhereTheLibraryNormalises) {
    std::string expected(kUsersFile);
    // pugixml drops the blank between attributes and writes empty elements without a space.
    expected.replace(expected.find("\"vblank_mode\"   value"), 21, "\"vblank_mode\" value");
    EXPECT_EQ(parsed(kUsersFile).text(), expected);
}

TEST(Drirc, AnOptionIsAddedToTheUsersGlobalSectionLaidOutLikeItsNeighbours) {
    DrircDocument d = parsed(kUsersFile);
    d.setOption("vblank_mode", "0");
    const std::string text = d.text();
    EXPECT_NE(text.find("      <option name=\"mesa_glthread\" value=\"true\"/>\n"
                        "      <option name=\"vblank_mode\" value=\"0\"/>\n"
                        "    </application>"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("<option name=\"vblank_mode\" value=\"3\"/>"), std::string::npos);  // radeonsi's stays
    EXPECT_NE(text.find("executable=\"game\""), std::string::npos);
    EXPECT_NE(text.find("<!-- keep -->"), std::string::npos);
    EXPECT_EQ(parsed(text).option("vblank_mode"), "0");

    d.setOption("vblank_mode", "3");  // changed in place, not added twice
    d.removeOption("mesa_glthread");
    const std::string after = d.text();
    EXPECT_EQ(after.find("value=\"0\""), std::string::npos);
    EXPECT_EQ(after.find("mesa_glthread"), std::string::npos);
    EXPECT_EQ(parsed(after).option("vblank_mode"), "3");
}

TEST(Drirc, AFileWithoutSettingsGetsAGlobalSectionWithoutADriverFilter) {
    for (std::string_view empty : {"", "\n  \n"}) {
        DrircDocument d = parsed(empty);
        d.setOption("vblank_mode", "0");
        EXPECT_EQ(d.text(),
                  "<?xml version=\"1.0\" standalone=\"yes\"?>\n"
                  "<!-- Mesa's options for every program of this user. -->\n"
                  "<driconf>\n"
                  "    <device>\n"
                  "        <application name=\"Default\">\n"
                  "            <option name=\"vblank_mode\" value=\"0\"/>\n"
                  "        </application>\n"
                  "    </device>\n"
                  "</driconf>\n");
    }
    DrircDocument bare = parsed("<driconf/>");
    bare.setOption("pp_jimenezmlaa", "8");
    EXPECT_EQ(bare.text(),
              "<driconf>\n    <device>\n        <application name=\"Default\">\n"
              "            <option name=\"pp_jimenezmlaa\" value=\"8\"/>\n        </application>\n    </device>\n</driconf>");
}

TEST(Drirc, MalformedTextIsRefusedWithTheLine) {
    struct Case {
        std::string_view text, reason;
    };
    for (const Case& c : {Case{"<driconf>\n<device>\n</driconf>", "line 3"}, Case{"<driconf><a></driconf>", "line 1"},
                          Case{"<other/>", "not <driconf>"}, Case{"just text", "line 1"},
                          Case{"<driconf/><driconf/>", "line 1"}}) {
        std::string error;
        EXPECT_FALSE(DrircDocument::parse(c.text, error)) << c.text;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.text << ": " << error;
    }
}

TEST(EnvironmentFile, KeepsOtherLinesAndHoldsOneAssignmentPerKey) {
    EnvironmentFile f = EnvironmentFile::parse("# mine\nFOO=bar\nRADV_TEX_ANISO=4\n\nRADV_TEX_ANISO = '8'\n");
    EXPECT_EQ(f.get("RADV_TEX_ANISO"), "8");
    f.set("RADV_TEX_ANISO", "16");
    f.set("DXVK_CONFIG", "dxgi.maxFrameRate=60;d3d9.maxFrameRate=60");
    f.set("VKBASALT_CONFIG_FILE", "/home/a b/$x\"y");
    EXPECT_EQ(f.text(),
              "# mine\nFOO=bar\n\nRADV_TEX_ANISO=16\n"
              "DXVK_CONFIG=\"dxgi.maxFrameRate=60;d3d9.maxFrameRate=60\"\n"
              "VKBASALT_CONFIG_FILE=\"/home/a b/\\$x\\\"y\"\n");
    const EnvironmentFile back = EnvironmentFile::parse(f.text());
    EXPECT_EQ(back.get("DXVK_CONFIG"), "dxgi.maxFrameRate=60;d3d9.maxFrameRate=60");
    EXPECT_EQ(back.get("VKBASALT_CONFIG_FILE"), "/home/a b/$x\"y");
    f.remove("RADV_TEX_ANISO");
    f.remove("DXVK_CONFIG");
    f.remove("VKBASALT_CONFIG_FILE");
    EXPECT_EQ(f.text(), "# mine\nFOO=bar\n\n");
    EXPECT_FALSE(f.empty());
    EXPECT_TRUE(EnvironmentFile::parse("# only\n\n").empty());
}

TEST(EnvironmentFile, DxvkOptionsOfTheUserStay) {
    const std::string config = withDxvkOption("dxgi.syncInterval=0; dxgi.maxFrameRate=30", "dxgi.maxFrameRate", "144");
    EXPECT_EQ(config, "dxgi.syncInterval=0;dxgi.maxFrameRate=144");
    EXPECT_EQ(dxvkOption(config, "dxgi.maxFrameRate"), "144");
    EXPECT_EQ(withDxvkOption(config, "dxgi.maxFrameRate", std::nullopt), "dxgi.syncInterval=0");
    EXPECT_EQ(dxvkOption("", "dxgi.maxFrameRate"), std::nullopt);
}

TEST(VkBasaltFile, SharpnessRoundTripsInPercent) {
    for (int percent : {0, 5, 40, 100}) EXPECT_EQ(vkBasaltSharpness(vkBasaltText(percent)), percent);
    EXPECT_EQ(vkBasaltText(5).substr(vkBasaltText(5).find("effects")), "effects = cas\ncasSharpness = 0.05\n");
    EXPECT_EQ(vkBasaltSharpness("casSharpness = 0.4 # mine\n"), 40);
    for (std::string_view bad : {"", "casSharpness = 2\n", "casSharpness = x\n", "casSharpness = -0.1\n"})
        EXPECT_EQ(vkBasaltSharpness(bad), std::nullopt) << bad;
}
