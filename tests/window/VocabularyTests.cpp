// SPDX-License-Identifier: GPL-3.0-or-later
// The setting vocabularies: the labels, the three fills, and turning labels back into values.

#include <QComboBox>
#include <gtest/gtest.h>

#include "ui/SettingVocabulary.h"

namespace {

QStringList ItemsOf(const QComboBox& combo) {
    QStringList items;
    for (int i = 0; i < combo.count(); ++i) items << combo.itemText(i);
    return items;
}

}  // namespace

TEST(Vocabulary, LabelsAreTheProductsOwn) {
    const SettingVocabularies v;
    EXPECT_EQ(v.colorDepth.LabelOf(5), "13 BPC");
    EXPECT_EQ(v.colorDepth.LabelOf(6), "14 BPC");
    EXPECT_FALSE(v.colorDepth.Has(0));
    EXPECT_EQ(v.pixelFormat.LabelOf(4), "RGB 4:4:4 Studio (Limited RGB)");
    EXPECT_EQ(v.vsyncMode.LabelOf(1), "Off, unless application specifies");
    EXPECT_EQ(v.tessellationMode.LabelOf(0), "AMD optimized");
    EXPECT_EQ(v.antiAliasingMode.LabelOf(2), "Override application settings");
    EXPECT_EQ(v.tessellationMode.LabelOf(2), "Override application settings");
    EXPECT_EQ(v.memoryTiming.LabelOf(5), "Memory Timing Level 2");
    EXPECT_EQ(v.scaleMode.LabelOf(2), "Center");
}

TEST(Vocabulary, AWholeFillListsByAscendingValueAndSelectsNothing) {
    SettingVocabularies v;
    QComboBox combo;
    v.tessellationLevel.Bind(&combo);
    v.tessellationLevel.FillWhole();
    EXPECT_EQ(ItemsOf(combo), QStringList({"Off", "2X", "4X", "6X", "8X", "16X", "32X", "64X"}));
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(v.tessellationLevel.GetComboValue(1), 1) << "nothing selected gives the fallback";
}

TEST(Vocabulary, ASupportedValuesFillCountsOnlyTheOfferedEntries) {
    SettingVocabularies v;
    QComboBox combo;
    v.colorDepth.Bind(&combo);
    v.colorDepth.FillSupported([](std::int32_t value) { return value == 2 || value == 3; });
    EXPECT_EQ(ItemsOf(combo), QStringList({"8 BPC", "10 BPC"}));
    EXPECT_EQ(v.colorDepth.GetComboValue(2), 2);
    v.colorDepth.SelectComboValue(3);
    EXPECT_EQ(combo.currentIndex(), 1);
    EXPECT_EQ(v.colorDepth.GetComboValue(2), 3);
    v.colorDepth.SelectComboValue(5);
    EXPECT_EQ(combo.currentIndex(), 1) << "a value no position holds leaves the selection";
}

TEST(Vocabulary, ADriverListKeepsTheDriversOrderAndLabelsUnknownValues) {
    SettingVocabularies v;
    QComboBox combo;
    v.memoryTiming.Bind(&combo);
    v.memoryTiming.FillFromDriver({1, 0, 7, 1}, [](std::int32_t value) {
        return QStringLiteral("Unknown Timing Level %1").arg(value);
    });
    EXPECT_EQ(ItemsOf(combo), QStringList({"Fast Timing", "Default", "Unknown Timing Level 7", "Fast Timing"}));
    v.memoryTiming.SelectComboValue(1);
    EXPECT_EQ(combo.currentIndex(), 0) << "a repeated value selects its first position";
    combo.setCurrentIndex(2);
    EXPECT_EQ(v.memoryTiming.GetComboValue(0), 7);
}

TEST(Vocabulary, ZeroSelectsTheFirstLevelOnlyInTheLevelVariant) {
    SettingVocabularies v;
    QComboBox combo;
    v.antiAliasingLevel.Bind(&combo);
    v.antiAliasingLevel.FillWhole();
    v.antiAliasingLevel.SelectComboValue(0);
    EXPECT_EQ(combo.currentIndex(), -1);
    v.antiAliasingLevel.SelectComboValue(0, true);
    EXPECT_EQ(combo.currentText(), "2X");
    combo.setCurrentIndex(3);
    v.antiAliasingLevel.SelectComboValue(7, true);
    EXPECT_EQ(combo.currentIndex(), 3) << "value 7 has no entry: nothing new is selected";
}

TEST(Vocabulary, TheSameLabelResolvesThroughEachListsOwnBinding) {
    SettingVocabularies v;
    QComboBox antiAliasing, anisotropic, tessellation;
    v.antiAliasingLevel.Bind(&antiAliasing);
    v.anisotropicLevel.Bind(&anisotropic);
    v.tessellationLevel.Bind(&tessellation);
    v.antiAliasingLevel.FillWhole();
    v.anisotropicLevel.FillWhole();
    v.tessellationLevel.FillWhole();
    antiAliasing.setCurrentText("2X");
    anisotropic.setCurrentText("2X");
    tessellation.setCurrentText("2X");
    EXPECT_EQ(v.antiAliasingLevel.GetComboValue(0), 2);
    EXPECT_EQ(v.anisotropicLevel.GetComboValue(0), 2);
    EXPECT_EQ(v.tessellationLevel.GetComboValue(1), 2);
    // A label from another list is not one of this list's.
    antiAliasing.addItem("Off");
    antiAliasing.setCurrentText("Off");
    EXPECT_EQ(v.antiAliasingLevel.GetComboValue(0), 0);
}

TEST(Vocabulary, MatchingIsExactAndCaseSensitive) {
    SettingVocabularies v;
    QComboBox combo;
    v.scaleMode.Bind(&combo);
    v.scaleMode.FillWhole();
    combo.addItem("full panel");
    combo.setCurrentIndex(3);
    EXPECT_EQ(v.scaleMode.GetComboValue(0), 0);
    combo.setCurrentIndex(1);
    EXPECT_EQ(v.scaleMode.GetComboValue(0), 1);
}
