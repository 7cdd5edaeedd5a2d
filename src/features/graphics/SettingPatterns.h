// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two shapes a global 3D setting takes on the Graphics page: a check box with value edits, or
// a drop-down list bound to a vocabulary. Each feature is a row of data; the named operations are
// one-line calls of the pattern with their row. Every operation fetches its feature's interface
// afresh and lets it go before returning, so no feature interface outlives one operation.

#include <QWidget>
#include <climits>
#include <cstdint>
#include <vector>

#include "ui/CTachyonDlg.h"

namespace graphics {

// Value 2 of both mode vocabularies: only then does the driver use the level the user chose.
constexpr std::int32_t kOverrideApplicationSettings = 2;

// How a feature's interface comes out of the 3D settings services: for the selected GPU, or for
// the whole system.
template <typename Feature>
class ServicesGetter {
public:
    using PerGpu = ADLX_RESULT (IADLX3DSettingsServices::*)(IADLXGPU*, Feature**);
    using SystemWide = ADLX_RESULT (IADLX3DSettingsServices::*)(Feature**);

    ServicesGetter(PerGpu getter) : m_perGpu(getter) {}
    ServicesGetter(SystemWide getter) : m_systemWide(getter) {}

    // Empty when the services are absent or do not hand the interface out.
    adlx::InterfacePtr<Feature> Obtain(const CTachyonDlg& dlg) const {
        adlx::InterfacePtr<Feature> feature;
        IADLX3DSettingsServices* services = dlg.m_3dSettingsServices.get();
        if (services == nullptr) return feature;
        const ADLX_RESULT result = m_perGpu != nullptr ? (services->*m_perGpu)(dlg.m_gpu.get(), feature.put())
                                                       : (services->*m_systemWide)(feature.put());
        if (result != ADLX_OK) feature.reset();
        return feature;
    }

private:
    PerGpu m_perGpu = nullptr;
    SystemWide m_systemWide = nullptr;
};

// One integer of a check-box feature and the edit that shows it.
template <typename Feature>
struct ValueEdit {
    int edit;
    ADLX_RESULT (Feature::*get)(adlx_int*);
    ADLX_RESULT (Feature::*set)(adlx_int);
};

template <typename Feature>
struct CheckBoxSetting {
    int CTachyonDlg::*supported;
    ServicesGetter<Feature> fetch;
    int checkBox;
    std::vector<ValueEdit<Feature>> values;  // in getter and setter order
    std::vector<int> dependents;             // usable only while the driver has the feature on
};

template <typename Feature>
int ReadCheckBoxSetting(CTachyonDlg& dlg, const CheckBoxSetting<Feature>& setting) {
    if (dlg.*setting.supported == 0) return ADLX_NOT_SUPPORTED;
    const adlx::InterfacePtr<Feature> feature = setting.fetch.Obtain(dlg);
    if (!feature) return ADLX_OK;
    adlx_bool enabled = false;
    if (feature->IsEnabled(&enabled) != ADLX_OK) enabled = false;
    std::vector<adlx_int> values;
    for (const ValueEdit<Feature>& value : setting.values) {
        adlx_int v = 0;
        if ((feature.get()->*value.get)(&v) != ADLX_OK) v = 0;
        values.push_back(v);
    }
    dlg.SetChecked(kGraphicsPage, setting.checkBox, enabled);
    for (std::size_t i = 0; i < values.size(); ++i) dlg.SetEditNumber(kGraphicsPage, setting.values[i].edit, values[i]);
    for (const int id : setting.dependents) dlg.Control(kGraphicsPage, id)->setEnabled(enabled);
    return ADLX_OK;
}

// The values are sent only while the box is checked; the driver is the judge of them, and the
// read that follows shows what it kept.
template <typename Feature>
int ApplyCheckBoxSetting(CTachyonDlg& dlg, const CheckBoxSetting<Feature>& setting) {
    if (dlg.*setting.supported == 0) return ADLX_NOT_SUPPORTED;
    const bool checked = dlg.IsChecked(kGraphicsPage, setting.checkBox);
    std::vector<adlx_int> values;
    for (const ValueEdit<Feature>& value : setting.values) values.push_back(dlg.EditNumber(kGraphicsPage, value.edit));
    const adlx::InterfacePtr<Feature> feature = setting.fetch.Obtain(dlg);
    if (!feature) return ADLX_OK;
    feature->SetEnabled(checked);
    if (checked) {
        for (std::size_t i = 0; i < values.size(); ++i) (feature.get()->*setting.values[i].set)(values[i]);
    }
    return ADLX_OK;
}

template <typename Feature, typename Value>
struct ListSetting {
    int CTachyonDlg::*supported;
    ServicesGetter<Feature> fetch;
    SettingVocabulary SettingVocabularies::*vocabulary;
    ADLX_RESULT (Feature::*get)(Value*);
    ADLX_RESULT (Feature::*set)(Value);
    // Used when the driver cannot be asked and when the shown label matches nothing.
    std::int32_t fallback;
    // The level lists show their first entry for level 0, which they do not list.
    bool zeroSelectsFirst = false;
    // For a mode: the level list that is usable only while the mode is the override.
    int levelList = 0;
    // For a feature whose support test fills its list: the lists its support flag enables.
    std::vector<int> lists = {};
};

template <typename Feature, typename Value>
SettingVocabulary& VocabularyOf(CTachyonDlg& dlg, const ListSetting<Feature, Value>& setting) {
    return dlg.m_vocabularies.*setting.vocabulary;
}

// Support is asked afresh whatever the flag said before; the list is refilled only when
// supported, so an unsupported feature keeps the items an earlier GPU left.
template <typename Feature, typename Value>
int InitListSetting(CTachyonDlg& dlg, const ListSetting<Feature, Value>& setting) {
    adlx_bool supported = false;
    if (const adlx::InterfacePtr<Feature> feature = setting.fetch.Obtain(dlg)) {
        if (feature->IsSupported(&supported) != ADLX_OK) supported = false;
    }
    if (supported) VocabularyOf(dlg, setting).FillWhole();
    dlg.*setting.supported = supported ? 1 : 0;
    for (const int id : setting.lists) dlg.Control(kGraphicsPage, id)->setEnabled(supported);
    return ADLX_OK;
}

template <typename Feature, typename Value>
int ReadListSetting(CTachyonDlg& dlg, const ListSetting<Feature, Value>& setting) {
    if (dlg.*setting.supported == 0) return ADLX_NOT_SUPPORTED;
    std::int32_t value = setting.fallback;
    if (const adlx::InterfacePtr<Feature> feature = setting.fetch.Obtain(dlg)) {
        Value driverValue{};
        if ((feature.get()->*setting.get)(&driverValue) == ADLX_OK) value = static_cast<std::int32_t>(driverValue);
    }
    const bool shown = VocabularyOf(dlg, setting).SelectComboValue(value, setting.zeroSelectsFirst);
    // A mode the list does not show leaves the level list as the last shown mode set it.
    if (setting.levelList != 0 && shown) {
        dlg.Control(kGraphicsPage, setting.levelList)->setEnabled(value == kOverrideApplicationSettings);
    }
    return ADLX_OK;
}

// The fallback is sent like any chosen value: an empty list still writes a definite setting.
template <typename Feature, typename Value>
int ApplyListSetting(CTachyonDlg& dlg, const ListSetting<Feature, Value>& setting) {
    if (dlg.*setting.supported == 0) return ADLX_NOT_SUPPORTED;
    const std::int32_t value = VocabularyOf(dlg, setting).GetComboValue(setting.fallback);
    if (const adlx::InterfacePtr<Feature> feature = setting.fetch.Obtain(dlg)) {
        (feature.get()->*setting.set)(static_cast<Value>(value));
    }
    return ADLX_OK;
}

// The user picked another mode: the level list is usable exactly when that mode is the override.
// A position the list does not hold (including one too large for a list index) changes nothing.
inline void FollowChosenMode(CTachyonDlg& dlg, const SettingVocabulary& modes, int levelList, std::intptr_t position) {
    if (position < 0 || position > INT_MAX) return;
    std::int32_t mode = 0;
    if (!modes.ValueAt(static_cast<int>(position), &mode)) return;
    dlg.Control(kGraphicsPage, levelList)->setEnabled(mode == kOverrideApplicationSettings);
}

}  // namespace graphics
