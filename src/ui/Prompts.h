// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Everything that waits for the user or for time goes through this seam: message boxes, file
// dialogs and the sleep of the Smart Access Memory countdown. Tests install a scripted one.

#include <QString>
#include <QWidget>
#include <optional>

enum class PromptButtons { Ok, YesNo };
enum class PromptIcon { None, Question };
enum class PromptAnswer { Ok, Yes, No, Cancel };

struct FileDialogRequest {
    QString filter;            // e.g. "XML file (*.xml);;All Files (*.*)"
    QString defaultSuffix;     // empty for none
    bool confirmOverwrite = false;
    bool fileMustExist = false;
};

class Prompts {
public:
    virtual ~Prompts() = default;
    virtual PromptAnswer MessageBox(QWidget* owner, const QString& text, const QString& caption,
                                    PromptButtons buttons, PromptIcon icon) = 0;
    // The chosen file, or nothing when the dialog was not confirmed.
    virtual std::optional<QString> OpenFileName(QWidget* owner, const FileDialogRequest& request) = 0;
    virtual std::optional<QString> SaveFileName(QWidget* owner, const FileDialogRequest& request) = 0;
    // Blocks the thread; no event is handled meanwhile.
    virtual void Sleep(int milliseconds) = 0;
};

// The real dialogs and a real sleep.
class QtPrompts : public Prompts {
public:
    PromptAnswer MessageBox(QWidget* owner, const QString& text, const QString& caption, PromptButtons buttons,
                            PromptIcon icon) override;
    std::optional<QString> OpenFileName(QWidget* owner, const FileDialogRequest& request) override;
    std::optional<QString> SaveFileName(QWidget* owner, const FileDialogRequest& request) override;
    void Sleep(int milliseconds) override;
};

// The caption of the program's message boxes: the executable's base name.
QString ApplicationName();
