// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the main window with each page shown, and the About box, to PNG files without a
// display: `render_pages <folder>` on the simulated runtime beside it.

#include <QApplication>
#include <QDir>
#include <QTabBar>
#include <cstdio>
#include <cstdlib>

#include "device/ADLXHelper.h"
#include "ui/CAboutDlg.h"
#include "ui/CMyTabCtrl.h"
#include "ui/CTachyonDlg.h"
#include "ui/Prompts.h"
#include "ui/TabPages.h"

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    QDir().mkpath(folder.path());

    ADLXHelper adlx;
    if (adlx.StartRuntime() != ADLX_OK) {
        std::fprintf(stderr, "render_pages: %s\n", adlx.LastError().c_str());
        return 1;
    }
    QtPrompts prompts;
    int failures = 0;
    {
        CTachyonDlg dialog(adlx, prompts);
        dialog.OnInitDialog();
        dialog.show();
        const char* names[] = {"tuning", "fan", "graphics", "display"};
        for (int page = 0; page < 4; ++page) {
            dialog.TabCtrl()->TabBar()->setCurrentIndex(page);
            dialog.TabCtrl()->OnLButtonDown(page);
            QApplication::processEvents();
            const QString file = folder.filePath(QStringLiteral("page-%1.png").arg(names[page]));
            if (!dialog.grab().save(file)) ++failures;
            if (page == 0 && !dialog.grab().save(folder.filePath("main-window.png"))) ++failures;
        }
        // The whole Graphics page, scrolled to its end.
        dialog.TabCtrl()->TabBar()->setCurrentIndex(kGraphicsPage);
        dialog.TabCtrl()->OnLButtonDown(kGraphicsPage);
        auto* graphics = static_cast<Tab_Graphics*>(dialog.TabCtrl()->Page(kGraphicsPage));
        graphics->OnVScroll(SB_THUMBPOSITION, graphics->m_scrollMax);
        QApplication::processEvents();
        if (!dialog.grab().save(folder.filePath("page-graphics-end.png"))) ++failures;
        graphics->OnVScroll(SB_THUMBPOSITION, 0);

        CAboutDlg about(&dialog);
        about.show();
        QApplication::processEvents();
        if (!about.grab().save(folder.filePath("about.png"))) ++failures;
    }
    adlx.StopRuntime();
    return failures == 0 ? 0 : 1;
}
