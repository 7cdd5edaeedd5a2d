// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A prompt seam that answers from a script and records what the program asked.

#include <deque>
#include <functional>
#include <vector>

#include "ui/Prompts.h"

struct RecordedMessage {
    QString text;
    QString caption;
    PromptButtons buttons;
    PromptIcon icon;
    QString ownerName;
};

class ScriptedPrompts : public Prompts {
public:
    PromptAnswer MessageBox(QWidget* owner, const QString& text, const QString& caption, PromptButtons buttons,
                            PromptIcon icon) override;
    std::optional<QString> OpenFileName(QWidget* owner, const FileDialogRequest& request) override;
    std::optional<QString> SaveFileName(QWidget* owner, const FileDialogRequest& request) override;
    void Sleep(int milliseconds) override;

    // Answers given in order; when none is left, Ok or Yes is answered.
    std::deque<PromptAnswer> answers;
    // Files chosen in order; when none is left, the dialog is cancelled.
    std::deque<QString> openFiles;
    std::deque<QString> saveFiles;
    // Runs inside every sleep, before it returns.
    std::function<void(int milliseconds)> onSleep;

    std::vector<RecordedMessage> messages;
    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    std::vector<int> sleeps;
};
