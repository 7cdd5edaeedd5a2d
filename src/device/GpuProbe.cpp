// SPDX-License-Identifier: GPL-3.0-or-later
// GPU selection and capability probe: lists the GPUs into the selector and, for the chosen one,
// fetches the services, asks which features it supports and enables the controls accordingly.

#include <QComboBox>

#include "ui/CTachyonDlg.h"
#include "ui/Prompts.h"

namespace {

// A GPU-bound 3D feature's support: preset false, fetched with getter, answered by IsSupported.
// Throughout the probe a question the driver reports as failed counts as no, whatever it wrote.
template <typename Feature>
int FeatureSupported(IADLX3DSettingsServices* services, IADLXGPU* gpu,
                     ADLX_RESULT (IADLX3DSettingsServices::*getter)(IADLXGPU*, Feature**)) {
    adlx_bool supported = false;
    adlx::InterfacePtr<Feature> feature;
    if (services != nullptr && (services->*getter)(gpu, feature.put()) == ADLX_OK && feature) {
        if (feature->IsSupported(&supported) != ADLX_OK) supported = false;
    }
    return supported ? 1 : 0;
}

// Without a GPU no feature of the previous one may be read or applied: its operations would hand
// the driver a null GPU. Super Resolution is system-wide and stays; the Smart Access Memory box is
// always enabled.
void ForgetGpuFeatures(CTachyonDlg& dlg) {
    for (int* flag : {&dlg.m_gfxTuningSupported, &dlg.m_vramTuningSupported, &dlg.m_memoryTimingSupported,
                      &dlg.m_powerTuningSupported, &dlg.m_tdcSupported, &dlg.m_samSupported,
                      &dlg.m_fanTuningSupported, &dlg.m_zeroRpmSupported, &dlg.m_boostSupported,
                      &dlg.m_chillSupported, &dlg.m_antiLagSupported, &dlg.m_antiLagLevelSupported,
                      &dlg.m_imageSharpeningSupported, &dlg.m_enhancedSyncSupported, &dlg.m_vsyncSupported,
                      &dlg.m_frtcSupported, &dlg.m_antiAliasingSupported, &dlg.m_mlaaSupported,
                      &dlg.m_anisotropicSupported, &dlg.m_tessellationSupported, &dlg.m_resetShaderCacheSupported}) {
        *flag = 0;
    }
    dlg.EnableControls(kTuningPage, {1007, 1008, 1010, 1011, 1012, 1013, 1014}, false);
    dlg.EnableControls(kFanPage, {1023, 1024, 1025, 1026, 1027, 1028, 1029, 1030, 1031, 1032, 1035}, false);
    dlg.EnableControls(kGraphicsPage, {1040, 1041, 1042, 1043, 1044, 1045, 1046, 1047, 1050, 1051, 1052, 1053, 1054,
                                       1055, 1056, 1057, 1058, 1059, 1060, 1061, 1062, 1063},
                       false);
}

}  // namespace

int CTachyonDlg::EnumerateGpus() {
    auto* selector = qobject_cast<QComboBox*>(MainControl(1000));
    m_gpuList.reset();
    if (IADLXSystem* system = System()) system->GetGPUs(m_gpuList.put());
    if (m_gpuList) {
        for (adlx_uint i = m_gpuList->Begin(); i != m_gpuList->End(); ++i) {
            adlx::InterfacePtr<IADLXGPU> gpu;
            if (m_gpuList->At(i, gpu.put()) != ADLX_OK || !gpu) continue;
            const char* name = nullptr;
            gpu->Name(&name);
            QString text = name != nullptr ? QString::fromLocal8Bit(name) : QString();
            if (auto gpu1 = gpu.query<IADLXGPU1>()) {
                ADLX_MGPU_MODE mode = MGPU_NONE;
                gpu1->MultiGPUMode(&mode);
                if (mode == MGPU_PRIMARY) text += QStringLiteral(" - Primary");
            }
            // The entry remembers its list index: a GPU left out must not shift the later ones.
            selector->addItem(text, QVariant::fromValue(i));
        }
    }
    if (selector->count() > 0) {
        selector->setCurrentIndex(0);
        return 0;
    }
    PromptSeam().MessageBox(this, QStringLiteral("no supported GPU found!"), ApplicationName(), PromptButtons::Ok,
                            PromptIcon::None);
    return ADLX_FAIL;
}

int CTachyonDlg::SelectGpu(unsigned position) {
    adlx_uint index = position;
    const auto* selector = qobject_cast<QComboBox*>(MainControl(1000));
    if (position < static_cast<unsigned>(selector->count())) {
        const QVariant listIndex = selector->itemData(static_cast<int>(position));
        if (listIndex.isValid()) index = listIndex.value<adlx_uint>();
    }
    if (!m_gpuList || index >= m_gpuList->Size()) return ADLX_FAIL;
    m_gpu.reset();
    if (m_gpuList->At(index, m_gpu.put()) != ADLX_OK || !m_gpu) {
        m_gpu.reset();
        ForgetGpuFeatures(*this);
        return ADLX_FAIL;
    }
    IADLXSystem* system = System();

    // GPU tuning.
    m_gpuTuningServices.reset();
    if (system != nullptr && system->GetGPUTuningServices(m_gpuTuningServices.put()) == ADLX_OK && m_gpuTuningServices) {
        adlx_bool gfx = false;
        if (m_gpuTuningServices->IsSupportedManualGFXTuning(m_gpu.get(), &gfx) != ADLX_OK) gfx = false;
        if (gfx) {
            adlx::InterfacePtr<IADLXInterface> tuning;
            m_gpuTuningServices->GetManualGFXTuning(m_gpu.get(), tuning.put());
            gfx = static_cast<bool>(tuning.query<IADLXManualGraphicsTuning2>());
        }
        m_gfxTuningSupported = gfx ? 1 : 0;
        EnableControls(kTuningPage, {1007, 1008, 1011}, m_gfxTuningSupported);

        InitVramTuning();

        adlx_bool power = false;
        if (m_gpuTuningServices->IsSupportedManualPowerTuning(m_gpu.get(), &power) != ADLX_OK) power = false;
        m_powerTuningSupported = power ? 1 : 0;
        EnableControls(kTuningPage, {1012}, m_powerTuningSupported);

        // TDC is asked whether or not power tuning is supported.
        adlx_bool tdc = false;
        {
            adlx::InterfacePtr<IADLXInterface> tuning;
            m_gpuTuningServices->GetManualPowerTuning(m_gpu.get(), tuning.put());
            auto powerTuning = tuning.query<IADLXManualPowerTuning>();
            if (powerTuning && powerTuning->IsSupportedTDCLimit(&tdc) != ADLX_OK) tdc = false;
        }
        m_tdcSupported = tdc ? 1 : 0;
        EnableControls(kTuningPage, {1014}, m_tdcSupported);

        InitFanTuning();

        adlx_bool sam = false;
        m_gpuTuningServices1.reset();
        m_gpuTuningServices1 = m_gpuTuningServices.query<IADLXGPUTuningServices1>();
        if (m_gpuTuningServices1) {
            adlx::InterfacePtr<IADLXSmartAccessMemory> smartAccessMemory;
            if (m_gpuTuningServices1->GetSmartAccessMemory(m_gpu.get(), smartAccessMemory.put()) == ADLX_OK &&
                smartAccessMemory) {
                if (smartAccessMemory->IsSupported(&sam) != ADLX_OK) sam = false;
            }
        }
        m_samSupported = sam ? 1 : 0;
        // The box stays usable on every GPU; only the flag decides whether it is read or applied.
        EnableControls(kTuningPage, {1015}, true);
    }

    // 3D settings.
    m_3dSettingsServices.reset();
    if (system != nullptr && system->Get3DSettingsServices(m_3dSettingsServices.put()) == ADLX_OK &&
        m_3dSettingsServices) {
        IADLX3DSettingsServices* services = m_3dSettingsServices.get();
        IADLXGPU* gpu = m_gpu.get();

        adlx_bool antiLag = false;
        adlx_bool antiLagLevel = false;
        {
            adlx::InterfacePtr<IADLX3DAntiLag> feature;
            if (services->GetAntiLag(gpu, feature.put()) == ADLX_OK && feature &&
                feature->IsSupported(&antiLag) != ADLX_OK) {
                antiLag = false;
            }
            if (antiLag) {
                auto level = feature.query<IADLX3DAntiLag1>();
                if (level && level->IsSupported(&antiLagLevel) != ADLX_OK) antiLagLevel = false;
            }
        }
        m_antiLagSupported = antiLag ? 1 : 0;
        m_antiLagLevelSupported = antiLag && antiLagLevel ? 1 : 0;
        EnableControls(kGraphicsPage, {1045}, m_antiLagSupported);
        EnableControls(kGraphicsPage, {1054}, m_antiLagLevelSupported);

        m_boostSupported = FeatureSupported(services, gpu, &IADLX3DSettingsServices::GetBoost);
        EnableControls(kGraphicsPage, {1040, 1041}, m_boostSupported);
        m_chillSupported = FeatureSupported(services, gpu, &IADLX3DSettingsServices::GetChill);
        EnableControls(kGraphicsPage, {1044, 1042, 1043}, m_chillSupported);
        m_imageSharpeningSupported = FeatureSupported(services, gpu, &IADLX3DSettingsServices::GetImageSharpening);
        EnableControls(kGraphicsPage, {1046, 1047}, m_imageSharpeningSupported);

        adlx_bool superResolution = false;
        {
            adlx::InterfacePtr<IADLX3DRadeonSuperResolution> feature;
            if (services->GetRadeonSuperResolution(feature.put()) == ADLX_OK && feature &&
                feature->IsSupported(&superResolution) != ADLX_OK) {
                superResolution = false;
            }
        }
        m_superResolutionSupported = superResolution ? 1 : 0;
        EnableControls(kGraphicsPage, {1048, 1049}, m_superResolutionSupported);

        m_enhancedSyncSupported = FeatureSupported(services, gpu, &IADLX3DSettingsServices::GetEnhancedSync);
        EnableControls(kGraphicsPage, {1050}, m_enhancedSyncSupported);

        InitVSync();

        m_frtcSupported = FeatureSupported(services, gpu, &IADLX3DSettingsServices::GetFrameRateTargetControl);
        EnableControls(kGraphicsPage, {1051, 1052}, m_frtcSupported);

        InitAntiAliasing();
        if (m_antiAliasingSupported) {
            m_vocabularies.antiAliasingLevel.FillWhole();
            m_vocabularies.antiAliasingMethod.FillWhole();
        } else {
            EnableControls(kGraphicsPage, {1057, 1058}, false);
        }

        m_mlaaSupported = FeatureSupported(services, gpu, &IADLX3DSettingsServices::GetMorphologicAntiAliasing);
        EnableControls(kGraphicsPage, {1059}, m_mlaaSupported);

        m_anisotropicSupported = FeatureSupported(services, gpu, &IADLX3DSettingsServices::GetAnisotropicFiltering);
        EnableControls(kGraphicsPage, {1060, 1061}, m_anisotropicSupported);
        if (m_anisotropicSupported) {
            m_vocabularies.anisotropicLevel.FillWhole();
        } else {
            EnableControls(kGraphicsPage, {1061}, false);
        }

        InitTessellation();
        if (m_tessellationSupported) {
            m_vocabularies.tessellationLevel.FillWhole();
        } else {
            EnableControls(kGraphicsPage, {1063}, false);
        }

        m_resetShaderCacheSupported = FeatureSupported(services, gpu, &IADLX3DSettingsServices::GetResetShaderCache);
        EnableControls(kGraphicsPage, {1053}, m_resetShaderCacheSupported);
    }

    // Displays.
    m_displayServices.reset();
    if (system != nullptr && system->GetDisplaysServices(m_displayServices.put()) == ADLX_OK && m_displayServices) {
        ListDisplays();
        ProbeDisplay(0);
    } else {
        DisableDisplayFeatures();
    }
    return 0;
}
