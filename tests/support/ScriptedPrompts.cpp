// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptedPrompts.h"

#include <QWidget>

PromptAnswer ScriptedPrompts::MessageBox(QWidget* owner, const QString& text, const QString& caption,
                                         PromptButtons buttons, PromptIcon icon) {
    messages.push_back({text, caption, buttons, icon, owner != nullptr ? owner->objectName() : QString()});
    if (!answers.empty()) {
        const PromptAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
}

std::optional<QString> ScriptedPrompts::OpenFileName(QWidget*, const FileDialogRequest& request) {
    openRequests.push_back(request);
    if (openFiles.empty()) return std::nullopt;
    QString file = openFiles.front();
    openFiles.pop_front();
    return file;
}

std::optional<QString> ScriptedPrompts::SaveFileName(QWidget*, const FileDialogRequest& request) {
    saveRequests.push_back(request);
    if (saveFiles.empty()) return std::nullopt;
    QString file = saveFiles.front();
    saveFiles.pop_front();
    return file;
}

void ScriptedPrompts::Sleep(int milliseconds) {
    sleeps.push_back(milliseconds);
    if (onSleep) onSleep(milliseconds);
}
