// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one conversion between numbers and the text of an edit, shared by every feature and the
// profile reader.

#include <QString>
#include <cstdint>

// "%d": an optional minus sign and digits.
QString IntToText(std::int32_t value);

// Leading white space skipped, one optional sign, decimal digits up to the first other character,
// 0 when there is no digit, saturating at the 32-bit limits.
std::int32_t TextToInt(const QString& text);
