// SPDX-License-Identifier: GPL-3.0-or-later
#include "StatusCommand.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <vector>

#include "device/ADLXHelper.h"
#include "features/tuning/TuningAccess.h"

namespace {

// The report's version: a key is only ever added; one renamed or changed in meaning raises it.
constexpr int kSchemaVersion = 1;

// One value of the report: its JSON key, how people read it, and whether it could not be had.
struct Item {
    const char* key;
    const char* label;
    QJsonValue json;
    QString text;
    bool failed = false;
};

struct GpuStatus {
    unsigned position = 0;
    std::optional<QString> name;
    std::optional<QString> pnp;
    std::optional<bool> primary;
    std::optional<bool> asleep;  // nothing when the GPU could not tell: then it is not read at all
    std::optional<bool> overdrive;
    std::vector<Item> tuning;
    std::vector<Item> metrics;
    QStringList unreadable;  // the keys of values the GPU offers that could not be had

    void Add(std::vector<Item>& to, Item item) {
        if (item.failed) unreadable << QString::fromLatin1(item.key);
        to.push_back(std::move(item));
    }
    void Failed(std::vector<Item>& to, const char* key, const char* label) {
        Add(to, {key, label, {}, QStringLiteral("unavailable"), true});
    }
};

QString Number(double value, int decimals, const char* unit) {
    return QStringLiteral("%1 %2").arg(QString::number(value, 'f', decimals), QString::fromUtf8(unit));
}

// ---- Identity.

// The hex digits after a marker of the PNP string ("DEV_744C"), when there are exactly that many.
QString HexAfter(const QString& pnp, QLatin1StringView marker, int length) {
    const qsizetype at = pnp.indexOf(marker);
    if (at < 0) return {};
    const QString digits = pnp.mid(at + marker.size(), length);
    if (digits.size() != length) return {};
    for (const QChar c : digits) {
        if (!c.isDigit() && !(c.toUpper() >= u'A' && c.toUpper() <= u'F')) return {};
    }
    const qsizetype end = at + marker.size() + length;
    if (end < pnp.size() && pnp[end] != u'&') return {};
    return digits.toUpper();
}

struct PciIds {
    QString vendor, device, subsystemVendor, subsystemDevice, revision;
};

// SUBSYS_ holds the subsystem's device, then its vendor.
PciIds PciIdsOf(const QString& pnp) {
    const QString subsystem = HexAfter(pnp, QLatin1StringView("SUBSYS_"), 8);
    return {HexAfter(pnp, QLatin1StringView("VEN_"), 4), HexAfter(pnp, QLatin1StringView("DEV_"), 4),
            subsystem.mid(4), subsystem.left(4), HexAfter(pnp, QLatin1StringView("REV_"), 2)};
}

QString PciText(const PciIds& ids) {
    QStringList parts;
    auto pair = [](const QString& vendor, const QString& device) {
        return QStringLiteral("%1:%2").arg(vendor.isEmpty() ? QStringLiteral("?") : vendor,
                                           device.isEmpty() ? QStringLiteral("?") : device);
    };
    if (!ids.vendor.isEmpty() || !ids.device.isEmpty()) parts << pair(ids.vendor, ids.device);
    if (!ids.subsystemVendor.isEmpty())
        parts << QStringLiteral("subsystem ") + pair(ids.subsystemVendor, ids.subsystemDevice);
    if (!ids.revision.isEmpty()) parts << QStringLiteral("revision ") + ids.revision;
    return parts.join(QStringLiteral(", "));
}

QJsonObject PciJson(const PciIds& ids) {
    QJsonObject pci;
    auto put = [&](const char* key, const QString& value) {
        if (!value.isEmpty()) pci.insert(QLatin1StringView(key), value);
    };
    put("vendor", ids.vendor);
    put("device", ids.device);
    put("subsystem_vendor", ids.subsystemVendor);
    put("subsystem_device", ids.subsystemDevice);
    put("revision", ids.revision);
    return pci;
}

void ReadIdentity(const adlx::InterfacePtr<IADLXGPU>& gpu, GpuStatus& s) {
    const char* text = nullptr;
    if (gpu->Name(&text) == ADLX_OK && text != nullptr)
        s.name = QString::fromLocal8Bit(text);
    else
        s.unreadable << QStringLiteral("name");
    text = nullptr;
    if (gpu->PNPString(&text) == ADLX_OK && text != nullptr)
        s.pnp = QString::fromLocal8Bit(text);
    else
        s.unreadable << QStringLiteral("pnp");
    // A GPU of the older interface has no multi-GPU role to tell.
    if (auto gpu1 = gpu.query<IADLXGPU1>()) {
        ADLX_MGPU_MODE mode = MGPU_NONE;
        if (gpu1->MultiGPUMode(&mode) == ADLX_OK)
            s.primary = mode == MGPU_PRIMARY;
        else
            s.unreadable << QStringLiteral("primary");
    }
}

// ---- Tuning: the values the window's Tuning and Fan pages show, asked the way its probe asks.

// A value of the report a feature holds, for the feature's question to name when it fails.
struct Shown {
    const char* key;
    const char* label;
};

// A feature the GPU offers, as the window decides it: the services say yes and its interface can
// be had. A question that fails leaves it unknown, and its values unavailable.
template <typename Tuning>
adlx::InterfacePtr<Tuning> Feature(GpuStatus& s, IADLXGPUTuningServices* services, IADLXGPU* gpu,
                                   ADLX_RESULT (IADLXGPUTuningServices::*question)(IADLXGPU*, adlx_bool*),
                                   tuning::TuningGetter getter, std::initializer_list<Shown> values,
                                   bool& unknown) {
    adlx_bool supported = false;
    if ((services->*question)(gpu, &supported) != ADLX_OK) {
        unknown = true;
        for (const Shown& value : values) s.Failed(s.tuning, value.key, value.label);
        return {};
    }
    if (!supported) return {};
    return tuning::ManualTuning<Tuning>(services, gpu, getter);
}

// A value of an interface the GPU offers: left out where the driver says it has none (the voltage
// of a card that only takes an offset), unavailable where the driver fails to answer.
template <typename Object>
void TuningValue(GpuStatus& s, const char* key, const char* label, Object* object,
                 ADLX_RESULT (Object::*get)(adlx_int*), const char* unit, int offset = 0) {
    adlx_int value = 0;
    const ADLX_RESULT r = (object->*get)(&value);
    if (r == ADLX_NOT_SUPPORTED) return;
    if (r != ADLX_OK) return s.Failed(s.tuning, key, label);
    const adlx_int shown = tuning::AddSaturated(value, offset);
    s.Add(s.tuning, {key, label, shown, Number(shown, 0, unit)});
}

void ReadFanCurve(GpuStatus& s, IADLXManualFanTuning* fan) {
    adlx::InterfacePtr<IADLXManualFanTuningStateList> states;
    if (fan->GetFanTuningStates(states.put()) != ADLX_OK) states.detach();
    QJsonArray points;
    QStringList text;
    bool whole = static_cast<bool>(states);
    for (adlx_uint i = whole ? states->Begin() : 0; whole && i < states->End(); ++i) {
        adlx::InterfacePtr<IADLXManualFanTuningState> state;
        if (states->At(i, state.put()) != ADLX_OK) state.detach();
        adlx_int speed = 0;
        adlx_int temperature = 0;
        whole =
            state && state->GetFanSpeed(&speed) == ADLX_OK && state->GetTemperature(&temperature) == ADLX_OK;
        points.append(QJsonObject{{QStringLiteral("temperature_c"), temperature},
                                  {QStringLiteral("speed_percent"), speed}});
        text << QStringLiteral("%1 °C %2 %").arg(temperature).arg(speed);
    }
    if (!whole) return s.Failed(s.tuning, "fan_curve", "Fan curve");
    s.Add(s.tuning, {"fan_curve", "Fan curve", points, text.join(QStringLiteral(", "))});
}

void ReadZeroRpm(GpuStatus& s, IADLXManualFanTuning* fan) {
    adlx_bool supported = false;
    if (fan->IsSupportedZeroRPM(&supported) != ADLX_OK) return s.Failed(s.tuning, "zero_rpm", "Zero RPM");
    if (!supported) return;
    adlx_bool enabled = false;
    if (fan->GetZeroRPMState(&enabled) != ADLX_OK) return s.Failed(s.tuning, "zero_rpm", "Zero RPM");
    s.Add(s.tuning,
          {"zero_rpm", "Zero RPM", enabled, enabled ? QStringLiteral("on") : QStringLiteral("off")});
}

void ReadTuning(IADLXGPUTuningServices* services, IADLXGPU* gpu, GpuStatus& s) {
    if (services == nullptr) {
        s.unreadable << QStringLiteral("overdrive");
        return;
    }
    bool unknown = false;
    const auto gfx = Feature<IADLXManualGraphicsTuning2>(s, services, gpu,
                                                         &IADLXGPUTuningServices::IsSupportedManualGFXTuning,
                                                         &IADLXGPUTuningServices::GetManualGFXTuning,
                                                         {{"gpu_min_clock_mhz", "GPU minimum clock"},
                                                          {"gpu_max_clock_mhz", "GPU maximum clock"},
                                                          {"voltage_mv", "Voltage"}},
                                                         unknown);
    const auto vram = Feature<IADLXManualVRAMTuning2>(
        s, services, gpu, &IADLXGPUTuningServices::IsSupportedManualVRAMTuning,
        &IADLXGPUTuningServices::GetManualVRAMTuning, {{"memory_max_clock_mhz", "Memory maximum clock"}},
        unknown);
    const auto fan =
        Feature<IADLXManualFanTuning>(s, services, gpu, &IADLXGPUTuningServices::IsSupportedManualFanTuning,
                                      &IADLXGPUTuningServices::GetManualFanTuning,
                                      {{"fan_curve", "Fan curve"}, {"zero_rpm", "Zero RPM"}}, unknown);
    // Overdrive is what opens the clocks, the voltage, the memory clock and the fan curve; the
    // power limit is there without it.
    if (gfx || vram || fan)
        s.overdrive = true;
    else if (!unknown)
        s.overdrive = false;
    else
        s.unreadable << QStringLiteral("overdrive");
    bool powerUnknown = false;
    const auto power = Feature<IADLXManualPowerTuning>(
        s, services, gpu, &IADLXGPUTuningServices::IsSupportedManualPowerTuning,
        &IADLXGPUTuningServices::GetManualPowerTuning, {{"power_limit_percent", "Power limit"}},
        powerUnknown);

    if (gfx) {
        TuningValue(s, "gpu_min_clock_mhz", "GPU minimum clock", gfx.get(),
                    &IADLXManualGraphicsTuning2::GetGPUMinFrequency, "MHz");
        TuningValue(s, "gpu_max_clock_mhz", "GPU maximum clock", gfx.get(),
                    &IADLXManualGraphicsTuning2::GetGPUMaxFrequency, "MHz");
        TuningValue(s, "voltage_mv", "Voltage", gfx.get(), &IADLXManualGraphicsTuning2::GetGPUVoltage, "mV");
    }
    if (vram) {
        TuningValue(s, "memory_max_clock_mhz", "Memory maximum clock", vram.get(),
                    &IADLXManualVRAMTuning2::GetMaxVRAMFrequency, "MHz");
    }
    // The driver holds an offset; the window shows it as a percentage of the standard limit.
    if (power) {
        TuningValue(s, "power_limit_percent", "Power limit", power.get(),
                    &IADLXManualPowerTuning::GetPowerLimit, "%", 100);
    }
    if (fan) {
        ReadFanCurve(s, fan.get());
        ReadZeroRpm(s, fan.get());
    }
}

// ---- Metrics.

struct MetricRow {
    const char* key;
    const char* label;
    const char* unit;
    int decimals;
    ADLX_RESULT (IADLXGPUMetrics::*supported)(adlx_bool*);
    ADLX_RESULT (IADLXGPUMetrics::*getDouble)(adlx_double*);
    ADLX_RESULT (IADLXGPUMetrics::*getInt)(adlx_int*);
};

const MetricRow kMetricRows[] = {
    {"temperature_edge_c", "Temperature (edge)", "°C", 1, &IADLXGPUMetrics::IsSupportedTemperature,
     &IADLXGPUMetrics::GetTemperature, nullptr},
    {"temperature_hotspot_c", "Temperature (hotspot)", "°C", 1,
     &IADLXGPUMetrics::IsSupportedHotspotTemperature, &IADLXGPUMetrics::GetHotspotTemperature, nullptr},
    {"temperature_memory_c", "Temperature (memory)", "°C", 1, &IADLXGPUMetrics::IsSupportedMemoryTemperature,
     &IADLXGPUMetrics::GetMemoryTemperature, nullptr},
    {"fan_rpm", "Fan speed", "RPM", 0, &IADLXGPUMetrics::IsSupportedFanSpeed, nullptr,
     &IADLXGPUMetrics::GetFanSpeed},
    {"fan_percent", "Fan duty", "%", 0, &IADLXGPUMetrics::IsSupportedFanSpeedPercent,
     &IADLXGPUMetrics::GetFanSpeedPercent, nullptr},
    {"gpu_clock_mhz", "GPU clock", "MHz", 0, &IADLXGPUMetrics::IsSupportedGPUClock,
     &IADLXGPUMetrics::GetGPUClock, nullptr},
    {"memory_clock_mhz", "Memory clock", "MHz", 0, &IADLXGPUMetrics::IsSupportedMemoryClock,
     &IADLXGPUMetrics::GetMemoryClock, nullptr},
    {"power_w", "Power draw", "W", 1, &IADLXGPUMetrics::IsSupportedPower, &IADLXGPUMetrics::GetPower,
     nullptr},
    {"gpu_busy_percent", "GPU busy", "%", 0, &IADLXGPUMetrics::IsSupportedGPUUsage, nullptr,
     &IADLXGPUMetrics::GetGPUUsage},
    {"vram_used_mib", "VRAM used", "MiB", 0, &IADLXGPUMetrics::IsSupportedVRAMUsed,
     &IADLXGPUMetrics::GetVRAMUsed, nullptr},
    {"vram_total_mib", "VRAM total", "MiB", 0, &IADLXGPUMetrics::IsSupportedVRAMTotal,
     &IADLXGPUMetrics::GetVRAMTotal, nullptr},
};

void ReadMetrics(IADLXGPUMetrics* metrics, GpuStatus& s) {
    for (const MetricRow& row : kMetricRows) {
        adlx_bool supported = false;
        if ((metrics->*row.supported)(&supported) != ADLX_OK) {
            s.Failed(s.metrics, row.key, row.label);
            continue;
        }
        if (!supported) continue;
        QJsonValue json;
        double value = 0;
        ADLX_RESULT r = ADLX_FAIL;
        if (row.getInt != nullptr) {
            adlx_int v = 0;
            r = (metrics->*row.getInt)(&v);
            json = v;
            value = v;
        } else {
            adlx_double v = 0;
            r = (metrics->*row.getDouble)(&v);
            json = v;
            value = v;
        }
        if (r == ADLX_NOT_SUPPORTED) continue;
        // JSON has no place for a number that is not finite; nor has a sensor.
        if (r != ADLX_OK || !std::isfinite(value)) {
            s.Failed(s.metrics, row.key, row.label);
            continue;
        }
        s.Add(s.metrics, {row.key, row.label, json, Number(value, row.decimals, row.unit)});
    }
}

// ---- Reading every GPU.

struct Session {
    IADLXSystem* system = nullptr;
    adlx::InterfacePtr<IADLXGPUTuningServices> tuning;
    adlx::InterfacePtr<IADLXGPUMetricsServices> metrics;
};

GpuStatus ReadGpu(Session& session, const adlx::InterfacePtr<IADLXGPU>& gpu, unsigned position) {
    GpuStatus s;
    s.position = position;
    ReadIdentity(gpu, s);
    adlx::InterfacePtr<IADLXGPUMetrics> metrics;
    if (session.metrics && session.metrics->GetGPUMetrics(gpu.get(), metrics.put()) != ADLX_OK)
        metrics.detach();
    adlx_bool asleep = false;
    if (metrics && metrics->IsAsleep(&asleep) == ADLX_OK) s.asleep = asleep;
    // Asleep, or unable to say: a read could wake it, so nothing of it is read.
    if (!s.asleep) {
        s.unreadable << QStringLiteral("asleep");
        return s;
    }
    if (*s.asleep) return s;
    ReadTuning(session.tuning.get(), gpu.get(), s);
    ReadMetrics(metrics.get(), s);
    return s;
}

// The GPUs in the order of the window's list: an entry the list cannot hand out is left out,
// and the later ones keep their own positions in the list that remains.
std::vector<adlx::InterfacePtr<IADLXGPU>> ListedGpus(IADLXSystem* system) {
    std::vector<adlx::InterfacePtr<IADLXGPU>> gpus;
    adlx::InterfacePtr<IADLXGPUList> list;
    if (system == nullptr || system->GetGPUs(list.put()) != ADLX_OK) list.detach();
    if (!list) return gpus;
    for (adlx_uint i = list->Begin(); i != list->End(); ++i) {
        adlx::InterfacePtr<IADLXGPU> gpu;
        if (list->At(i, gpu.put()) != ADLX_OK) gpu.detach();
        if (gpu) gpus.push_back(std::move(gpu));
    }
    return gpus;
}

QString NameOf(const GpuStatus& s) { return s.name.value_or(QStringLiteral("(no name)")); }

// ---- The two ways of writing the report.

QString Line(const QString& label, const QString& text) {
    return QStringLiteral("  %1 %2\n").arg(label + u':', -22).arg(text);
}

QByteArray TextReport(const std::vector<GpuStatus>& gpus) {
    QString out;
    for (const GpuStatus& s : gpus) {
        if (!out.isEmpty()) out += u'\n';
        out += QStringLiteral("GPU %1: %2%3\n")
                   .arg(s.position)
                   .arg(NameOf(s), s.primary == true ? QStringLiteral(" - Primary") : QString());
        const QString pci = s.pnp ? PciText(PciIdsOf(*s.pnp)) : QString();
        if (!pci.isEmpty()) out += Line(QStringLiteral("PCI"), pci);
        if (!s.asleep) {
            out += Line(QStringLiteral("Power state"),
                        QStringLiteral("unknown (not read, so as not to wake it)"));
            continue;
        }
        if (*s.asleep) {
            out += Line(QStringLiteral("Power state"), QStringLiteral("asleep (not woken to be read)"));
            continue;
        }
        out += Line(QStringLiteral("Power state"), QStringLiteral("awake"));
        if (s.overdrive)
            out += Line(QStringLiteral("Overdrive"),
                        *s.overdrive ? QStringLiteral("on") : QStringLiteral("off"));
        for (const auto* items : {&s.tuning, &s.metrics}) {
            for (const Item& item : *items) out += Line(QString::fromUtf8(item.label), item.text);
        }
    }
    return out.toUtf8();
}

QJsonObject Values(const std::vector<Item>& items) {
    QJsonObject values;
    for (const Item& item : items) {
        if (!item.failed) values.insert(QLatin1StringView(item.key), item.json);
    }
    return values;
}

QByteArray JsonReport(const std::vector<GpuStatus>& gpus) {
    QJsonArray list;
    for (const GpuStatus& s : gpus) {
        QJsonObject gpu{{QStringLiteral("gpu"), static_cast<int>(s.position)},
                        {QStringLiteral("tuning"), Values(s.tuning)},
                        {QStringLiteral("metrics"), Values(s.metrics)},
                        {QStringLiteral("unreadable"), QJsonArray::fromStringList(s.unreadable)}};
        if (s.name) gpu.insert(QStringLiteral("name"), *s.name);
        if (s.pnp) {
            gpu.insert(QStringLiteral("pnp"), *s.pnp);
            gpu.insert(QStringLiteral("pci"), PciJson(PciIdsOf(*s.pnp)));
        }
        if (s.primary) gpu.insert(QStringLiteral("primary"), *s.primary);
        if (s.asleep) gpu.insert(QStringLiteral("asleep"), *s.asleep);
        if (s.overdrive) gpu.insert(QStringLiteral("overdrive"), *s.overdrive);
        list.append(gpu);
    }
    const QJsonObject root{{QStringLiteral("schema"), kSchemaVersion}, {QStringLiteral("gpus"), list}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

void ErrorLine(QByteArray& err, const QString& text) {
    err += (QStringLiteral("tachyon: ") + text + u'\n').toUtf8();
}

}  // namespace

StatusOutput ReadStatus(ADLXHelper& adlx, std::optional<unsigned> gpu, bool json) {
    StatusOutput output;
    Session session;
    session.system = adlx.SystemServices();
    std::vector<adlx::InterfacePtr<IADLXGPU>> gpus = ListedGpus(session.system);
    if (gpus.empty()) {
        ErrorLine(output.err, QStringLiteral("no supported GPU found!"));
        output.status = kStatusNoSuchGpu;
        return output;
    }
    if (gpu && *gpu >= gpus.size()) {
        ErrorLine(output.err, QStringLiteral("there is no GPU %1; the GPUs are:").arg(*gpu));
        for (unsigned p = 0; p < gpus.size(); ++p) {
            GpuStatus s;
            ReadIdentity(gpus[p], s);
            output.err += QStringLiteral("  GPU %1: %2\n").arg(p).arg(NameOf(s)).toUtf8();
        }
        output.status = kStatusNoSuchGpu;
        return output;
    }
    if (session.system->GetGPUTuningServices(session.tuning.put()) != ADLX_OK) session.tuning.detach();
    if (session.system->GetGPUMetricsServices(session.metrics.put()) != ADLX_OK) session.metrics.detach();

    std::vector<GpuStatus> read;
    for (unsigned p = 0; p < gpus.size(); ++p) {
        if (gpu && *gpu != p) continue;
        read.push_back(ReadGpu(session, gpus[p], p));
        const GpuStatus& s = read.back();
        if (s.asleep == std::nullopt) {
            ErrorLine(output.err,
                      QStringLiteral("GPU %1: cannot tell whether it sleeps; not read, so as not to wake it")
                          .arg(p));
        }
        for (const QString& key : s.unreadable) {
            if (key == u"asleep") continue;
            ErrorLine(output.err, QStringLiteral("GPU %1: %2 could not be read").arg(p).arg(key));
        }
        if (!s.unreadable.isEmpty()) output.status = kStatusReadingFailed;
    }
    output.out = json ? JsonReport(read) : TextReport(read);
    return output;
}

int RunStatusCommand(ADLXHelper& adlx, std::optional<unsigned> gpu, bool json) {
    const StatusOutput output = ReadStatus(adlx, gpu, json);
    std::fwrite(output.out.constData(), 1, static_cast<std::size_t>(output.out.size()), stdout);
    std::fflush(stdout);
    std::fwrite(output.err.constData(), 1, static_cast<std::size_t>(output.err.size()), stderr);
    std::fflush(stderr);
    return output.status;
}
