// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start-up with a prompt seam that prints each message box instead of waiting for a
// click, so a test can run it as a separate process and read what the user would have seen.

#include <QApplication>
#include <cstdio>

#include "app/CTachyonApp.h"
#include "device/ADLXHelper.h"
#include "ui/Prompts.h"

namespace {

class PrintingPrompts : public QtPrompts {
public:
    PromptAnswer MessageBox(QWidget*, const QString& text, const QString& caption, PromptButtons, PromptIcon) override {
        std::printf("message: %s | %s\n", qPrintable(caption), qPrintable(text));
        std::fflush(stdout);
        return PromptAnswer::Ok;
    }
};

ADLXHelper g_adlxHelper;

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    PrintingPrompts prompts;
    int exitCode = 0;
    {
        CTachyonApp app(g_adlxHelper, prompts);
        if (app.Started()) std::printf("window\n");
        app.InitInstance();
        exitCode = app.ExitCode();
    }
    return exitCode;
}
