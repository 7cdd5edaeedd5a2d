// SPDX-License-Identifier: GPL-3.0-or-later
// The five-point fan curve (speed in edit 1023 + 2k, temperature in 1024 + 2k for point k of the
// Fan page) and zero-RPM operation (check box 1035). The driver decides how many points a curve
// has and whether a curve is acceptable; the page only ever shows and supplies the first five.

#include <algorithm>
#include <vector>

#include "TuningAccess.h"
#include "ui/CTachyonDlg.h"

namespace {

constexpr adlx_uint kPagePoints = 5;

int SpeedEdit(adlx_uint point) { return 1023 + 2 * static_cast<int>(point); }
int TemperatureEdit(adlx_uint point) { return 1024 + 2 * static_cast<int>(point); }

adlx::InterfacePtr<IADLXManualFanTuning> FanTuning(IADLXGPUTuningServices* services, IADLXGPU* gpu) {
    return tuning::ManualTuning<IADLXManualFanTuning>(services, gpu, &IADLXGPUTuningServices::GetManualFanTuning);
}

using StateListGetter = ADLX_RESULT (IADLXManualFanTuning::*)(IADLXManualFanTuningStateList**);

adlx::InterfacePtr<IADLXManualFanTuningStateList> States(IADLXManualFanTuning* fan, StateListGetter getter) {
    adlx::InterfacePtr<IADLXManualFanTuningStateList> states;
    if ((fan->*getter)(states.put()) != ADLX_OK) states.detach();
    return states;
}

adlx::InterfacePtr<IADLXManualFanTuningState> StateAt(IADLXManualFanTuningStateList* states, adlx_uint i) {
    adlx::InterfacePtr<IADLXManualFanTuningState> state;
    if (states->At(i, state.put()) != ADLX_OK) state.detach();
    return state;
}

// One curve as two arrays of at least five points, so the page's points always have a value.
struct Curve {
    explicit Curve(adlx_uint driverPoints) : speeds(std::max(driverPoints, kPagePoints), 0),
                                              temperatures(speeds.size(), 0) {}
    std::vector<adlx_int> speeds;
    std::vector<adlx_int> temperatures;
};

// Copies the points a state list holds into the curve, from firstPoint on. A point the list does
// not deliver keeps what the curve had; so does any index beyond the curve's size.
void ReadStates(IADLXManualFanTuningStateList* states, Curve& curve, adlx_uint firstPoint) {
    for (adlx_uint i = std::max(states->Begin(), firstPoint); i < states->End(); ++i) {
        if (i >= curve.speeds.size()) break;
        auto state = StateAt(states, i);
        if (!state) continue;
        state->GetFanSpeed(&curve.speeds[i]);
        state->GetTemperature(&curve.temperatures[i]);
    }
}

}  // namespace

int CTachyonDlg::InitFanTuning() {
    bool fanSupported = false;
    bool zeroRpmSupported = false;
    adlx_bool supported = false;
    // A question the driver reports as failed counts as no, whatever it wrote.
    if (m_gpuTuningServices &&
        m_gpuTuningServices->IsSupportedManualFanTuning(m_gpu.get(), &supported) != ADLX_OK) {
        supported = false;
    }
    if (supported) {
        // A curve that cannot be reached is not tunable: editable edits would pretend otherwise.
        if (auto fan = FanTuning(m_gpuTuningServices.get(), m_gpu.get())) {
            fanSupported = true;
            adlx_bool zeroRpm = false;
            if (fan->IsSupportedZeroRPM(&zeroRpm) != ADLX_OK) zeroRpm = false;
            zeroRpmSupported = zeroRpm;
        }
    }
    m_fanTuningSupported = fanSupported ? 1 : 0;
    m_zeroRpmSupported = zeroRpmSupported ? 1 : 0;
    EnableControls(kFanPage, {1023, 1024, 1025, 1026, 1027, 1028, 1029, 1030, 1031, 1032}, m_fanTuningSupported);
    EnableControls(kFanPage, {1035}, m_zeroRpmSupported);
    return ADLX_OK;
}

int CTachyonDlg::ReadFanTuning() {
    if (!m_fanTuningSupported) return ADLX_NOT_SUPPORTED;
    auto fan = FanTuning(m_gpuTuningServices.get(), m_gpu.get());
    if (!fan) return ADLX_OK;
    auto states = States(fan.get(), &IADLXManualFanTuning::GetFanTuningStates);
    Curve curve(states ? states->Size() : 0);
    if (states) ReadStates(states.get(), curve, 0);
    for (adlx_uint k = 0; k < kPagePoints; ++k) {
        SetEditNumber(kFanPage, SpeedEdit(k), curve.speeds[k]);
        SetEditNumber(kFanPage, TemperatureEdit(k), curve.temperatures[k]);
    }
    if (m_zeroRpmSupported) {
        adlx_bool zeroRpm = false;
        fan->GetZeroRPMState(&zeroRpm);
        SetChecked(kFanPage, 1035, zeroRpm);
    }
    return ADLX_OK;
}

int CTachyonDlg::ApplyFanTuning() {
    if (!m_fanTuningSupported) return ADLX_NOT_SUPPORTED;
    std::int32_t speeds[kPagePoints];
    std::int32_t temperatures[kPagePoints];
    for (adlx_uint k = 0; k < kPagePoints; ++k) {
        speeds[k] = EditNumber(kFanPage, SpeedEdit(k));
        temperatures[k] = EditNumber(kFanPage, TemperatureEdit(k));
    }
    const bool zeroRpm = IsChecked(kFanPage, 1035);
    auto fan = FanTuning(m_gpuTuningServices.get(), m_gpu.get());
    if (!fan) return ADLX_OK;

    if (auto states = States(fan.get(), &IADLXManualFanTuning::GetEmptyFanTuningStates)) {
        Curve curve(states->Size());
        std::copy(speeds, speeds + kPagePoints, curve.speeds.begin());
        std::copy(temperatures, temperatures + kPagePoints, curve.temperatures.begin());
        // The page has no place for points past the fifth: they stay as the driver has them.
        if (curve.speeds.size() > kPagePoints) {
            if (auto current = States(fan.get(), &IADLXManualFanTuning::GetFanTuningStates)) {
                ReadStates(current.get(), curve, kPagePoints);
            }
        }
        for (adlx_uint i = states->Begin(); i < states->End(); ++i) {
            if (i >= curve.speeds.size()) break;
            auto state = StateAt(states.get(), i);
            if (!state) continue;
            state->SetFanSpeed(curve.speeds[i]);
            state->SetTemperature(curve.temperatures[i]);
        }
        adlx_int errorIndex = -1;
        if (fan->IsValidFanTuningStates(states.get(), &errorIndex) == ADLX_OK) fan->SetFanTuningStates(states.get());
    }
    // The zero-RPM choice stands on its own: it is applied even when the curve was refused.
    if (m_zeroRpmSupported) fan->SetZeroRPMState(zeroRpm);
    return ADLX_OK;
}
