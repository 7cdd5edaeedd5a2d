// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes at all as a profile file: the reader may find values or not, but it never reads out
// of bounds, never invents a value it cannot end, and a profile written from what it read reads
// back the same.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "profile/ProfileFormat.h"
#include "ui/NumberText.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

// Every value field of a reading, in one order.
std::vector<const std::optional<QString>*> Fields(const ProfileReading& r) {
    std::vector<const std::optional<QString>*> fields = {&r.powerOffset,    &r.minEngineClock, &r.maxEngineClock,
                                                         &r.engineVoltage, &r.maxMemoryClock, &r.memorySecond,
                                                         &r.memoryTiming,  &r.zeroRpm};
    for (int k = 0; k < 5; ++k) {
        fields.push_back(&r.fanTemperature[k]);
        fields.push_back(&r.fanSpeed[k]);
    }
    return fields;
}

// Text the writer puts out as it came in: one byte per character, read back unchanged.
bool Plain(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() == 0 || c.unicode() >= 0x80) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = ProfileTextFromBytes(bytes);
    HasProfileDeclaration(text);
    const ProfileReading reading = ReadProfileValues(text);
    Require(reading.featuresFound >= 0 && reading.featuresFound <= 7);

    bool plain = true;
    for (const std::optional<QString>* value : Fields(reading)) {
        if (!*value) continue;
        // A value ends before its closing quote.
        Require(!(*value)->contains(u'"'));
        // Whatever the text, the number an edit shows from it is one the edit gives back.
        const std::int32_t number = TextToInt(**value);
        Require(TextToInt(IntToText(number)) == number);
        plain = plain && Plain(**value);
    }

    // A complete reading of plain values, written as a profile, reads back value for value.
    bool complete = true;
    for (const std::optional<QString>* value : Fields(reading)) complete = complete && value->has_value();
    if (complete && plain) {
        ProfileValues values;
        values.powerOffset = *reading.powerOffset;
        values.minEngineClock = *reading.minEngineClock;
        values.maxEngineClock = *reading.maxEngineClock;
        values.engineVoltage = *reading.engineVoltage;
        values.maxMemoryClock = *reading.maxMemoryClock;
        values.memorySecond = *reading.memorySecond;
        values.memoryTiming = *reading.memoryTiming;
        values.zeroRpm = TextToInt(*reading.zeroRpm) != 0;
        for (int k = 0; k < 5; ++k) {
            values.fanTemperature[k] = *reading.fanTemperature[k];
            values.fanSpeed[k] = *reading.fanSpeed[k];
        }
        const QString written = ProfileTextFromBytes(ProfileText(values));
        Require(HasProfileDeclaration(written));
        const ProfileReading again = ReadProfileValues(written);
        Require(again.featuresFound == 7);
        const auto before = Fields(reading);
        const auto after = Fields(again);
        for (std::size_t i = 0; i < before.size(); ++i) {
            if (before[i] == &reading.zeroRpm) {
                Require(TextToInt(**after[i]) == (values.zeroRpm ? 1 : 0));
            } else {
                Require(*after[i] == *before[i]);
            }
        }
    }
    return 0;
}
