#include <QApplication>

#include "CTachyonApp.h"
#include "device/ADLXHelper.h"
#include "ui/Prompts.h"

namespace {
ADLXHelper g_adlxHelper;
}

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QtPrompts prompts;
    int exitCode = 0;
    {
        CTachyonApp app(g_adlxHelper, prompts);
        app.InitInstance();
        exitCode = app.ExitCode();
    }
    return exitCode;
}
