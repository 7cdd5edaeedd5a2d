// SPDX-License-Identifier: GPL-3.0-or-later
// What the runtime leaves for the person at the window when a command is over.

#include <QStringList>

#include "CTachyonDlg.h"
#include "Prompts.h"

namespace {
// A runtime that never runs out of notices must not hold the window forever.
constexpr int kMostNoticesPerCommand = 16;
}  // namespace

void CTachyonDlg::FetchUserCommands() {
    IADLXSystem* system = System();
    m_userCommands.reset();
    if (system == nullptr || system->GetUserCommands(m_userCommands.put()) != ADLX_OK) m_userCommands.reset();
}

void CTachyonDlg::EndUserCommand() {
    if (!m_userCommands) return;
    m_userCommands->EndCommand();
    QStringList shown;
    const char* text = nullptr;
    for (int taken = 0; taken < kMostNoticesPerCommand; ++taken) {
        if (m_userCommands->NextNotice(&text) != ADLX_OK || text == nullptr) break;
        const QString notice = QString::fromUtf8(text);
        // A Set that wrote several files may have met the same refusal at each of them.
        if (shown.contains(notice)) continue;
        shown << notice;
        m_prompts.MessageBox(this, notice, ApplicationName(), PromptButtons::Ok, PromptIcon::None);
    }
}
