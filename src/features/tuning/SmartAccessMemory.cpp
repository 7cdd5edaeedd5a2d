// SPDX-License-Identifier: GPL-3.0-or-later
// Smart Access Memory: check box 1015. Switching it takes effect only after the driver has
// reconfigured the card, so a change is followed by a twelve-second countdown in the status line
// during which the program deliberately takes no input.

#include <QLabel>

#include "ui/CTachyonDlg.h"
#include "ui/Prompts.h"

namespace {

constexpr int kCountdownSeconds = 12;

adlx::InterfacePtr<IADLXSmartAccessMemory> SmartAccessMemory(IADLXGPUTuningServices1* services, IADLXGPU* gpu) {
    adlx::InterfacePtr<IADLXSmartAccessMemory> sam;
    if (services == nullptr || gpu == nullptr) return sam;
    if (services->GetSmartAccessMemory(gpu, sam.put()) != ADLX_OK) sam.detach();
    return sam;
}

}  // namespace

int CTachyonDlg::ReadSmartAccessMemory() {
    if (!m_samSupported) return ADLX_NOT_SUPPORTED;
    auto sam = SmartAccessMemory(m_gpuTuningServices1.get(), m_gpu.get());
    if (!sam) return ADLX_OK;
    adlx_bool enabled = false;
    sam->IsEnabled(&enabled);
    SetChecked(kTuningPage, 1015, enabled);
    return ADLX_OK;
}

int CTachyonDlg::ApplySmartAccessMemory() {
    if (!m_samSupported) return ADLX_NOT_SUPPORTED;
    const bool wanted = IsChecked(kTuningPage, 1015);
    auto sam = SmartAccessMemory(m_gpuTuningServices1.get(), m_gpu.get());
    if (!sam) return ADLX_OK;
    adlx_bool enabled = false;
    sam->IsEnabled(&enabled);
    if (static_cast<bool>(enabled) == wanted) return ADLX_OK;
    sam->SetEnabled(wanted);

    // No message is handled while the thread sleeps, so each text is painted on the spot.
    auto* status = qobject_cast<QLabel*>(MainControl(1100));
    if (status != nullptr) status->show();
    for (int n = kCountdownSeconds; n >= 1; --n) {
        if (status != nullptr) {
            status->setText(QStringLiteral("SAM... %1").arg(n));
            status->repaint();
        }
        PromptSeam().Sleep(1000);
    }
    if (status != nullptr) status->hide();
    return ADLX_OK;
}
