// SPDX-License-Identifier: GPL-3.0-or-later
// Save: the Tuning and Fan pages' controls, as they stand, into a profile file. The only thing
// asked of the driver is the GPU's PNP string.

#include <QFile>
#include <QLineEdit>
#include <QSaveFile>
#include <algorithm>
#include <limits>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
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
bool SyncToDisk(QFileDevice& file) {
#ifdef Q_OS_UNIX
    return ::fsync(file.handle()) == 0;
#else
    return file.flush();
#endif
}

// Puts a replacement in the target's place, or closes the target written in place.
bool Finish(QFileDevice& file) {
    if (auto* replace = qobject_cast<QSaveFile*>(&file)) return replace->commit();
    file.close();
    return file.error() == QFileDevice::NoError;
}

// A replacement would take the profile from its owner, and a shared folder's sticky bit refuses
// to replace another user's file at all.
bool BelongsToAnotherUser(const QString& path) {
#ifdef Q_OS_UNIX
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode) &&
           st.st_uid != geteuid();
#else
    Q_UNUSED(path);
    return false;
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
    // Where the folder refuses a file beside the target, or the target belongs to another user,
    // a writable profile is written in place instead, as a plain save would: it keeps its owner
    // and mode, at the price of the old content should the write fail midway.
    const QString fileName = ProfileFileName(*chosen);
    std::unique_ptr<QFileDevice> file;
    bool opened = false;
    if (BelongsToAnotherUser(fileName)) {
        auto inPlace = std::make_unique<QFile>(fileName);
        opened = inPlace->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::ExistingOnly |
                               QIODevice::Unbuffered);
        file = std::move(inPlace);
    } else {
        auto replace = std::make_unique<QSaveFile>(fileName);
        replace->setDirectWriteFallback(true);
        opened = replace->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
        file = std::move(replace);
    }
    if (!opened) return ProfileError(*this, QStringLiteral("unable to save file"));

    const QByteArray text = ProfileText(ShownProfileValues());
    if (file->write(text) != text.size() || !SyncToDisk(*file) || !Finish(*file)) {
        if (auto* replace = qobject_cast<QSaveFile*>(file.get())) replace->cancelWriting();
        return ProfileError(*this, QStringLiteral("unable to save file"));
    }
    return ADLX_OK;
}

ProfileValues CTachyonDlg::ShownProfileValues() {
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
    return values;
}
