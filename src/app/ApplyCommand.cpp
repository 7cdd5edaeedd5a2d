// SPDX-License-Identifier: GPL-3.0-or-later
#include "ApplyCommand.h"

#include <QComboBox>
#include <QFile>
#include <QThread>
#include <cstdio>
#include <limits>
#include <vector>

#include "profile/ProfileFormat.h"
#include "ui/CTachyonDlg.h"
#include "ui/NumberText.h"

namespace {

void PrintLine(std::FILE* stream, const QString& text) {
    std::fprintf(stream, "%s\n", EscapeControlCharacters(text).toLocal8Bit().constData());
    std::fflush(stream);
}

// The GPU line three of a profile names: DevID and RevID as Save wrote them.
struct ProfileIdentity {
    QString devId;
    QString revId;
};

// The profile's text, read within the same size limit as Load; nothing when unreadable.
std::optional<QString> ProfileText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.read(kMaxProfileBytes + 1);
    if (bytes.size() > kMaxProfileBytes) return std::nullopt;
    return ProfileTextFromBytes(bytes);
}

struct GpuEntry {
    unsigned position;
    QString name;
    QString pnp;
};

std::vector<GpuEntry> ListedGpus(CTachyonDlg& dlg) {
    std::vector<GpuEntry> gpus;
    auto* selector = qobject_cast<QComboBox*>(dlg.MainControl(1000));
    for (int p = 0; p < selector->count(); ++p) {
        GpuEntry entry{static_cast<unsigned>(p), selector->itemText(p), {}};
        adlx::InterfacePtr<IADLXGPU> gpu;
        const adlx_uint index = selector->itemData(p).value<adlx_uint>();
        if (dlg.m_gpuList && dlg.m_gpuList->At(index, gpu.put()) == ADLX_OK && gpu) {
            const char* pnp = nullptr;
            if (gpu->PNPString(&pnp) == ADLX_OK && pnp != nullptr) entry.pnp = QString::fromLocal8Bit(pnp);
        }
        gpus.push_back(entry);
    }
    return gpus;
}

void PrintGpuList(const std::vector<GpuEntry>& gpus) {
    for (const GpuEntry& gpu : gpus) {
        PrintLine(stderr, QStringLiteral("  GPU %1: %2 (DevID %3, RevID %4)")
                              .arg(gpu.position)
                              .arg(gpu.name, PnpDeviceId(gpu.pnp), PnpRevisionId(gpu.pnp)));
    }
}

// One value of the profile next to what the card kept after the read-back.
struct Outcome {
    QString label;
    bool supported;
    std::optional<std::int32_t> asked;
    std::int32_t kept;
};

std::optional<std::int32_t> Number(const std::optional<QString>& text) {
    if (!text) return std::nullopt;
    return TextToInt(*text);
}

std::optional<std::int32_t> PowerShown(const std::optional<QString>& offset) {
    if (!offset) return std::nullopt;
    const std::int64_t shown = std::int64_t{TextToInt(*offset)} + 100;
    return static_cast<std::int32_t>(std::min<std::int64_t>(shown, std::numeric_limits<std::int32_t>::max()));
}

std::vector<Outcome> Outcomes(CTachyonDlg& dlg, const ProfileReading& r) {
    const bool gfx = dlg.m_gfxTuningSupported != 0;
    std::vector<Outcome> outcomes{
        {QStringLiteral("GFX minimum clock (MHz)"), gfx, Number(r.minEngineClock),
         dlg.EditNumber(kTuningPage, 1007)},
        {QStringLiteral("GFX maximum clock (MHz)"), gfx, Number(r.maxEngineClock),
         dlg.EditNumber(kTuningPage, 1008)},
        {QStringLiteral("Memory maximum clock (MHz)"), dlg.m_vramTuningSupported != 0,
         Number(r.maxMemoryClock), dlg.EditNumber(kTuningPage, 1010)},
        {QStringLiteral("Voltage (mV)"), gfx, Number(r.engineVoltage), dlg.EditNumber(kTuningPage, 1011)},
        {QStringLiteral("GPU Power (%)"), dlg.m_powerTuningSupported != 0, PowerShown(r.powerOffset),
         dlg.EditNumber(kTuningPage, 1012)},
        {QStringLiteral("Memory Timing Level"), dlg.m_memoryTimingSupported != 0, Number(r.memoryTiming),
         dlg.m_vocabularies.memoryTiming.GetComboValue(-1)},
    };
    const bool fan = dlg.m_fanTuningSupported != 0;
    for (int k = 0; k < 5; ++k) {
        outcomes.push_back({QStringLiteral("Fan point %1 speed (%)").arg(k), fan, Number(r.fanSpeed[k]),
                            dlg.EditNumber(kFanPage, 1023 + 2 * k)});
        outcomes.push_back({QStringLiteral("Fan point %1 temperature (°C)").arg(k), fan,
                            Number(r.fanTemperature[k]), dlg.EditNumber(kFanPage, 1024 + 2 * k)});
    }
    std::optional<std::int32_t> zeroRpm;
    if (r.zeroRpm) zeroRpm = TextToInt(*r.zeroRpm) != 0 ? 1 : 0;
    outcomes.push_back({QStringLiteral("Zero RPM"), dlg.m_zeroRpmSupported != 0, zeroRpm,
                        dlg.IsChecked(kFanPage, 1035) ? 1 : 0});
    return outcomes;
}

}  // namespace

QString EscapeControlCharacters(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit < 0x20 || (unit >= 0x7f && unit < 0xa0)) {
            escaped += QStringLiteral("\\x%1").arg(unsigned{unit}, 2, 16, QLatin1Char('0'));
        } else {
            escaped += c;
        }
    }
    return escaped;
}

PromptAnswer HeadlessPrompts::MessageBox(QWidget*, const QString& text, const QString&, PromptButtons buttons,
                                         PromptIcon) {
    // The window says so when it finds no monitor; --apply never uses one.
    if (text == QStringLiteral("no display found?!?")) return PromptAnswer::Ok;
    PrintLine(stderr, m_loading ? QStringLiteral("tachyon: %1: %2").arg(m_profile, text)
                                : QStringLiteral("tachyon: %1").arg(text));
    return buttons == PromptButtons::YesNo ? PromptAnswer::No : PromptAnswer::Ok;
}

std::optional<QString> HeadlessPrompts::OpenFileName(QWidget*, const FileDialogRequest&) { return m_profile; }

std::optional<QString> HeadlessPrompts::SaveFileName(QWidget*, const FileDialogRequest&) {
    return std::nullopt;
}

void HeadlessPrompts::Sleep(int milliseconds) { QThread::msleep(static_cast<unsigned long>(milliseconds)); }

int RunApplyCommand(ADLXHelper& adlx, HeadlessPrompts& prompts, const QString& profile,
                    std::optional<unsigned> gpu) {
    CTachyonDlg dlg(adlx, prompts);
    dlg.OnInitDialog();
    const std::vector<GpuEntry> gpus = ListedGpus(dlg);
    if (gpus.empty()) return kApplyNoSuchGpu;  // the window's own message has said so

    const std::optional<QString> text = ProfileText(profile);
    unsigned position = 0;
    if (gpu) {
        if (*gpu >= gpus.size()) {
            PrintLine(stderr, QStringLiteral("tachyon: there is no GPU %1; the GPUs are:").arg(*gpu));
            PrintGpuList(gpus);
            return kApplyNoSuchGpu;
        }
        position = *gpu;
    } else if (text && HasProfileDeclaration(*text)) {
        const ProfileIdentity identity{ProfileAttribute(*text, QStringLiteral("DevID")),
                                       ProfileAttribute(*text, QStringLiteral("RevID"))};
        std::vector<unsigned> matching;
        for (const GpuEntry& entry : gpus) {
            if (!identity.devId.isEmpty() &&
                PnpDeviceId(entry.pnp).compare(identity.devId, Qt::CaseInsensitive) == 0 &&
                PnpRevisionId(entry.pnp).compare(identity.revId, Qt::CaseInsensitive) == 0) {
                matching.push_back(entry.position);
            }
        }
        if (matching.size() != 1) {
            PrintLine(stderr,
                      identity.devId.isEmpty()
                          ? QStringLiteral("tachyon: %1: the profile names no GPU; choose one with --gpu N:")
                                .arg(profile)
                      : matching.empty()
                          ? QStringLiteral("tachyon: %1: the profile is for DevID %2, RevID %3, which no GPU "
                                           "here is; choose one with --gpu N:")
                                .arg(profile, identity.devId, identity.revId)
                          : QStringLiteral("tachyon: %1: several GPUs are DevID %2, RevID %3; choose one "
                                           "with --gpu N:")
                                .arg(profile, identity.devId, identity.revId));
            PrintGpuList(gpus);
            return kApplyNoSuchGpu;
        }
        position = matching.front();
    }
    // Otherwise Load below refuses the file with its own message, except a readable file that
    // is no profile: the window's "not supported" says nothing on a command line.
    if (text && (!HasProfileDeclaration(*text) || ReadProfileValues(*text).featuresFound == 0)) {
        PrintLine(stderr, QStringLiteral("tachyon: %1: not a Tachyon profile").arg(profile));
        return kApplyProfileRefused;
    }

    if (position != 0) {
        qobject_cast<QComboBox*>(dlg.MainControl(1000))->setCurrentIndex(static_cast<int>(position));
        dlg.OnGpuSelChange();
    }
    prompts.SetLoading(true);
    const int loaded = dlg.LoadProfile();
    prompts.SetLoading(false);
    if (loaded != ADLX_OK) return kApplyProfileRefused;
    if (!text) {
        PrintLine(stderr, QStringLiteral("tachyon: %1: unable to open file").arg(profile));
        return kApplyProfileRefused;
    }

    // The Tuning and Fan applies of "+", in its order, and their read-back.
    dlg.ApplyPage(kTuningPage);
    dlg.ApplyPage(kFanPage);
    dlg.ReadPage(kTuningPage);
    dlg.ReadPage(kFanPage);

    PrintLine(stdout, QStringLiteral("GPU %1: %2").arg(position).arg(gpus[position].name));
    bool refused = false;
    for (const Outcome& o : Outcomes(dlg, ReadProfileValues(*text))) {
        if (!o.supported) {
            PrintLine(stdout, QStringLiteral("%1: not supported by this GPU").arg(o.label));
            continue;
        }
        const bool kept = !o.asked || *o.asked == o.kept;
        PrintLine(stdout, kept ? QStringLiteral("%1: %2").arg(o.label).arg(o.kept)
                               : QStringLiteral("%1: %2 (asked %3)").arg(o.label).arg(o.kept).arg(*o.asked));
        if (!kept) {
            PrintLine(stderr, QStringLiteral("tachyon: %1: %2: asked %3, the card kept %4")
                                  .arg(profile, o.label)
                                  .arg(*o.asked)
                                  .arg(o.kept));
            refused = true;
        }
    }
    return refused ? kApplyValueRefused : kApplyKept;
}
