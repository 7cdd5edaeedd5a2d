// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the fault sweep and the soak share: a window built after the driver was set up (so a fault
// can already bite during start-up), the user's command paths as one table, and the checks on the
// driver's trace that say whether the program called through something it must not.

#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "TachyonTest.h"

class ReliabilityTest;

// One thing the user does, from start-up to loading a profile.
struct CommandPath {
    const char* name;
    void (*run)(ReliabilityTest& test);
};

// Every command path, in the order the sweep runs them on one window; the last one changes the
// GPU, so running the list twice runs every path on both GPUs.
const std::vector<CommandPath>& CommandPaths();

// The lines of a trace that show a call the program must never make: on a released or stale
// object, or with a null, foreign, released or stale GPU or display argument.
std::vector<std::string> ForbiddenCalls(const std::vector<std::string>& trace);

// The fault name each trace line stands for: `Interface.Method`, or `QueryInterface:Name` for a
// query; nothing for reference counting.
std::string FaultNameOf(const std::string& traceLine);

// The process's resident memory, in bytes.
long ResidentBytes();

class ReliabilityTest : public TachyonTest {
public:
    // The built-in machine with the faults given, then the window and its set-up.
    CTachyonDlg& Open(const std::vector<std::string>& faults = {});
    // Destroys the window and its scripted prompts.
    void Close();
    CTachyonDlg& Window() { return *m_window; }
    ScriptedPrompts& Prompter() { return *m_prompts; }

    // The user's commands, as the window's own handlers receive them.
    void ShowTab(int page);
    void PressButton(int id);
    // Chooses a list position the way the user does; the selection handlers run. An empty list
    // offers nothing to choose.
    void ChooseIn(QWidget* list, int position);
    QString ProfilePath() const { return m_files.filePath("tune.xml"); }
    // `tachyon --status --json` on the same runtime, beside the window; its report is not kept.
    void ReadStatusReport();

protected:
    void TearDown() override;

private:
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<CTachyonDlg> m_window;
    QTemporaryDir m_files;
};
