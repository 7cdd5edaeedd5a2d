// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tuning profile as text, without any window: the fixed 70-line layout the writer produces and
// the marker searches the reader uses to find the values again. The reader is not an XML parser;
// it only understands files that keep the writer's text and order.

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

// The value texts of one profile, as they go into the file.
struct ProfileValues {
    QString devId;
    QString revId;
    QString powerOffset;
    QString minEngineClock;
    QString maxEngineClock;
    QString engineVoltage;
    QString maxMemoryClock;
    QString memorySecond = QStringLiteral("0");
    QString memoryTiming;
    bool zeroRpm = false;
    // Point k of the fan curve, k = 0 to 4.
    std::array<QString, 5> fanTemperature;
    std::array<QString, 5> fanSpeed;
};

// The file's bytes: one byte per character (the low 8 bits of each UTF-16 code unit), line feeds
// only, no byte-order mark. Value texts are written whole, whatever their length.
QByteArray ProfileText(const ProfileValues& values);

// DevID and RevID from a GPU's PNP string: up to 4 (or 2) characters after the first "DEV_" (or
// "REV_"); empty when the marker is missing.
QString PnpDeviceId(const QString& pnp);
QString PnpRevisionId(const QString& pnp);

// The name a profile is saved under: kept when its extension is exactly "xml" or "XML", otherwise
// with ".xml" appended (tune.txt becomes tune.txt.xml).
QString ProfileFileName(const QString& chosen);

// The value texts found in a profile; a value that cannot be found (its feature marker, its
// keyword or its closing quote is missing) is empty-handed, so its control can stay as it was.
struct ProfileReading {
    // How many of the seven value-bearing feature markers occur; 0 means this is not a profile.
    int featuresFound = 0;
    std::optional<QString> powerOffset;
    std::optional<QString> minEngineClock;
    std::optional<QString> maxEngineClock;
    std::optional<QString> engineVoltage;
    std::optional<QString> maxMemoryClock;
    std::optional<QString> memorySecond;
    std::optional<QString> memoryTiming;
    std::optional<QString> zeroRpm;
    std::array<std::optional<QString>, 5> fanTemperature;
    std::array<std::optional<QString>, 5> fanSpeed;
};

// Files above this size are refused unread.
inline constexpr qint64 kMaxProfileBytes = 1048576;

// A file's bytes as text: converted like every other narrow text the program meets, and ending at
// the first zero byte.
QString ProfileTextFromBytes(const QByteArray& bytes);

// Whether the exact XML declaration of a profile occurs anywhere in the text.
bool HasProfileDeclaration(const QString& text);

ProfileReading ReadProfileValues(const QString& text);

// The value of the first `attribute="..."` in a profile's text (the GPU line's DevID and RevID);
// empty when it is missing or its closing quote is.
QString ProfileAttribute(const QString& text, const QString& attribute);
