// SPDX-License-Identifier: GPL-3.0-or-later
// Image quality: anti-aliasing mode, level and method, morphological anti-aliasing, anisotropic
// filtering and its level, tessellation mode and level; and the shader cache reset.
//
// The anti-aliasing and tessellation levels belong to their modes: the level list is usable only
// while its mode list shows the override, and a level is written only while the driver's own mode
// is the override.

#include "SettingPatterns.h"

using namespace graphics;

namespace {

using Services = IADLX3DSettingsServices;

const ListSetting<IADLX3DAntiAliasing, ADLX_ANTI_ALIASING_MODE> kAntiAliasingMode{
    &CTachyonDlg::m_antiAliasingSupported,
    &Services::GetAntiAliasing,
    &SettingVocabularies::antiAliasingMode,
    &IADLX3DAntiAliasing::GetMode,
    &IADLX3DAntiAliasing::SetMode,
    0,
    false,
    1057,
    {1056, 1057, 1058}};

const ListSetting<IADLX3DAntiAliasing, ADLX_ANTI_ALIASING_LEVEL> kAntiAliasingLevel{
    &CTachyonDlg::m_antiAliasingSupported,
    &Services::GetAntiAliasing,
    &SettingVocabularies::antiAliasingLevel,
    &IADLX3DAntiAliasing::GetLevel,
    &IADLX3DAntiAliasing::SetLevel,
    0,
    true};

// The method is sent whatever the mode.
const ListSetting<IADLX3DAntiAliasing, ADLX_ANTI_ALIASING_METHOD> kAntiAliasingMethod{
    &CTachyonDlg::m_antiAliasingSupported,
    &Services::GetAntiAliasing,
    &SettingVocabularies::antiAliasingMethod,
    &IADLX3DAntiAliasing::GetMethod,
    &IADLX3DAntiAliasing::SetMethod,
    0};

const CheckBoxSetting<IADLX3DMorphologicalAntiAliasing> kMorphologicalAntiAliasing{
    &CTachyonDlg::m_mlaaSupported, &Services::GetMorphologicAntiAliasing, 1059, {}, {}};

const CheckBoxSetting<IADLX3DAnisotropicFiltering> kAnisotropicFiltering{
    &CTachyonDlg::m_anisotropicSupported, &Services::GetAnisotropicFiltering, 1060, {}, {1061}};

// The level has no mode of its own: it is sent on every apply, also while filtering is off.
const ListSetting<IADLX3DAnisotropicFiltering, ADLX_ANISOTROPIC_FILTERING_LEVEL> kAnisotropicLevel{
    &CTachyonDlg::m_anisotropicSupported,
    &Services::GetAnisotropicFiltering,
    &SettingVocabularies::anisotropicLevel,
    &IADLX3DAnisotropicFiltering::GetLevel,
    &IADLX3DAnisotropicFiltering::SetLevel,
    0,
    true};

const ListSetting<IADLX3DTessellation, ADLX_TESSELLATION_MODE> kTessellationMode{
    &CTachyonDlg::m_tessellationSupported,
    &Services::GetTessellation,
    &SettingVocabularies::tessellationMode,
    &IADLX3DTessellation::GetMode,
    &IADLX3DTessellation::SetMode,
    0,
    false,
    1063,
    {1062, 1063}};

// 1 is "Off": the level the driver would have without an override.
const ListSetting<IADLX3DTessellation, ADLX_TESSELLATION_LEVEL> kTessellationLevel{
    &CTachyonDlg::m_tessellationSupported,
    &Services::GetTessellation,
    &SettingVocabularies::tessellationLevel,
    &IADLX3DTessellation::GetLevel,
    &IADLX3DTessellation::SetLevel,
    1};

const ServicesGetter<IADLX3DResetShaderCache> kShaderCache{&Services::GetResetShaderCache};

}  // namespace

int CTachyonDlg::InitAntiAliasing() { return InitListSetting(*this, kAntiAliasingMode); }
int CTachyonDlg::ReadAntiAliasingMode() { return ReadListSetting(*this, kAntiAliasingMode); }
int CTachyonDlg::ApplyAntiAliasingMode() { return ApplyListSetting(*this, kAntiAliasingMode); }
int CTachyonDlg::ReadAntiAliasingLevel() { return ReadListSetting(*this, kAntiAliasingLevel); }
int CTachyonDlg::ReadAntiAliasingMethod() { return ReadListSetting(*this, kAntiAliasingMethod); }
int CTachyonDlg::ApplyAntiAliasingMethod() { return ApplyListSetting(*this, kAntiAliasingMethod); }
int CTachyonDlg::ReadMorphologicalAntiAliasing() { return ReadCheckBoxSetting(*this, kMorphologicalAntiAliasing); }
int CTachyonDlg::ApplyMorphologicalAntiAliasing() { return ApplyCheckBoxSetting(*this, kMorphologicalAntiAliasing); }
int CTachyonDlg::ReadAnisotropicFiltering() { return ReadCheckBoxSetting(*this, kAnisotropicFiltering); }
int CTachyonDlg::ApplyAnisotropicFiltering() { return ApplyCheckBoxSetting(*this, kAnisotropicFiltering); }
int CTachyonDlg::ReadAnisotropicLevel() { return ReadListSetting(*this, kAnisotropicLevel); }
int CTachyonDlg::ApplyAnisotropicLevel() { return ApplyListSetting(*this, kAnisotropicLevel); }
int CTachyonDlg::InitTessellation() { return InitListSetting(*this, kTessellationMode); }
int CTachyonDlg::ReadTessellationMode() { return ReadListSetting(*this, kTessellationMode); }
int CTachyonDlg::ApplyTessellationMode() { return ApplyListSetting(*this, kTessellationMode); }
int CTachyonDlg::ReadTessellationLevel() { return ReadListSetting(*this, kTessellationLevel); }

// The mode apply runs just before, so the mode asked here is the one the user has just applied,
// as far as the driver took it.
int CTachyonDlg::ApplyAntiAliasingLevel() {
    if (m_antiAliasingSupported == 0) return ADLX_NOT_SUPPORTED;
    const auto level = static_cast<ADLX_ANTI_ALIASING_LEVEL>(
        m_vocabularies.antiAliasingLevel.GetComboValue(kAntiAliasingLevel.fallback));
    const adlx::InterfacePtr<IADLX3DAntiAliasing> antiAliasing = kAntiAliasingLevel.fetch.Obtain(*this);
    if (!antiAliasing) return ADLX_OK;
    ADLX_ANTI_ALIASING_MODE mode = AA_MODE_USE_APP_SETTINGS;
    if (antiAliasing->GetMode(&mode) != ADLX_OK) mode = AA_MODE_USE_APP_SETTINGS;
    if (mode == kOverrideApplicationSettings) antiAliasing->SetLevel(level);
    return ADLX_OK;
}

int CTachyonDlg::ApplyTessellationLevel() {
    if (m_tessellationSupported == 0) return ADLX_NOT_SUPPORTED;
    const auto level = static_cast<ADLX_TESSELLATION_LEVEL>(
        m_vocabularies.tessellationLevel.GetComboValue(kTessellationLevel.fallback));
    const adlx::InterfacePtr<IADLX3DTessellation> tessellation = kTessellationLevel.fetch.Obtain(*this);
    if (!tessellation) return ADLX_OK;
    ADLX_TESSELLATION_MODE mode = T_MODE_AMD_OPTIMIZED;
    if (tessellation->GetMode(&mode) != ADLX_OK) mode = T_MODE_AMD_OPTIMIZED;
    if (mode == kOverrideApplicationSettings) tessellation->SetLevel(level);
    return ADLX_OK;
}

void CTachyonDlg::OnAntiAliasingModeChanged(std::intptr_t position) {
    FollowChosenMode(*this, m_vocabularies.antiAliasingMode, kAntiAliasingMode.levelList, position);
}

void CTachyonDlg::OnTessellationModeChanged(std::intptr_t position) {
    FollowChosenMode(*this, m_vocabularies.tessellationMode, kTessellationMode.levelList, position);
}

// Asked for by the page once the user said Yes. Nothing is shown or re-read afterwards: the
// driver's answer is not reported.
int CTachyonDlg::ResetShaderCache() {
    if (m_resetShaderCacheSupported == 0) return ADLX_NOT_SUPPORTED;
    if (const adlx::InterfacePtr<IADLX3DResetShaderCache> shaderCache = kShaderCache.Obtain(*this)) {
        shaderCache->ResetShaderCache();
    }
    return ADLX_OK;
}
