// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fixed two-way table between a driver value and the label a drop-down list shows, with the
// record of what its one bound list holds now, so a shown label turns back into a value without
// depending on its position.

#include <QComboBox>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <vector>

class SettingVocabulary {
public:
    explicit SettingVocabulary(std::initializer_list<std::pair<std::int32_t, const char*>> entries);

    const std::map<std::int32_t, QString>& Entries() const { return m_entries; }
    // The label of a value, or an empty text when the table lacks it.
    QString LabelOf(std::int32_t value) const;
    bool Has(std::int32_t value) const { return m_entries.count(value) != 0; }

    void Bind(QComboBox* combo) { m_combo = combo; }
    QComboBox* Combo() const { return m_combo; }

    // The three kinds of fill. None selects an item: the read that follows does.
    void FillWhole();
    void FillSupported(const std::function<bool(std::int32_t)>& isSupported);
    void FillFromDriver(const std::vector<std::int32_t>& values,
                        const std::function<QString(std::int32_t)>& unknownLabel);

    // Selects the first position bound to value; leaves the selection when none is. Returns whether
    // a position was selected. With zeroSelectsFirst, value 0 selects position 0 without a search.
    bool SelectComboValue(std::int32_t value, bool zeroSelectsFirst = false) const;
    // The value bound to the label the list shows now (exact, whole text, case-sensitive), or
    // fallback when no position carries it.
    std::int32_t GetComboValue(std::int32_t fallback) const;
    // The value bound to a position, if the binding has it.
    bool ValueAt(int position, std::int32_t* value) const;


private:
    void Clear();
    void Append(std::int32_t value, const QString& label);

    std::map<std::int32_t, QString> m_entries;
    std::map<int, std::int32_t> m_positionValues;
    std::map<int, QString> m_positionLabels;
    QPointer<QComboBox> m_combo;
};

// The eleven vocabularies, in the order the main window builds them.
struct SettingVocabularies {
    SettingVocabulary scaleMode;
    SettingVocabulary memoryTiming;
    SettingVocabulary colorDepth;
    SettingVocabulary pixelFormat;
    SettingVocabulary vsyncMode;
    SettingVocabulary antiAliasingMode;
    SettingVocabulary antiAliasingLevel;
    SettingVocabulary antiAliasingMethod;
    SettingVocabulary anisotropicLevel;
    SettingVocabulary tessellationMode;
    SettingVocabulary tessellationLevel;

    SettingVocabularies();
};
