// SPDX-License-Identifier: GPL-3.0-or-later
#include "CTachyonApp.h"

#include <cstdio>

#include "device/ADLXHelper.h"
#include "ui/CTachyonDlg.h"
#include "ui/Prompts.h"

CTachyonApp::CTachyonApp(ADLXHelper& adlx, Prompts& prompts) : m_adlx(adlx), m_prompts(prompts) {
    m_instanceMutex.Create("Tachyon Instance");
    if (m_adlx.StartRuntime() != ADLX_OK) {
        std::fprintf(stderr, "tachyon: %s\n", m_adlx.LastError().c_str());
        m_prompts.MessageBox(nullptr, QStringLiteral("ADLX Initialization failed!"), QStringLiteral("Zeta Error"),
                             PromptButtons::Ok, PromptIcon::None);
        m_exitCode = -1;
        return;
    }
    m_started = true;
}

CTachyonApp::~CTachyonApp() {
    m_instanceMutex.Close();
    m_adlx.StopRuntime();
}

bool CTachyonApp::InitInstance() {
    if (!m_started) return false;
    {
        CTachyonDlg dialog(m_adlx, m_prompts);
        dialog.DoModal();
    }  // the window and every interface it holds are gone before the runtime stops
    return false;
}
