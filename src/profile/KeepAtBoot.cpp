// SPDX-License-Identifier: GPL-3.0-or-later
// The window's two boot entries: the selected GPU's shown Tuning and Fan values kept as its boot
// profile, under a name of its own (gpu-DevID-RevID), or no longer kept. Nothing reaches the
// card here; the values are applied at the next boot and resume.

#include "ui/CTachyonDlg.h"
#include "ui/Prompts.h"

namespace {

QString Outcome(const KeeperOutcome& outcome, const QString& done) {
    if (outcome.result == KeeperOutcome::Done) return done;
    QString text = outcome.message;
    if (!text.isEmpty()) text[0] = text[0].toUpper();
    return text + u'.';
}

}  // namespace

void CTachyonDlg::KeepAtBoot() {
    const ProfileValues values = ShownProfileValues();
    const QString name = GpuBootProfileName(values.devId, values.revId);
    const KeeperOutcome outcome = KeepBootProfile(m_keeperRoute, name, ProfileText(values));
    m_prompts.MessageBox(
        this,
        Outcome(outcome, QStringLiteral("The Tuning and Fan values shown are now applied to this GPU at every "
                                        "boot and after resume (kept as %1/%2.xml).")
                             .arg(m_keeperRoute.folder, name)),
        ApplicationName(), PromptButtons::Ok, PromptIcon::None);
}

void CTachyonDlg::StopKeepingAtBoot() {
    const ProfileValues values = ShownProfileValues();
    const QString name = GpuBootProfileName(values.devId, values.revId);
    const KeeperOutcome outcome = ForgetBootProfile(m_keeperRoute, name);
    m_prompts.MessageBox(this,
                         Outcome(outcome, QStringLiteral("This GPU's values are no longer applied at boot; the "
                                                         "card keeps its present values until it restarts.")),
                         ApplicationName(), PromptButtons::Ok, PromptIcon::None);
}
