// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingVocabulary.h"

SettingVocabulary::SettingVocabulary(std::initializer_list<std::pair<std::int32_t, const char*>> entries) {
    for (const auto& [value, label] : entries) m_entries.emplace(value, QString::fromUtf8(label));
}

QString SettingVocabulary::LabelOf(std::int32_t value) const {
    const auto it = m_entries.find(value);
    return it == m_entries.end() ? QString() : it->second;
}

void SettingVocabulary::Clear() {
    if (m_combo) m_combo->clear();
    m_positionValues.clear();
    m_positionLabels.clear();
}

void SettingVocabulary::Append(std::int32_t value, const QString& label) {
    const int position = static_cast<int>(m_positionValues.size());
    m_positionValues[position] = value;
    m_positionLabels[position] = label;
    if (m_combo) m_combo->addItem(label);
}

void SettingVocabulary::FillWhole() {
    Clear();
    for (const auto& [value, label] : m_entries) Append(value, label);
    if (m_combo) m_combo->setCurrentIndex(-1);
}

void SettingVocabulary::FillSupported(const std::function<bool(std::int32_t)>& isSupported) {
    Clear();
    for (const auto& [value, label] : m_entries) {
        if (isSupported(value)) Append(value, label);
    }
    if (m_combo) m_combo->setCurrentIndex(-1);
}

void SettingVocabulary::FillFromDriver(const std::vector<std::int32_t>& values,
                                       const std::function<QString(std::int32_t)>& unknownLabel) {
    Clear();
    for (const std::int32_t value : values) {
        const auto it = m_entries.find(value);
        Append(value, it != m_entries.end() ? it->second : unknownLabel(value));
    }
    if (m_combo) m_combo->setCurrentIndex(-1);
}

bool SettingVocabulary::SelectComboValue(std::int32_t value, bool zeroSelectsFirst) const {
    if (!m_combo) return false;
    if (zeroSelectsFirst && value == 0) {
        m_combo->setCurrentIndex(0);
        return true;
    }
    for (const auto& [position, bound] : m_positionValues) {
        if (bound == value) {
            m_combo->setCurrentIndex(position);
            return true;
        }
    }
    return false;
}

std::int32_t SettingVocabulary::GetComboValue(std::int32_t fallback) const {
    if (!m_combo) return fallback;
    const QString text = m_combo->currentIndex() >= 0 ? m_combo->currentText() : QString();
    for (const auto& [position, label] : m_positionLabels) {
        if (label == text) {
            std::int32_t value = fallback;
            ValueAt(position, &value);
            return value;
        }
    }
    return fallback;
}

bool SettingVocabulary::ValueAt(int position, std::int32_t* value) const {
    const auto it = m_positionValues.find(position);
    if (it == m_positionValues.end()) return false;
    *value = it->second;
    return true;
}

SettingVocabularies::SettingVocabularies()
    : scaleMode({{0, "Preserve aspect ratio"}, {1, "Full panel"}, {2, "Center"}}),
      memoryTiming({{0, "Default"},
                    {1, "Fast Timing"},
                    {2, "Fast Timing Level 2"},
                    {3, "Automatic"},
                    {4, "Memory Timing Level 1"},
                    {5, "Memory Timing Level 2"}}),
      colorDepth({{1, "6 BPC"}, {2, "8 BPC"}, {3, "10 BPC"}, {4, "12 BPC"}, {5, "13 BPC"}, {6, "14 BPC"}}),
      pixelFormat({{1, "RGB 4:4:4 PC Standard (Full RGB)"},
                   {2, "YCbCr 4:4:4"},
                   {3, "YCbCr 4:2:2"},
                   {4, "RGB 4:4:4 Studio (Limited RGB)"},
                   {5, "YCbCr 4:2:0"}}),
      vsyncMode({{0, "Always off"},
                 {1, "Off, unless application specifies"},
                 {2, "On, unless application specifies"},
                 {3, "Always on"}}),
      antiAliasingMode({{0, "Use application settings"},
                        {1, "Enhance application settings"},
                        {2, "Override application settings"}}),
      antiAliasingLevel({{2, "2X"}, {3, "2XEQ"}, {4, "4X"}, {5, "4XEQ"}, {8, "8X"}, {9, "8XEQ"}}),
      antiAliasingMethod({{0, "Multisampling"}, {1, "Adaptive multisampling"}, {2, "Supersampling"}}),
      anisotropicLevel({{2, "2X"}, {4, "4X"}, {8, "8X"}, {16, "16X"}}),
      tessellationMode(
          {{0, "AMD optimized"}, {1, "Use application settings"}, {2, "Override application settings"}}),
      tessellationLevel(
          {{1, "Off"}, {2, "2X"}, {4, "4X"}, {6, "6X"}, {8, "8X"}, {16, "16X"}, {32, "32X"}, {64, "64X"}}) {}
