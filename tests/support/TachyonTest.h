// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fixture every window test uses: the simulated runtime started through the real loader, a
// scenario per test, the main window built and set up, helpers to look at and work the controls,
// and, at the end of each test, the runtime's reference audit: nothing leaked, nothing released
// twice, no call on a released interface.

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "ScriptedPrompts.h"
#include "SimRuntime.h"
#include "ui/CTachyonDlg.h"

class ADLXHelper;

class TachyonTest : public ::testing::Test {
protected:
    void TearDown() override;

    // Loads the scenario (built-in default when empty), builds the window and runs its set-up.
    CTachyonDlg& Start(const std::string& scenarioJson = {});
    // Destroys the window; the audit then must be clean.
    void CloseWindow();
    CTachyonDlg& Dlg() { return *m_dialog; }
    SimRuntime& Sim() { return SimRuntime::Instance(); }
    static ADLXHelper& Runtime();

    // Controls, by page and id.
    QString Text(int page, int id);
    void SetText(int page, int id, const QString& text);
    bool Checked(int page, int id);
    void SetChecked(int page, int id, bool checked);
    // A real click: the handlers run as they do for the user.
    void Click(int page, int id);
    bool Enabled(int page, int id);
    bool Visible(int page, int id);
    QStringList Items(int page, int id);
    QString Selected(int page, int id);
    int Selection(int page, int id);
    // A choice the user makes in a list: the selection-change handlers run.
    void Choose(int page, int id, int position);
    // Clicks a button of the main window (Set 1002, "+" 1006, Reset 1003, Load 1004, Save 1005).
    void Press(int id);
    // Shows a page as a mouse press on its tab does.
    void ShowPage(int page);

    // Driver calls since the last ClearTrace, without reference counting and queries.
    std::vector<std::string> Calls();
    std::vector<std::string> Calls(const std::vector<std::string>& prefixes);
    void ClearTrace() { Sim().ClearTrace(); }

    ScriptedPrompts prompts;

private:
    std::unique_ptr<CTachyonDlg> m_dialog;
};
