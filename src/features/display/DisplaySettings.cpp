// SPDX-License-Identifier: GPL-3.0-or-later
// The seven per-display settings: four on/off switches shown as check boxes and three values shown
// as drop-down lists. Each feature is a row of data; the patterns below move it between the driver
// and the Display page. They all act on the selected display through the display services.

#include <QCheckBox>
#include <QComboBox>

#include "DisplayFeature.h"
#include "ui/CTachyonDlg.h"

namespace {

template <typename Feature>
struct SwitchRow {
    int CTachyonDlg::*supported;
    DisplayFeatureGetter<Feature> getter;
    int checkBox;
};

constexpr SwitchRow<IADLXDisplayFreeSync> kFreeSync{&CTachyonDlg::m_freeSyncSupported,
                                                    &IADLXDisplayServices::GetFreeSync, 1080};
constexpr SwitchRow<IADLXDisplayVSR> kVirtualSuperResolution{
    &CTachyonDlg::m_vsrSupported, &IADLXDisplayServices::GetVirtualSuperResolution, 1081};
constexpr SwitchRow<IADLXDisplayGPUScaling> kGpuScaling{&CTachyonDlg::m_gpuScalingSupported,
                                                        &IADLXDisplayServices::GetGPUScaling, 1082};
constexpr SwitchRow<IADLXDisplayIntegerScaling> kIntegerScaling{
    &CTachyonDlg::m_integerScalingSupported, &IADLXDisplayServices::GetIntegerScaling, 1084};

template <typename Feature, typename Value>
struct ListRow {
    int CTachyonDlg::*supported;
    DisplayFeatureGetter<Feature> getter;
    SettingVocabulary SettingVocabularies::*vocabulary;
    int combo;
    ADLX_RESULT (Feature::*get)(Value*);
    ADLX_RESULT (Feature::*set)(Value);
    // Both the read's starting value and what an unmatched label applies.
    Value fallback;
    // The per-value support question; without one the list offers the whole vocabulary.
    ADLX_RESULT (Feature::*isSupportedValue)(Value, adlx_bool*);
};

constexpr ListRow<IADLXDisplayScalingMode, ADLX_SCALE_MODE> kScalingMode{
    &CTachyonDlg::m_scalingModeSupported, &IADLXDisplayServices::GetScalingMode, &SettingVocabularies::scaleMode,
    1083, &IADLXDisplayScalingMode::GetMode, &IADLXDisplayScalingMode::SetMode, PRESERVE_ASPECT_RATIO, nullptr};
constexpr ListRow<IADLXDisplayColorDepth, ADLX_COLOR_DEPTH> kColorDepth{
    &CTachyonDlg::m_colorDepthSupported, &IADLXDisplayServices::GetColorDepth, &SettingVocabularies::colorDepth,
    1085, &IADLXDisplayColorDepth::GetValue, &IADLXDisplayColorDepth::SetValue, BPC_8,
    &IADLXDisplayColorDepth::IsSupportedColorDepth};
constexpr ListRow<IADLXDisplayPixelFormat, ADLX_PIXEL_FORMAT> kPixelFormat{
    &CTachyonDlg::m_pixelFormatSupported, &IADLXDisplayServices::GetPixelFormat, &SettingVocabularies::pixelFormat,
    1086, &IADLXDisplayPixelFormat::GetValue, &IADLXDisplayPixelFormat::SetValue, RGB_444_FULL,
    &IADLXDisplayPixelFormat::IsSupportedPixelFormat};

template <typename Feature>
adlx::InterfacePtr<Feature> Fetch(const CTachyonDlg& dlg, DisplayFeatureGetter<Feature> getter) {
    return FetchDisplayFeature(dlg.m_displayServices.get(), dlg.m_display.get(), getter);
}

// Checks the box as the driver reports the switch; a refused fetch unchecks it. `on` receives
// what was shown.
template <typename Feature>
int ReadSwitch(CTachyonDlg& dlg, const SwitchRow<Feature>& row, bool* on = nullptr) {
    if (dlg.*row.supported == 0) return ADLX_NOT_SUPPORTED;
    adlx_bool enabled = false;
    auto feature = Fetch(dlg, row.getter);
    if (feature && feature->IsEnabled(&enabled) != ADLX_OK) enabled = false;
    dlg.SetChecked(kDisplayPage, row.checkBox, enabled);
    if (on != nullptr) *on = enabled;
    return ADLX_OK;
}

// Sends the box's state, changed or not, and whether or not the box is enabled.
template <typename Feature>
int ApplySwitch(CTachyonDlg& dlg, const SwitchRow<Feature>& row) {
    if (dlg.*row.supported == 0) return ADLX_NOT_SUPPORTED;
    const bool state = dlg.CheckBox(kDisplayPage, row.checkBox)->checkState() != Qt::Unchecked;
    if (auto feature = Fetch(dlg, row.getter)) feature->SetEnabled(state);
    return ADLX_OK;
}

// Establishes support and, only when supported, refills the list: the whole vocabulary, or the
// values the display answers yes for, asked one by one in ascending order. An unsupported
// feature keeps what an earlier display left in its list.
template <typename Feature, typename Value>
int InitList(CTachyonDlg& dlg, const ListRow<Feature, Value>& row) {
    adlx_bool supported = false;
    auto feature = Fetch(dlg, row.getter);
    if (feature && feature->IsSupported(&supported) != ADLX_OK) supported = false;
    if (supported) {
        SettingVocabulary& vocabulary = dlg.m_vocabularies.*row.vocabulary;
        if (row.isSupportedValue == nullptr) {
            vocabulary.FillWhole();
        } else {
            vocabulary.FillSupported([&](std::int32_t value) {
                adlx_bool yes = false;
                // A question the driver does not answer counts as no.
                return (feature.get()->*row.isSupportedValue)(static_cast<Value>(value), &yes) == ADLX_OK && yes;
            });
        }
    }
    feature.reset();
    dlg.*row.supported = supported ? 1 : 0;
    dlg.EnableControls(kDisplayPage, {row.combo}, supported);
    return ADLX_OK;
}

// Selects the driver's value; a value the list does not hold leaves the selection.
template <typename Feature, typename Value>
int ReadList(CTachyonDlg& dlg, const ListRow<Feature, Value>& row) {
    if (dlg.*row.supported == 0) return ADLX_NOT_SUPPORTED;
    Value value = row.fallback;
    auto feature = Fetch(dlg, row.getter);
    if (feature && (feature.get()->*row.get)(&value) != ADLX_OK) value = row.fallback;
    (dlg.m_vocabularies.*row.vocabulary).SelectComboValue(value);
    return ADLX_OK;
}

// Sends the value of the label shown, or the fallback when no label matches.
template <typename Feature, typename Value>
int ApplyList(CTachyonDlg& dlg, const ListRow<Feature, Value>& row) {
    if (dlg.*row.supported == 0) return ADLX_NOT_SUPPORTED;
    const auto value = static_cast<Value>((dlg.m_vocabularies.*row.vocabulary).GetComboValue(row.fallback));
    if (auto feature = Fetch(dlg, row.getter)) (feature.get()->*row.set)(value);
    return ADLX_OK;
}

}  // namespace

int CTachyonDlg::ReadFreeSync() { return ReadSwitch(*this, kFreeSync); }
int CTachyonDlg::ApplyFreeSync() { return ApplySwitch(*this, kFreeSync); }
int CTachyonDlg::ReadVirtualSuperResolution() { return ReadSwitch(*this, kVirtualSuperResolution); }
int CTachyonDlg::ApplyVirtualSuperResolution() { return ApplySwitch(*this, kVirtualSuperResolution); }

// Integer scaling can only be chosen while GPU scaling is on: a display without integer scaling
// never gets its box enabled here, and GPU scaling off disables it. The check mark stays either way.
int CTachyonDlg::ReadGpuScaling() {
    bool on = false;
    const int result = ReadSwitch(*this, kGpuScaling, &on);
    if (result != ADLX_OK) return result;
    if (!on) {
        EnableControls(kDisplayPage, {1084}, false);
    } else if (m_integerScalingSupported != 0) {
        EnableControls(kDisplayPage, {1084}, true);
    }
    return ADLX_OK;
}

int CTachyonDlg::ApplyGpuScaling() { return ApplySwitch(*this, kGpuScaling); }
int CTachyonDlg::ReadIntegerScaling() { return ReadSwitch(*this, kIntegerScaling); }
int CTachyonDlg::ApplyIntegerScaling() { return ApplySwitch(*this, kIntegerScaling); }

int CTachyonDlg::InitScalingMode() { return InitList(*this, kScalingMode); }
int CTachyonDlg::ReadScalingMode() { return ReadList(*this, kScalingMode); }
int CTachyonDlg::ApplyScalingMode() { return ApplyList(*this, kScalingMode); }
int CTachyonDlg::InitColorDepth() { return InitList(*this, kColorDepth); }
int CTachyonDlg::ReadColorDepth() { return ReadList(*this, kColorDepth); }
int CTachyonDlg::ApplyColorDepth() { return ApplyList(*this, kColorDepth); }
int CTachyonDlg::InitPixelFormat() { return InitList(*this, kPixelFormat); }
int CTachyonDlg::ReadPixelFormat() { return ReadList(*this, kPixelFormat); }
int CTachyonDlg::ApplyPixelFormat() { return ApplyList(*this, kPixelFormat); }
