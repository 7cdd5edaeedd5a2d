// SPDX-License-Identifier: GPL-3.0-or-later
// Power and TDC limits: the driver holds signed offsets, the page shows them as percentages of the
// card's standard limit, 100 plus the offset, in edits 1012 and 1014.

#include "TuningAccess.h"
#include "ui/CTachyonDlg.h"

namespace {

constexpr std::int32_t kStandardPercent = 100;

adlx::InterfacePtr<IADLXManualPowerTuning> PowerTuning(IADLXGPUTuningServices* services, IADLXGPU* gpu) {
    return tuning::ManualTuning<IADLXManualPowerTuning>(services, gpu, &IADLXGPUTuningServices::GetManualPowerTuning);
}

}  // namespace

int CTachyonDlg::ReadPowerTuning() {
    if (!m_powerTuningSupported) return ADLX_NOT_SUPPORTED;
    auto power = PowerTuning(m_gpuTuningServices.get(), m_gpu.get());
    if (!power) return ADLX_OK;
    adlx_int powerLimit = 0;
    adlx_int tdcLimit = 0;
    power->GetPowerLimit(&powerLimit);
    power->GetTDCLimit(&tdcLimit);
    SetEditNumber(kTuningPage, 1012, tuning::AddSaturated(powerLimit, kStandardPercent));
    if (m_tdcSupported) SetEditNumber(kTuningPage, 1014, tuning::AddSaturated(tdcLimit, kStandardPercent));
    return ADLX_OK;
}

int CTachyonDlg::ApplyPowerTuning() {
    if (!m_powerTuningSupported) return ADLX_NOT_SUPPORTED;
    const std::int32_t powerPercent = EditNumber(kTuningPage, 1012);
    const std::int32_t tdcPercent = EditNumber(kTuningPage, 1014);
    auto power = PowerTuning(m_gpuTuningServices.get(), m_gpu.get());
    if (!power) return ADLX_OK;
    power->SetPowerLimit(tuning::AddSaturated(powerPercent, -kStandardPercent));
    if (m_tdcSupported) power->SetTDCLimit(tuning::AddSaturated(tdcPercent, -kStandardPercent));
    return ADLX_OK;
}
