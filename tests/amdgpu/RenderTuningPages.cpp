// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the Tuning page of the window on the amdgpu runtime, over a kernel model of one card per
// family, to PNG files: `amdgpu_render_tuning <folder>`. The real captures are used where they are
// beside the project, the hand-written trees otherwise. The Graphics page is rendered too, over a
// temporary home holding a few Mesa settings, so the picture never shows the real user's.

#include <dlfcn.h>

#include <QApplication>
#include <QDir>
#include <QTabBar>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "AttributesControl.h"
#include "KernelModel.h"
#include "device/ADLXHelper.h"
#include "ui/CMyTabCtrl.h"
#include "ui/CTachyonDlg.h"
#include "ui/Prompts.h"
#include "ui/TabPages.h"
#include "TempHome.h"

namespace {

// Nothing may wait for a click without a display: a message box (the runtime lists no display, so
// the window says "no display found?!?") is reported on standard error and answered at once.
class AnsweringPrompts : public Prompts {
public:
    PromptAnswer MessageBox(QWidget*, const QString& text, const QString&, PromptButtons buttons,
                            PromptIcon) override {
        std::fprintf(stderr, "amdgpu_render_tuning: the window says \"%s\"\n",
                     text.toLocal8Bit().constData());
        return buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::Yes;
    }
    std::optional<QString> OpenFileName(QWidget*, const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> SaveFileName(QWidget*, const FileDialogRequest&) override { return std::nullopt; }
    void Sleep(int) override {}
};

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("TACHYON_AMDGPU_IDS", TACHYON_AMDGPU_FIXTURES "/amdgpu.ids", 1);
    setenv("TACHYON_PCI_IDS", TACHYON_AMDGPU_FIXTURES "/pci.ids", 1);
    QApplication application(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    QDir().mkpath(folder.path());

    const std::string library = ADLXHelper::ExecutableFolder() + "/" ADLX_RUNTIME_LIBRARY;
    void* module = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    auto use = module ? reinterpret_cast<TachyonAmdgpuUseAttributes_Fn>(
                            dlsym(module, TACHYON_AMDGPU_USE_ATTRIBUTES_SYMBOL))
                      : nullptr;
    if (use == nullptr) {
        std::fprintf(stderr, "amdgpu_render_tuning: %s is not the amdgpu runtime\n", library.c_str());
        return 1;
    }
    const bool captures = std::filesystem::is_directory(TACHYON_AMDGPU_CAPTURES);
    TempHome home;
    writeFile(home.drirc(),
              "<driconf>\n  <device>\n    <application name=\"Default\">\n"
              "      <option name=\"vblank_mode\" value=\"0\"/>\n"
              "      <option name=\"pp_jimenezmlaa\" value=\"8\"/>\n    </application>\n  </device>\n</driconf>\n");
    writeFile(home.environment(), "MESA_VK_WSI_PRESENT_MODE=immediate\nRADV_TEX_ANISO=16\nAMD_TEX_ANISO=16\n"
                                  "DXVK_CONFIG=\"dxgi.maxFrameRate=144;d3d9.maxFrameRate=144\"\n");
    struct Page {
        const char* family;
        const char* capture;
        const char* fixture;
    };
    int failures = 0;
    for (const Page& page : {Page{"polaris", "rx580", "polaris"}, Page{"navi2x", "rx6900xt", "navi2x"},
                             Page{"navi3x", "rx7800xt", "navi3x"}}) {
        const std::filesystem::path tree =
            captures ? std::filesystem::path(TACHYON_AMDGPU_CAPTURES) / page.capture
                     : std::filesystem::path(TACHYON_AMDGPU_FIXTURES) / page.fixture;
        std::string error;
        auto model = kernelmodel::KernelModel::FromTrees({tree}, &error);
        if (!model) {
            std::fprintf(stderr, "amdgpu_render_tuning: %s\n", error.c_str());
            ++failures;
            continue;
        }
        use(model.get());
        ADLXHelper adlx;
        if (adlx.StartRuntime() != ADLX_OK) {
            std::fprintf(stderr, "amdgpu_render_tuning: %s\n", adlx.LastError().c_str());
            return 1;
        }
        AnsweringPrompts prompts;
        {
            CTachyonDlg dialog(adlx, prompts);
            dialog.OnInitDialog();
            dialog.show();
            dialog.TabCtrl()->TabBar()->setCurrentIndex(kTuningPage);
            dialog.TabCtrl()->OnLButtonDown(kTuningPage);
            QApplication::processEvents();
            const QString file = folder.filePath(QStringLiteral("tuning-%1.png").arg(page.family));
            if (!dialog.grab().save(file)) ++failures;
            // The user's Mesa settings, the same on every card: once, top and end of the page.
            if (std::string_view(page.family) == "navi2x") {
                dialog.TabCtrl()->TabBar()->setCurrentIndex(kGraphicsPage);
                dialog.TabCtrl()->OnLButtonDown(kGraphicsPage);
                QApplication::processEvents();
                if (!dialog.grab().save(folder.filePath(QStringLiteral("graphics-amdgpu.png")))) ++failures;
                auto* graphics = static_cast<Tab_Graphics*>(dialog.TabCtrl()->Page(kGraphicsPage));
                graphics->OnVScroll(SB_THUMBPOSITION, graphics->m_scrollMax);
                QApplication::processEvents();
                if (!dialog.grab().save(folder.filePath(QStringLiteral("graphics-amdgpu-end.png")))) ++failures;
            }
        }
        adlx.StopRuntime();
        use(nullptr);
    }
    dlclose(module);
    return failures == 0 ? 0 : 1;
}
