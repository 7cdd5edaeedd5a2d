// SPDX-License-Identifier: GPL-3.0-or-later
// The graphics engine's minimum and maximum clock and its voltage: edits 1007, 1008 and 1011 of the
// Tuning page, moved as they are, in MHz and mV.

#include "TuningAccess.h"
#include "ui/CTachyonDlg.h"

int CTachyonDlg::ReadGfxClocks() {
    if (!m_gfxTuningSupported) return ADLX_NOT_SUPPORTED;
    auto gfx = tuning::ManualTuning<IADLXManualGraphicsTuning2>(m_gpuTuningServices.get(), m_gpu.get(),
                                                                &IADLXGPUTuningServices::GetManualGFXTuning);
    if (!gfx) return ADLX_OK;
    adlx_int minimum = 0;
    adlx_int maximum = 0;
    adlx_int voltage = 0;
    gfx->GetGPUMinFrequency(&minimum);
    gfx->GetGPUMaxFrequency(&maximum);
    gfx->GetGPUVoltage(&voltage);
    SetEditNumber(kTuningPage, 1007, minimum);
    SetEditNumber(kTuningPage, 1008, maximum);
    SetEditNumber(kTuningPage, 1011, voltage);
    return ADLX_OK;
}

int CTachyonDlg::ApplyGfxClocks() {
    if (!m_gfxTuningSupported) return ADLX_NOT_SUPPORTED;
    const std::int32_t minimum = EditNumber(kTuningPage, 1007);
    const std::int32_t maximum = EditNumber(kTuningPage, 1008);
    const std::int32_t voltage = EditNumber(kTuningPage, 1011);
    auto gfx = tuning::ManualTuning<IADLXManualGraphicsTuning2>(m_gpuTuningServices.get(), m_gpu.get(),
                                                                &IADLXGPUTuningServices::GetManualGFXTuning);
    if (!gfx) return ADLX_OK;
    // The driver judges each value on its own; a refused one shows up in the read that follows.
    gfx->SetGPUMinFrequency(minimum);
    gfx->SetGPUMaxFrequency(maximum);
    gfx->SetGPUVoltage(voltage);
    return ADLX_OK;
}
