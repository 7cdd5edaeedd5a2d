// SPDX-License-Identifier: GPL-3.0-or-later
#include "BenchSession.h"

#include <dlfcn.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "adlx/ADLXEntryPoints.h"
#include "adlx/SimControl.h"
#include "device/ADLXHelper.h"
#include "ui/CTachyonDlg.h"

namespace {
BenchSession* g_session = nullptr;
}

PromptAnswer QuietPrompts::MessageBox(QWidget*, const QString&, const QString&, PromptButtons buttons,
                                      PromptIcon) {
    ++messages;
    return buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
}

std::optional<QString> QuietPrompts::OpenFileName(QWidget*, const FileDialogRequest&) { return file; }

std::optional<QString> QuietPrompts::SaveFileName(QWidget*, const FileDialogRequest&) { return file; }

void QuietPrompts::Sleep(int) { ++sleeps; }

BenchSession::BenchSession() {
    m_adlx = std::make_unique<ADLXHelper>();
    if (m_adlx->StartRuntime() != ADLX_OK) {
        std::fprintf(stderr, "bench: the simulated runtime did not start: %s\n", m_adlx->LastError().c_str());
        std::exit(1);
    }
    // The runtime is already loaded by the helper; this only finds its control entry point.
    const std::string path = ADLXHelper::ExecutableFolder() + "/" ADLX_RUNTIME_LIBRARY;
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (module != nullptr) m_control = reinterpret_cast<ControlFn>(dlsym(module, TACHYON_SIM_CONTROL_SYMBOL));
    if (m_control == nullptr) {
        std::fprintf(stderr, "bench: %s is not the simulated runtime\n", path.c_str());
        std::exit(1);
    }
    FreshWindow();
    g_session = this;
}

CTachyonDlg& BenchSession::FreshWindow() {
    m_window.reset();
    Control("scenario");
    Control("faults.clear");
    if (!Control("faults").empty()) {
        std::fprintf(stderr, "bench: faults remain injected\n");
        std::exit(1);
    }
    ClearTrace();
    m_window = std::make_unique<CTachyonDlg>(*m_adlx, m_prompts);
    m_window->OnInitDialog();
    m_window->show();
    QApplication::processEvents();
    return *m_window;
}

BenchSession::~BenchSession() {
    g_session = nullptr;
    m_window.reset();
    m_adlx->StopRuntime();
}

BenchSession& BenchSession::Current() { return *g_session; }

std::string BenchSession::Control(const std::string& command, const std::string& argument) {
    const char* reply = m_control(command.c_str(), argument.c_str());
    const std::string text = reply != nullptr ? reply : "";
    if (text.rfind("error:", 0) == 0) {
        std::fprintf(stderr, "bench: %s %s: %s\n", command.c_str(), argument.c_str(), text.c_str());
        std::exit(1);
    }
    return text;
}
