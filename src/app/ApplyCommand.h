// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// `tachyon --apply PROFILE.xml [--gpu N]`: the profile's Tuning and Fan values put on a card
// without a window, for the boot service, the sleep hook and scripts. It drives the program's own
// window object unseen, so the profile is read by Load and applied by the operations "+" runs.

#include <QString>
#include <optional>

#include "ui/Prompts.h"

class ADLXHelper;

// What would ask the user in the window goes to standard error instead; the open-file dialog
// answers with the profile named on the command line.
class HeadlessPrompts : public Prompts {
public:
    explicit HeadlessPrompts(QString profile) : m_profile(std::move(profile)) {}
    PromptAnswer MessageBox(QWidget* owner, const QString& text, const QString& caption,
                            PromptButtons buttons, PromptIcon icon) override;
    std::optional<QString> OpenFileName(QWidget* owner, const FileDialogRequest& request) override;
    std::optional<QString> SaveFileName(QWidget* owner, const FileDialogRequest& request) override;
    void Sleep(int milliseconds) override;
    // While the profile is read, its messages name the file.
    void SetLoading(bool loading) { m_loading = loading; }

private:
    QString m_profile;
    bool m_loading = false;
};

// Text from a profile or the kernel as it may be printed to a terminal or the journal: every
// control character (C0, DEL, C1) as \xNN, so a name cannot move the cursor or fake a line.
QString EscapeControlCharacters(const QString& text);

// Exit statuses of --apply.
enum ApplyStatus : int {
    kApplyKept = 0,
    kApplyValueRefused = 1,
    kApplyProfileRefused = 3,
    kApplyNoSuchGpu = 4,
};

// Runs with the runtime already started; returns an ApplyStatus.
int RunApplyCommand(ADLXHelper& adlx, HeadlessPrompts& prompts, const QString& profile,
                    std::optional<unsigned> gpu);
