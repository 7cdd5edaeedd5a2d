// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <cstdio>

#include "ApplyCommand.h"
#include "BootProfileCommands.h"
#include "CTachyonApp.h"
#include "CommandLine.h"
#include "StatusCommand.h"
#include "device/ADLXHelper.h"
#include "ui/Prompts.h"

namespace {
ADLXHelper g_adlxHelper;

// --apply shows no window and needs no display: the offscreen platform, chosen here on the
// toolkit's command line, whatever the environment says.
int RunApply(char* program, const CommandLine& command) {
    static char platformOption[] = "-platform";
    static char offscreen[] = "offscreen";
    char* args[] = {program, platformOption, offscreen, nullptr};
    int count = 3;
    QApplication application(count, args);
    HeadlessPrompts prompts(command.profile);
    CTachyonApp app(g_adlxHelper, prompts);
    if (!app.Started()) return app.ExitCode();
    return RunApplyCommand(g_adlxHelper, prompts, command.profile, command.gpu);
}

// --status builds no window at all: it reads through the runtime and prints, so it needs no
// toolkit platform either.
int RunStatus(const CommandLine& command) {
    HeadlessPrompts prompts{QString()};
    CTachyonApp app(g_adlxHelper, prompts);
    if (!app.Started()) return app.ExitCode();
    return RunStatusCommand(g_adlxHelper, command.gpu, command.json);
}

}  // namespace

int main(int argc, char* argv[]) {
    const CommandLine command = ParseCommandLine(argc, argv);
    switch (command.mode) {
        case CommandMode::Help:
            std::fputs(UsageText().toLocal8Bit().constData(), stdout);
            return 0;
        case CommandMode::Version:
            std::printf("tachyon %s\n", TACHYON_VERSION);
            return 0;
        case CommandMode::Invalid:
            std::fprintf(stderr, "tachyon: %s\n%s", command.error.toLocal8Bit().constData(),
                         UsageText().toLocal8Bit().constData());
            return 2;
        case CommandMode::Apply:
            return RunApply(argv[0], command);
        case CommandMode::Status:
            return RunStatus(command);
        case CommandMode::Persist:
        case CommandMode::Forget:
        case CommandMode::Persisted: {
            QCoreApplication application(argc, argv);
            const KeeperRoute route = InstalledKeeperRoute();
            if (command.mode == CommandMode::Persist) return RunPersistCommand(route, command.profile);
            if (command.mode == CommandMode::Forget) return RunForgetCommand(route, command.name);
            return RunPersistedCommand(route);
        }
        case CommandMode::Window:
            break;
    }

    // The desktop shell finds the menu entry, and with it the icon, by this name (Wayland app id).
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.tachyon.Tachyon"));
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
