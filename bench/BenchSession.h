// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the in-process benchmarks share: the simulated runtime started through the program's own
// loader, with its file trace and faults off, and one main window set up on the built-in machine,
// shown (offscreen) as the user would see it. Prompts never wait: message boxes are answered at
// once, file dialogs return the file the benchmark names, and the Smart Access Memory sleep
// returns immediately.

#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "ui/Prompts.h"

class ADLXHelper;
class CTachyonDlg;

class QuietPrompts : public Prompts {
public:
    PromptAnswer MessageBox(QWidget* owner, const QString& text, const QString& caption,
                            PromptButtons buttons, PromptIcon icon) override;
    std::optional<QString> OpenFileName(QWidget* owner, const FileDialogRequest& request) override;
    std::optional<QString> SaveFileName(QWidget* owner, const FileDialogRequest& request) override;
    void Sleep(int milliseconds) override;

    // The file every open or save dialog "chooses".
    QString file;
    int messages = 0;
    int sleeps = 0;
};

class BenchSession {
public:
    BenchSession();
    ~BenchSession();

    // The one session of the benchmark process.
    static BenchSession& Current();

    CTachyonDlg& Window() { return *m_window; }
    // A new window on a fresh built-in machine. The runtime keeps every released interface until
    // the machine is replaced (its reference audit needs them), so each benchmark run starts from
    // one and that bookkeeping cannot pile up across runs.
    CTachyonDlg& FreshWindow();
    QuietPrompts& Answers() { return m_prompts; }
    // A command of the simulated runtime's control entry point; its reply.
    std::string Control(const std::string& command, const std::string& argument = {});
    // The runtime's in-memory call trace is always kept; it is emptied before each benchmark so
    // every benchmark starts from the same state.
    void ClearTrace() { Control("trace.clear"); }

private:
    std::unique_ptr<ADLXHelper> m_adlx;
    QuietPrompts m_prompts;
    std::unique_ptr<CTachyonDlg> m_window;
    using ControlFn = const char* (*)(const char*, const char*);
    ControlFn m_control = nullptr;
};
