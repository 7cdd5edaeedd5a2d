// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReliabilityFixture.h"

#include <QAbstractButton>
#include <QComboBox>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "app/StatusCommand.h"
#include "ui/CMyTabCtrl.h"
#include "ui/PageNotify.h"

namespace {

void SetOn(ReliabilityTest& t, int page) {
    t.ShowTab(page);
    t.PressButton(1002);
}

// Another entry than the current one where the list has one, so the change is a real one.
int OtherPosition(QComboBox* list) { return list->count() > 1 && list->currentIndex() == 0 ? 1 : 0; }

void ChooseOther(ReliabilityTest& t, int page, int id) {
    QComboBox* list = t.Window().Combo(page, id);
    t.ChooseIn(list, OtherPosition(list));
}

}  // namespace

const std::vector<CommandPath>& CommandPaths() {
    static const std::vector<CommandPath> paths = {
        {"Set on Tuning", [](ReliabilityTest& t) { SetOn(t, kTuningPage); }},
        {"Set on Fan", [](ReliabilityTest& t) { SetOn(t, kFanPage); }},
        {"Set on Graphics", [](ReliabilityTest& t) { SetOn(t, kGraphicsPage); }},
        {"Set on Display", [](ReliabilityTest& t) { SetOn(t, kDisplayPage); }},
        {"+", [](ReliabilityTest& t) { t.PressButton(1006); }},
        {"Reset", [](ReliabilityTest& t) { t.PressButton(1003); }},
        {"display change", [](ReliabilityTest& t) { ChooseOther(t, kDisplayPage, 1087); }},
        {"shader cache reset",
         [](ReliabilityTest& t) { SendPageNotify(t.Window().TabCtrl(), kNotifyResetShaderCache, 0); }},
        {"anti-aliasing mode change", [](ReliabilityTest& t) { ChooseOther(t, kGraphicsPage, 1056); }},
        {"tessellation mode change", [](ReliabilityTest& t) { ChooseOther(t, kGraphicsPage, 1062); }},
        {"Save",
         [](ReliabilityTest& t) {
             t.Prompter().saveFiles.push_back(t.ProfilePath());
             t.PressButton(1005);
         }},
        {"Load",
         [](ReliabilityTest& t) {
             t.Prompter().openFiles.push_back(t.ProfilePath());
             t.PressButton(1004);
         }},
        {"tachyon --status", [](ReliabilityTest& t) { t.ReadStatusReport(); }},
        // Last, so the paths above run on one GPU before they run again on the other.
        {"GPU change",
         [](ReliabilityTest& t) {
             auto* selector = qobject_cast<QComboBox*>(t.Window().MainControl(1000));
             t.ChooseIn(selector, OtherPosition(selector));
         }},
    };
    return paths;
}

std::vector<std::string> ForbiddenCalls(const std::vector<std::string>& trace) {
    std::vector<std::string> found;
    for (const std::string& line : trace) {
        if (line.rfind("DEAD ", 0) == 0 || line.rfind("STALE ", 0) == 0) {
            found.push_back(line);
            continue;
        }
        // Only the arguments: out-values follow the arrow.
        std::istringstream words(line.substr(0, line.find(" -> ")));
        std::string word;
        words >> word;  // Interface.Method
        while (words >> word) {
            if (word == "null" || word == "foreign" || word.rfind("dead:", 0) == 0 || word.rfind("stale:", 0) == 0) {
                found.push_back(line);
                break;
            }
        }
    }
    return found;
}

std::string FaultNameOf(const std::string& traceLine) {
    std::istringstream words(traceLine);
    std::string head;
    std::string argument;
    words >> head >> argument;
    if (head == "DEAD" || head == "STALE") return {};
    const std::size_t dot = head.find('.');
    if (dot == std::string::npos) return {};  // an entry point
    const std::string method = head.substr(dot + 1);
    if (method == "Acquire" || method == "Release") return {};
    if (method == "QueryInterface") return "QueryInterface:" + argument;
    return head;
}

long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

CTachyonDlg& ReliabilityTest::Open(const std::vector<std::string>& faults) {
    Runtime();
    m_window.reset();
    Sim().LoadScenario();
    Sim().ClearFaults();
    Sim().Control("audit.reset");
    for (const std::string& fault : faults) Sim().Fault(fault);
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_window = std::make_unique<CTachyonDlg>(Runtime(), *m_prompts);
    m_window->OnInitDialog();
    return *m_window;
}

void ReliabilityTest::Close() {
    m_window.reset();
    m_prompts.reset();
}

void ReliabilityTest::TearDown() {
    const bool wasOpen = m_window != nullptr;
    Close();
    Sim().ClearFaults();
    if (!wasOpen) return;
    const SimAudit audit = Sim().Audit();
    EXPECT_EQ(audit.live, 0) << audit.text;
    EXPECT_EQ(audit.doubleReleases, 0) << audit.text;
    EXPECT_EQ(audit.deadCalls, 0) << audit.text;
}

void ReliabilityTest::ReadStatusReport() { ReadStatus(Runtime(), std::nullopt, true); }

void ReliabilityTest::ShowTab(int page) { Window().TabCtrl()->OnLButtonDown(page); }

void ReliabilityTest::PressButton(int id) {
    auto* button = qobject_cast<QAbstractButton*>(Window().MainControl(id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
}

void ReliabilityTest::ChooseIn(QWidget* list, int position) {
    auto* combo = qobject_cast<QComboBox*>(list);
    ASSERT_NE(combo, nullptr);
    if (combo->count() == 0) return;
    combo->setCurrentIndex(position);
    emit combo->activated(combo->currentIndex());
}
