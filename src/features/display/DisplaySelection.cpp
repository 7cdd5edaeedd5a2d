// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing a display: the display list 1087, the probe of what the chosen display supports, and
// what the main window does when the user picks another display.

#include <QComboBox>

#include "DisplayFeature.h"
#include "ui/CTachyonDlg.h"
#include "ui/Prompts.h"

int CTachyonDlg::ListDisplays() {
    QComboBox* selector = Combo(kDisplayPage, 1087);
    m_displayList.reset();
    if (!m_displayServices || m_displayServices->GetDisplays(m_displayList.put()) != ADLX_OK) m_displayList.reset();

    selector->clear();
    m_displayPositions.clear();
    if (m_displayList) {
        adlx::InterfacePtr<IADLXDisplay> display;
        for (adlx_uint i = m_displayList->Begin(); i < m_displayList->End(); ++i) {
            // A display that cannot be fetched is left out; the positions after it still lead
            // to the displays whose names they show.
            if (m_displayList->At(i, display.put()) != ADLX_OK || !display) continue;
            const char* name = nullptr;
            if (display->Name(&name) != ADLX_OK) name = nullptr;
            selector->addItem(name != nullptr ? QString::fromLocal8Bit(name) : QString());
            m_displayPositions.push_back(i);
        }
    }

    if (selector->count() == 0) {
        PromptSeam().MessageBox(this, QStringLiteral("no display found?!?"), ApplicationName(), PromptButtons::Ok,
                                PromptIcon::None);
        return ADLX_FAIL;
    }
    // Not a choice of the user's: the page is not told.
    selector->setCurrentIndex(0);
    return 0;
}

void CTachyonDlg::DisableDisplayFeatures() {
    m_freeSyncSupported = 0;
    m_vsrSupported = 0;
    m_gpuScalingSupported = 0;
    m_scalingModeSupported = 0;
    m_integerScalingSupported = 0;
    m_colorDepthSupported = 0;
    m_pixelFormatSupported = 0;
    EnableControls(kDisplayPage, {1080, 1081, 1082, 1083, 1084, 1085, 1086}, false);
}

int CTachyonDlg::ProbeDisplay(std::uint32_t position) {
    if (!m_displayList || position >= m_displayPositions.size()) return ADLX_FAIL;
    const adlx_uint index = m_displayPositions[position];
    if (index >= m_displayList->Size()) return ADLX_FAIL;

    m_display.reset();
    if (m_displayList->At(index, m_display.put()) != ADLX_OK || !m_display) {
        m_display.reset();
        // The previous display is gone: its flags would send the operations a null display.
        DisableDisplayFeatures();
        return ADLX_FAIL;
    }

    m_displayServices.reset();
    IADLXSystem* system = System();
    if (system == nullptr || system->GetDisplaysServices(m_displayServices.put()) != ADLX_OK || !m_displayServices) {
        m_displayServices.reset();
        // The flags would otherwise describe the previous display and send its operations
        // through services that are gone.
        DisableDisplayFeatures();
        return 0;
    }

    IADLXDisplayServices* services = m_displayServices.get();
    IADLXDisplay* display = m_display.get();

    m_freeSyncSupported = DisplayFeatureSupported(services, display, &IADLXDisplayServices::GetFreeSync) ? 1 : 0;
    EnableControls(kDisplayPage, {1080}, m_freeSyncSupported);

    m_vsrSupported = DisplayFeatureSupported(services, display, &IADLXDisplayServices::GetVirtualSuperResolution) ? 1 : 0;
    EnableControls(kDisplayPage, {1081}, m_vsrSupported);

    // Integer scaling is only enabled once the GPU scaling read finds GPU scaling on.
    m_integerScalingSupported =
        DisplayFeatureSupported(services, display, &IADLXDisplayServices::GetIntegerScaling) ? 1 : 0;
    EnableControls(kDisplayPage, {1084}, false);

    m_gpuScalingSupported = DisplayFeatureSupported(services, display, &IADLXDisplayServices::GetGPUScaling) ? 1 : 0;
    EnableControls(kDisplayPage, {1082}, m_gpuScalingSupported);

    InitScalingMode();
    InitColorDepth();
    InitPixelFormat();
    return 0;
}

void CTachyonDlg::OnDisplayChosen(std::intptr_t position) {
    // A refused position leaves the previous display selected; the reads then show it again.
    ProbeDisplay(static_cast<std::uint32_t>(position));
    ReadPage(kDisplayPage);
}
