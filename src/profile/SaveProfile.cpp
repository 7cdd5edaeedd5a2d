// Save: the Tuning and Fan pages' controls, as they stand, into a profile file. The only thing
// asked of the driver is the GPU's PNP string.

#include <QLineEdit>
#include <QSaveFile>
#include <algorithm>
#include <limits>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "ProfileDialogs.h"
#include "ProfileFormat.h"
#include "ui/CTachyonDlg.h"
#include "ui/NumberText.h"

namespace {

// The file holds the driver's offset; the edit shows 100 more. Saturated rather than wrapped, so
// an extreme text cannot turn into an offset of the opposite sign.
QString PowerOffsetText(std::int32_t shown) {
    const std::int64_t offset = std::int64_t{shown} - 100;
    return IntToText(static_cast<std::int32_t>(
        std::max<std::int64_t>(offset, std::numeric_limits<std::int32_t>::min())));
}

// The replace itself ignores a failed sync, and a full disk may only show there.
bool SyncToDisk(QSaveFile& file) {
#ifdef Q_OS_UNIX
    return ::fsync(file.handle()) == 0;
#else
    return file.flush();
#endif
}

QString PnpOf(IADLXGPU* gpu) {
    if (gpu == nullptr) return {};
    const char* pnp = nullptr;
    gpu->PNPString(&pnp);
    return pnp != nullptr ? QString::fromLocal8Bit(pnp) : QString();
}

}  // namespace

int CTachyonDlg::SaveProfile() {
    const std::optional<QString> chosen = PromptSeam().SaveFileName(this, ProfileSaveRequest());
    if (!chosen) return ADLX_OK;

    // Written beside the target and put in its place only once every byte is on disk, so a
    // failure at any point leaves the previous profile as it was. Unbuffered, because a buffered
    // write that the disk takes only in part is not reported by the flush before the replace.
    // Opening also refuses a read-only profile, which the replace alone would not protect.
    QSaveFile file(ProfileFileName(*chosen));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return ProfileError(*this, QStringLiteral("unable to save file"));
    }

    const QString pnp = PnpOf(m_gpu.get());
    ProfileValues values;
    values.devId = PnpDeviceId(pnp);
    values.revId = PnpRevisionId(pnp);
    values.powerOffset = PowerOffsetText(EditNumber(kTuningPage, 1012));
    values.minEngineClock = Edit(kTuningPage, 1007)->text();
    values.maxEngineClock = Edit(kTuningPage, 1008)->text();
    values.engineVoltage = Edit(kTuningPage, 1011)->text();
    values.maxMemoryClock = Edit(kTuningPage, 1010)->text();
    values.memoryTiming = IntToText(m_vocabularies.memoryTiming.GetComboValue(0));
    values.zeroRpm = IsChecked(kFanPage, 1035);
    for (int k = 0; k < 5; ++k) {
        values.fanTemperature[k] = Edit(kFanPage, 1024 + 2 * k)->text();
        values.fanSpeed[k] = Edit(kFanPage, 1023 + 2 * k)->text();
    }

    const QByteArray text = ProfileText(values);
    if (file.write(text) != text.size() || !SyncToDisk(file) || !file.commit()) {
        file.cancelWriting();
        return ProfileError(*this, QStringLiteral("unable to save file"));
    }
    return ADLX_OK;
}
