// SPDX-License-Identifier: GPL-3.0-or-later
// Load: a profile's values into the Tuning and Fan pages' controls. No driver call: the values
// reach the driver only when the user applies them.

#include <QFile>
#include <algorithm>
#include <limits>

#include "ProfileDialogs.h"
#include "ProfileFormat.h"
#include "ui/CTachyonDlg.h"
#include "ui/NumberText.h"

namespace {

// The edit shows 100 more than the file's offset; saturated rather than wrapped.
std::int32_t PowerShown(std::int32_t offset) {
    const std::int64_t shown = std::int64_t{offset} + 100;
    return static_cast<std::int32_t>(std::min<std::int64_t>(shown, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

int CTachyonDlg::LoadProfile() {
    const std::optional<QString> chosen = PromptSeam().OpenFileName(this, ProfileOpenRequest());
    if (!chosen) return ADLX_OK;

    QFile file(*chosen);
    if (!file.open(QIODevice::ReadOnly)) return ProfileError(*this, QStringLiteral("unable to open file"));
    if (file.size() > kMaxProfileBytes) return ProfileError(*this, QStringLiteral("maximum file size 1024kB"));
    // One byte more than allowed is asked for, so a file that grows meanwhile or reports no size
    // is still refused rather than read without end.
    const QByteArray bytes = file.read(kMaxProfileBytes + 1);
    file.close();
    if (bytes.size() > kMaxProfileBytes) return ProfileError(*this, QStringLiteral("maximum file size 1024kB"));

    const QString text = ProfileTextFromBytes(bytes);
    if (!HasProfileDeclaration(text)) return ProfileError(*this, QStringLiteral("not supported"));
    const ProfileReading r = ReadProfileValues(text);
    if (r.featuresFound == 0) return ProfileError(*this, QStringLiteral("not supported"));

    // A value the file does not hold leaves its control as it was.
    auto fill = [this](int page, int id, const std::optional<QString>& value) {
        if (value) SetEditNumber(page, id, TextToInt(*value));
    };
    fill(kTuningPage, 1008, r.maxEngineClock);
    fill(kTuningPage, 1007, r.minEngineClock);
    fill(kTuningPage, 1010, r.maxMemoryClock);
    fill(kTuningPage, 1009, r.memorySecond);
    fill(kTuningPage, 1011, r.engineVoltage);
    if (r.powerOffset) SetEditNumber(kTuningPage, 1012, PowerShown(TextToInt(*r.powerOffset)));
    if (r.memoryTiming) m_vocabularies.memoryTiming.SelectComboValue(TextToInt(*r.memoryTiming));
    if (r.zeroRpm) SetChecked(kFanPage, 1035, TextToInt(*r.zeroRpm) != 0);
    for (int k = 0; k < 5; ++k) {
        fill(kFanPage, 1024 + 2 * k, r.fanTemperature[k]);
        fill(kFanPage, 1023 + 2 * k, r.fanSpeed[k]);
    }
    return ADLX_OK;
}
