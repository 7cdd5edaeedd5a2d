// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing a display: the list 1087, the probe of the chosen display, and the reads that follow.

#include <QApplication>

#include "DisplayFixture.h"
#include "ui/PageNotify.h"
#include "ui/Prompts.h"

namespace {

// The fetches of the seven display reads, in their order (GPU scaling before integer scaling).
std::vector<std::string> ReadFetches(const std::string& display) {
    std::vector<std::string> fetches;
    for (const char* getter : {"GetFreeSync", "GetVirtualSuperResolution", "GetGPUScaling", "GetScalingMode",
                               "GetIntegerScaling", "GetColorDepth", "GetPixelFormat"}) {
        fetches.push_back(std::string("IADLXDisplayServices.") + getter + " " + display);
    }
    return fetches;
}

std::vector<std::string> operator+(std::vector<std::string> first, const std::vector<std::string>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// Records the page notifications that reach the main window.
class NotifySpy : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == PageNotifyEvent::EventType()) {
            auto* notify = static_cast<PageNotifyEvent*>(event);
            seen.emplace_back(notify->Code(), notify->Value());
        }
        return false;
    }
    std::vector<std::pair<int, std::intptr_t>> seen;
};

const std::string kDisplayA = R"({"name":"A","freeSync":{"enabled":true},"vsr":{"enabled":false},
    "colorDepth":{"values":[1,2,3],"value":2}})";
const std::string kDisplayB = R"({"name":"B","freeSync":{"supported":false},"vsr":{"enabled":true},
    "colorDepth":{"values":[2,3],"value":3}})";
const std::string kDisplayC = R"({"name":"C","freeSync":{"enabled":false},"vsr":{"supported":false},
    "colorDepth":{"values":[1,2],"value":1}})";

class DisplaySelection : public DisplayTest {};

TEST_F(DisplaySelection, ListsDisplaysInOrderProbesTheFirstAndProbesTheOneChosen) {
    Start(Displays({kDisplayA, kDisplayB}));

    EXPECT_EQ(Items(kDisplayPage, 1087), QStringList({"A", "B"}));
    EXPECT_EQ(Selection(kDisplayPage, 1087), 0);
    const std::vector<std::string> atStart = FeatureFetches();
    ASSERT_FALSE(atStart.empty());
    for (const std::string& fetch : atStart) EXPECT_TRUE(fetch.ends_with(" display0")) << fetch;
    EXPECT_TRUE(Checked(kDisplayPage, 1080));
    EXPECT_TRUE(Enabled(kDisplayPage, 1080));
    EXPECT_EQ(Selected(kDisplayPage, 1085), "8 BPC");

    NotifySpy spy;
    Dlg().installEventFilter(&spy);
    ClearTrace();
    Choose(kDisplayPage, 1087, 1);

    EXPECT_EQ(spy.seen, (std::vector<std::pair<int, std::intptr_t>>{{0, 1}}));
    const std::vector<std::string> afterChoice = FeatureFetches();
    ASSERT_FALSE(afterChoice.empty());
    for (const std::string& fetch : afterChoice) EXPECT_TRUE(fetch.ends_with(" display1")) << fetch;
    EXPECT_FALSE(Enabled(kDisplayPage, 1080));
    EXPECT_TRUE(Checked(kDisplayPage, 1081));
    EXPECT_EQ(Items(kDisplayPage, 1085), QStringList({"8 BPC", "10 BPC"}));
    EXPECT_EQ(Selected(kDisplayPage, 1085), "10 BPC");
    Dlg().removeEventFilter(&spy);
}

TEST_F(DisplaySelection, ChoosingProbesInItsOrderThenReadsInTheirs) {
    Start(Displays({kDisplayA, R"({"name":"every feature"})"}));
    ClearTrace();
    Choose(kDisplayPage, 1087, 1);

    // The reads follow the probe.
    EXPECT_EQ(CallHeads({"IADLXDisplayList.At", "IADLXSystem.GetDisplaysServices", "IADLXDisplayServices.Get"}),
              (std::vector<std::string>{
                  "IADLXDisplayList.At 1",
                  "IADLXSystem.GetDisplaysServices",
                  // The probe: integer scaling is asked before GPU scaling, the lists last.
                  "IADLXDisplayServices.GetFreeSync display1",
                  "IADLXDisplayServices.GetVirtualSuperResolution display1",
                  "IADLXDisplayServices.GetIntegerScaling display1",
                  "IADLXDisplayServices.GetGPUScaling display1",
                  "IADLXDisplayServices.GetScalingMode display1",
                  "IADLXDisplayServices.GetColorDepth display1",
                  "IADLXDisplayServices.GetPixelFormat display1",
              }) + ReadFetches("display1"));
}

struct SkippedDisplay {
    const char* name;
    int failingIndex;
    QStringList items;
    int probedAtStart;  // the list index the GPU selection probes for position 0
    int chosenPosition;
    int chosenIndex;
    QString depthShown;
};

class DisplayPositions : public DisplayTest, public ::testing::WithParamInterface<SkippedDisplay> {};

// A display that cannot be fetched is left out of the list; every later position still leads to
// the display whose name it shows.
TEST_P(DisplayPositions, FollowTheNamesShownWhenADisplayCannotBeFetched) {
    const SkippedDisplay& c = GetParam();
    Start(Displays({kDisplayA, kDisplayB, kDisplayC}));
    Sim().Fault("IADLXDisplayList.At#" + std::to_string(c.failingIndex));
    ClearTrace();
    SelectGpuAgain();

    EXPECT_EQ(Items(kDisplayPage, 1087), c.items);
    EXPECT_EQ(Selection(kDisplayPage, 1087), 0);
    const std::string probed = " display" + std::to_string(c.probedAtStart);
    ASSERT_FALSE(FeatureFetches().empty());
    for (const std::string& fetch : FeatureFetches()) EXPECT_TRUE(fetch.ends_with(probed)) << fetch;

    ClearTrace();
    Choose(kDisplayPage, 1087, c.chosenPosition);
    const std::string chosen = " display" + std::to_string(c.chosenIndex);
    ASSERT_FALSE(FeatureFetches().empty());
    for (const std::string& fetch : FeatureFetches()) EXPECT_TRUE(fetch.ends_with(chosen)) << fetch;
    EXPECT_EQ(Selected(kDisplayPage, 1085), c.depthShown);
}

INSTANTIATE_TEST_SUITE_P(
    Display, DisplayPositions,
    ::testing::Values(SkippedDisplay{"middle", 1, {"A", "C"}, 0, 1, 2, "6 BPC"},
                      SkippedDisplay{"first", 0, {"B", "C"}, 1, 1, 2, "6 BPC"},
                      SkippedDisplay{"firstThenChooseFirst", 0, {"B", "C"}, 1, 0, 1, "10 BPC"},
                      SkippedDisplay{"last", 2, {"A", "B"}, 0, 0, 0, "8 BPC"}),
    [](const auto& info) { return std::string(info.param.name); });

struct NoDisplay {
    const char* name;
    std::string scenario;
    std::string fault;
};

class NoDisplayFound : public DisplayTest, public ::testing::WithParamInterface<NoDisplay> {};

TEST_P(NoDisplayFound, SaysSoAndLeavesTheListEmpty) {
    const NoDisplay& c = GetParam();
    Start(c.scenario);
    if (!c.fault.empty()) Sim().Fault(c.fault);
    prompts.messages.clear();
    SelectGpuAgain();

    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "no display found?!?");
    EXPECT_EQ(prompts.messages[0].caption, ApplicationName());
    EXPECT_EQ(prompts.messages[0].buttons, PromptButtons::Ok);
    EXPECT_TRUE(Items(kDisplayPage, 1087).isEmpty());
    EXPECT_EQ(Selection(kDisplayPage, 1087), -1);

    // The page stays usable: nothing runs through a missing list or display.
    ShowPage(kDisplayPage);
    Press(1002);
    Dlg().OnPageNotify(0, 0);
}

INSTANTIATE_TEST_SUITE_P(Display, NoDisplayFound,
                         ::testing::Values(NoDisplay{"noDisplayAtAll", R"({"displays":[]})", ""},
                                           NoDisplay{"listRefused", "", "IADLXDisplayServices.GetDisplays"},
                                           NoDisplay{"everyDisplayRefused", "", "IADLXDisplayList.At"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct MissingServices {
    const char* name;
    bool whenChoosing;  // else when the GPU is selected
};

class DisplayServicesMissing : public DisplayTest, public ::testing::WithParamInterface<MissingServices> {};

// Without display services no display operation can run, so the page must not offer any.
TEST_P(DisplayServicesMissing, TurnEveryDisplayFeatureOffUntilTheyReturn) {
    Start(Displays({kDisplayA, kDisplayB}));
    Sim().Fault("IADLXSystem.GetDisplaysServices");
    if (GetParam().whenChoosing) {
        Choose(kDisplayPage, 1087, 1);
    } else {
        SelectGpuAgain();
    }

    for (const int id : kFeatureControls) EXPECT_FALSE(Enabled(kDisplayPage, id)) << id;
    const CTachyonDlg& dlg = Dlg();
    EXPECT_EQ(dlg.m_freeSyncSupported + dlg.m_vsrSupported + dlg.m_gpuScalingSupported + dlg.m_scalingModeSupported +
                  dlg.m_integerScalingSupported + dlg.m_colorDepthSupported + dlg.m_pixelFormatSupported,
              0);
    EXPECT_EQ(Items(kDisplayPage, 1087), QStringList({"A", "B"}));

    ShowPage(kDisplayPage);
    ClearTrace();
    Press(1002);
    Press(1006);
    EXPECT_EQ(Calls({"IADLXDisplayServices", "IADLXDisplayFreeSync", "IADLXDisplayVSR", "IADLXDisplayGPUScaling",
                     "IADLXDisplayScalingMode", "IADLXDisplayIntegerScaling", "IADLXDisplayColorDepth",
                     "IADLXDisplayPixelFormat"}),
              std::vector<std::string>{});

    // Once the services can be fetched again, choosing a display brings its features back.
    Sim().ClearFaults();
    Choose(kDisplayPage, 1087, 0);
    for (const int id : {1080, 1081, 1082, 1083, 1085, 1086}) EXPECT_TRUE(Enabled(kDisplayPage, id)) << id;
    EXPECT_TRUE(Checked(kDisplayPage, 1080));
}

INSTANTIATE_TEST_SUITE_P(Display, DisplayServicesMissing,
                         ::testing::Values(MissingServices{"whenTheGpuIsSelected", false},
                                           MissingServices{"whenADisplayIsChosen", true}),
                         [](const auto& info) { return std::string(info.param.name); });

class DisplayPositionRefused : public DisplayTest, public ::testing::WithParamInterface<std::intptr_t> {};

// A position past the list (or none at all) changes nothing, and the reads still show the
// display selected before.
TEST_P(DisplayPositionRefused, KeepsTheDisplayAndStillReads) {
    Start(Displays({kDisplayA, R"({"name":"B","vsr":{"enabled":true}})"}));
    Choose(kDisplayPage, 1087, 1);
    ASSERT_TRUE(Checked(kDisplayPage, 1081));
    Sim().Set("display1.vsr.enabled=false");
    ClearTrace();

    Dlg().OnPageNotify(0, GetParam());

    EXPECT_EQ(CallHeads({"IADLXDisplayList.At", "IADLXSystem.GetDisplaysServices"}), std::vector<std::string>{});
    EXPECT_EQ(FeatureFetches(), ReadFetches("display1"));
    EXPECT_FALSE(Checked(kDisplayPage, 1081));
}

INSTANTIATE_TEST_SUITE_P(Display, DisplayPositionRefused, ::testing::Values(2, -1));

TEST_F(DisplaySelection, ShowsAnEmptyNameForADisplayWhoseNameCannotBeRead) {
    Start(Displays({kDisplayA, kDisplayB}));
    Sim().Fault("IADLXDisplay.Name#0");
    SelectGpuAgain();
    EXPECT_EQ(Items(kDisplayPage, 1087), QStringList({"", "B"}));
}

}  // namespace
