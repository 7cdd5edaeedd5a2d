// SPDX-License-Identifier: GPL-3.0-or-later
// Frame pacing and sharpening: Super Resolution, Anti-Lag with its Anti-Lag+ level, Boost, Chill,
// Image Sharpening, Enhanced Sync, V-Sync and frame rate target control.

#include "SettingPatterns.h"

using namespace graphics;

namespace {

using Services = IADLX3DSettingsServices;

// Super Resolution is a setting of the whole system, the only one here not asked for a GPU.
const CheckBoxSetting<IADLX3DRadeonSuperResolution> kSuperResolution{
    &CTachyonDlg::m_superResolutionSupported,
    &Services::GetRadeonSuperResolution,
    1048,
    {{1049, &IADLX3DRadeonSuperResolution::GetSharpness, &IADLX3DRadeonSuperResolution::SetSharpness}},
    {1049}};

const CheckBoxSetting<IADLX3DBoost> kBoost{&CTachyonDlg::m_boostSupported,
                                          &Services::GetBoost,
                                          1040,
                                          {{1041, &IADLX3DBoost::GetResolution, &IADLX3DBoost::SetResolution}},
                                          {1041}};

// The minimum goes first whatever the two values are: the driver decides what it keeps.
const CheckBoxSetting<IADLX3DChill> kChill{&CTachyonDlg::m_chillSupported,
                                          &Services::GetChill,
                                          1044,
                                          {{1042, &IADLX3DChill::GetMinFPS, &IADLX3DChill::SetMinFPS},
                                           {1043, &IADLX3DChill::GetMaxFPS, &IADLX3DChill::SetMaxFPS}},
                                          {1042, 1043}};

const CheckBoxSetting<IADLX3DImageSharpening> kImageSharpening{
    &CTachyonDlg::m_imageSharpeningSupported,
    &Services::GetImageSharpening,
    1046,
    {{1047, &IADLX3DImageSharpening::GetSharpness, &IADLX3DImageSharpening::SetSharpness}},
    {1047}};

const CheckBoxSetting<IADLX3DEnhancedSync> kEnhancedSync{
    &CTachyonDlg::m_enhancedSyncSupported, &Services::GetEnhancedSync, 1050, {}, {}};

const CheckBoxSetting<IADLX3DFrameRateTargetControl> kFrameRateTarget{
    &CTachyonDlg::m_frtcSupported,
    &Services::GetFrameRateTargetControl,
    1051,
    {{1052, &IADLX3DFrameRateTargetControl::GetFPS, &IADLX3DFrameRateTargetControl::SetFPS}},
    {1052}};

const ListSetting<IADLX3DWaitForVerticalRefresh, ADLX_WAIT_FOR_VERTICAL_REFRESH_MODE> kVSync{
    &CTachyonDlg::m_vsyncSupported,
    &Services::GetWaitForVerticalRefresh,
    &SettingVocabularies::vsyncMode,
    &IADLX3DWaitForVerticalRefresh::GetMode,
    &IADLX3DWaitForVerticalRefresh::SetMode,
    0,
    false,
    0,
    {1055}};

const ServicesGetter<IADLX3DAntiLag> kAntiLag{&Services::GetAntiLag};

}  // namespace

int CTachyonDlg::ReadSuperResolution() { return ReadCheckBoxSetting(*this, kSuperResolution); }
int CTachyonDlg::ApplySuperResolution() { return ApplyCheckBoxSetting(*this, kSuperResolution); }
int CTachyonDlg::ReadBoost() { return ReadCheckBoxSetting(*this, kBoost); }
int CTachyonDlg::ApplyBoost() { return ApplyCheckBoxSetting(*this, kBoost); }
int CTachyonDlg::ReadChill() { return ReadCheckBoxSetting(*this, kChill); }
int CTachyonDlg::ApplyChill() { return ApplyCheckBoxSetting(*this, kChill); }
int CTachyonDlg::ReadImageSharpening() { return ReadCheckBoxSetting(*this, kImageSharpening); }
int CTachyonDlg::ApplyImageSharpening() { return ApplyCheckBoxSetting(*this, kImageSharpening); }
int CTachyonDlg::ReadEnhancedSync() { return ReadCheckBoxSetting(*this, kEnhancedSync); }
int CTachyonDlg::ApplyEnhancedSync() { return ApplyCheckBoxSetting(*this, kEnhancedSync); }
int CTachyonDlg::ReadFrameRateTarget() { return ReadCheckBoxSetting(*this, kFrameRateTarget); }
int CTachyonDlg::ApplyFrameRateTarget() { return ApplyCheckBoxSetting(*this, kFrameRateTarget); }

int CTachyonDlg::InitVSync() { return InitListSetting(*this, kVSync); }
int CTachyonDlg::ReadVSync() { return ReadListSetting(*this, kVSync); }
int CTachyonDlg::ApplyVSync() { return ApplyListSetting(*this, kVSync); }

// Anti-Lag+ is the level of Anti-Lag, reached through the newer interface. " Anti-Lag +" may
// still be hidden on the page; its check state is kept and used all the same.
int CTachyonDlg::ReadAntiLag() {
    if (m_antiLagSupported == 0) return ADLX_NOT_SUPPORTED;
    const adlx::InterfacePtr<IADLX3DAntiLag> antiLag = kAntiLag.Obtain(*this);
    if (!antiLag) return ADLX_OK;
    adlx_bool enabled = false;
    if (antiLag->IsEnabled(&enabled) != ADLX_OK) enabled = false;
    SetChecked(kGraphicsPage, 1045, enabled);
    if (!enabled) {
        SetChecked(kGraphicsPage, 1054, false);
    } else if (m_antiLagLevelSupported != 0) {
        if (const auto withLevel = antiLag.query<IADLX3DAntiLag1>()) {
            ADLX_ANTILAG_STATE level = ANTILAG;
            if (withLevel->GetLevel(&level) != ADLX_OK) level = ANTILAG;
            SetChecked(kGraphicsPage, 1054, level == ANTILAGPLUS);
        }
    }
    return ADLX_OK;
}

// The level is written only while Anti-Lag stays on: switching it off leaves the driver's level.
int CTachyonDlg::ApplyAntiLag() {
    if (m_antiLagSupported == 0) return ADLX_NOT_SUPPORTED;
    const bool on = IsChecked(kGraphicsPage, 1045);
    const bool plus = IsChecked(kGraphicsPage, 1054);
    const adlx::InterfacePtr<IADLX3DAntiLag> antiLag = kAntiLag.Obtain(*this);
    if (!antiLag) return ADLX_OK;
    antiLag->SetEnabled(on);
    if (on && m_antiLagLevelSupported != 0) {
        if (const auto withLevel = antiLag.query<IADLX3DAntiLag1>()) withLevel->SetLevel(plus ? ANTILAGPLUS : ANTILAG);
    }
    return ADLX_OK;
}
