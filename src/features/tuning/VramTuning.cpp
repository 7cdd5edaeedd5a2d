// SPDX-License-Identifier: GPL-3.0-or-later
// The memory's maximum clock (edit 1010) and its timing level (combo 1013, filled from the levels
// the driver offers, in the driver's order).

#include <QComboBox>
#include <vector>

#include "TuningAccess.h"
#include "ui/CTachyonDlg.h"

namespace {

adlx::InterfacePtr<IADLXManualVRAMTuning2> VramTuning(IADLXGPUTuningServices* services, IADLXGPU* gpu) {
    return tuning::ManualTuning<IADLXManualVRAMTuning2>(services, gpu, &IADLXGPUTuningServices::GetManualVRAMTuning);
}

// The levels the driver lists, in its order. An item the list does not deliver, or whose value
// cannot be read, is left out; the others keep their own values.
std::vector<std::int32_t> DriverTimings(IADLXManualVRAMTuning2* vram) {
    std::vector<std::int32_t> values;
    adlx::InterfacePtr<IADLXMemoryTimingDescriptionList> list;
    if (vram->GetSupportedMemoryTimingDescriptionList(list.put()) != ADLX_OK) list.detach();
    if (!list) return values;
    for (adlx_uint i = 0; i < list->End(); ++i) {
        adlx::InterfacePtr<IADLXMemoryTimingDescription> item;
        if (list->At(i, item.put()) != ADLX_OK) item.detach();
        if (!item) continue;
        ADLX_MEMORYTIMING_DESCRIPTION value = MEMORYTIMING_DEFAULT;
        if (item->GetDescription(&value) != ADLX_OK) continue;
        values.push_back(static_cast<std::int32_t>(value));
    }
    return values;
}

}  // namespace

int CTachyonDlg::InitVramTuning() {
    bool vramSupported = false;
    bool timingSupported = false;
    adlx_bool supported = false;
    // A question the driver reports as failed counts as no, whatever it wrote.
    if (m_gpuTuningServices &&
        m_gpuTuningServices->IsSupportedManualVRAMTuning(m_gpu.get(), &supported) != ADLX_OK) {
        supported = false;
    }
    if (supported) {
        if (auto vram = VramTuning(m_gpuTuningServices.get(), m_gpu.get())) {
            vramSupported = true;
            adlx_bool timing = false;
            if (vram->IsSupportedMemoryTiming(&timing) != ADLX_OK) timing = false;
            timingSupported = timing;
            if (timingSupported) {
                m_vocabularies.memoryTiming.FillFromDriver(DriverTimings(vram.get()), [](std::int32_t value) {
                    return QStringLiteral("Unknown Timing Level %1").arg(value);
                });
            }
        }
    }
    // Without timing support the list keeps what an earlier GPU left in it, unusable.
    m_vramTuningSupported = vramSupported ? 1 : 0;
    m_memoryTimingSupported = timingSupported ? 1 : 0;
    EnableControls(kTuningPage, {1010}, m_vramTuningSupported);
    EnableControls(kTuningPage, {1013}, m_memoryTimingSupported);
    return ADLX_OK;
}

int CTachyonDlg::ReadVramTuning() {
    if (!m_vramTuningSupported) return ADLX_NOT_SUPPORTED;
    auto vram = VramTuning(m_gpuTuningServices.get(), m_gpu.get());
    if (!vram) return ADLX_OK;
    adlx_int maximum = 0;
    ADLX_MEMORYTIMING_DESCRIPTION timing = MEMORYTIMING_DEFAULT;
    vram->GetMaxVRAMFrequency(&maximum);
    // Asked even without timing support: a list an earlier GPU filled may still hold the value.
    vram->GetMemoryTimingDescription(&timing);
    SetEditNumber(kTuningPage, 1010, maximum);
    m_vocabularies.memoryTiming.SelectComboValue(static_cast<std::int32_t>(timing));
    return ADLX_OK;
}

int CTachyonDlg::ApplyVramTuning() {
    if (!m_vramTuningSupported) return ADLX_NOT_SUPPORTED;
    const std::int32_t maximum = EditNumber(kTuningPage, 1010);
    // Nothing chosen, or a label the list does not carry, means the default level.
    const std::int32_t timing = m_vocabularies.memoryTiming.GetComboValue(MEMORYTIMING_DEFAULT);
    auto vram = VramTuning(m_gpuTuningServices.get(), m_gpu.get());
    if (!vram) return ADLX_OK;
    vram->SetMaxVRAMFrequency(maximum);
    vram->SetMemoryTimingDescription(static_cast<ADLX_MEMORYTIMING_DESCRIPTION>(timing));
    return ADLX_OK;
}
