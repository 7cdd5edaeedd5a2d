// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProfileFormat.h"

#include <QFileInfo>
#include <QStringView>

namespace {

// The file exactly as written; each {name} is a value slot. Slots are filled in one pass, so a
// value text is never searched for further slots.
constexpr const char kLayout[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<SYSTEM>\n"
    "    <GPU DevID=\"{DevID}\" RevID=\"{RevID}\">\n"
    "        <PPW Value=\"1\"/>\n"
    "        <FEATURE ID=\"101\" Enabled=\"2\">\n"
    "            <STATES>\n"
    "                <STATE ID=\"0\" Enabled=\"True\" Value=\"0\"/>\n"
    "            </STATES>\n"
    "        </FEATURE>\n"
    "        <FEATURE ID=\"3\" Enabled=\"True\">\n"
    "            <STATES>\n"
    "                <STATE ID=\"0\" Enabled=\"True\" Value=\"{power}\"/>\n"
    "            </STATES>\n"
    "        </FEATURE>\n"
    "        <FEATURE ID=\"26\" Enabled=\"True\">\n"
    "            <STATES>\n"
    "                <STATE ID=\"0\" Enabled=\"False\" Value=\"0\"/>\n"
    "                <STATE ID=\"1\" Enabled=\"False\" Value=\"0\"/>\n"
    "                <STATE ID=\"2\" Enabled=\"False\" Value=\"0\"/>\n"
    "                <STATE ID=\"3\" Enabled=\"False\" Value=\"{minEngine}\"/>\n"
    "                <STATE ID=\"4\" Enabled=\"False\" Value=\"{maxEngine}\"/>\n"
    "                <STATE ID=\"5\" Enabled=\"False\" Value=\"0\"/>\n"
    "                <STATE ID=\"6\" Enabled=\"False\" Value=\"0\"/>\n"
    "                <STATE ID=\"7\" Enabled=\"False\" Value=\"0\"/>\n"
    "                <STATE ID=\"8\" Enabled=\"False\" Value=\"0\"/>\n"
    "            </STATES>\n"
    "        </FEATURE>\n"
    "        <FEATURE ID=\"12\" Enabled=\"True\">\n"
    "            <STATES>\n"
    "                <STATE ID=\"0\" Enabled=\"False\" Value=\"{voltage}\"/>\n"
    "            </STATES>\n"
    "        </FEATURE>\n"
    "        <FEATURE ID=\"5\" Enabled=\"True\">\n"
    "            <STATES>\n"
    "                <STATE ID=\"0\" Enabled=\"False\" Value=\"{maxMemory}\"/>\n"
    "                <STATE ID=\"1\" Enabled=\"False\" Value=\"{memorySecond}\"/>\n"
    "            </STATES>\n"
    "        </FEATURE>\n"
    "        <FEATURE ID=\"17\" Enabled=\"True\">\n"
    "            <STATES>\n"
    "                <STATE ID=\"0\" Enabled=\"True\" Value=\"{timing}\"/>\n"
    "            </STATES>\n"
    "        </FEATURE>\n"
    "        <FEATURE ID=\"18\" Enabled=\"True\">\n"
    "            <STATES>\n"
    "                <STATE ID=\"0\" Enabled=\"{zeroRpm}\"/>\n"
    "            </STATES>\n"
    "        </FEATURE>\n"
    "        <FEATURE ID=\"22\" Enabled=\"True\">\n"
    "            <STATES>\n"
    "                <STATE ID=\"0\" Enabled=\"False\" Value=\"{t0}\"/>\n"
    "                <STATE ID=\"1\" Enabled=\"False\" Value=\"{s0}\"/>\n"
    "                <STATE ID=\"2\" Enabled=\"False\" Value=\"{t1}\"/>\n"
    "                <STATE ID=\"3\" Enabled=\"False\" Value=\"{s1}\"/>\n"
    "                <STATE ID=\"4\" Enabled=\"False\" Value=\"{t2}\"/>\n"
    "                <STATE ID=\"5\" Enabled=\"False\" Value=\"{s2}\"/>\n"
    "                <STATE ID=\"6\" Enabled=\"False\" Value=\"{t3}\"/>\n"
    "                <STATE ID=\"7\" Enabled=\"False\" Value=\"{s3}\"/>\n"
    "                <STATE ID=\"8\" Enabled=\"False\" Value=\"{t4}\"/>\n"
    "                <STATE ID=\"9\" Enabled=\"False\" Value=\"{s4}\"/>\n"
    "                <STATE ID=\"10\" Enabled=\"False\" Value=\"0\"/>\n"
    "            </STATES>\n"
    "        </FEATURE>\n"
    "        <FEATURE ID=\"27\" Enabled=\"False\">\n"
    "            <STATES>\n"
    "                <STATE ID=\"0\" Enabled=\"True\" Value=\"3\"/>\n"
    "            </STATES>\n"
    "        </FEATURE>\n"
    "    </GPU>\n"
    "</SYSTEM>\n";

// The zero-RPM slot covers the state's Enabled attribute and its Value.
constexpr const char kZeroRpmOn[] = "True\" Value=\"1";
constexpr const char kZeroRpmOff[] = "False\" Value=\"0";

QString SlotText(const ProfileValues& v, QStringView name) {
    if (name == u"DevID") return v.devId;
    if (name == u"RevID") return v.revId;
    if (name == u"power") return v.powerOffset;
    if (name == u"minEngine") return v.minEngineClock;
    if (name == u"maxEngine") return v.maxEngineClock;
    if (name == u"voltage") return v.engineVoltage;
    if (name == u"maxMemory") return v.maxMemoryClock;
    if (name == u"memorySecond") return v.memorySecond;
    if (name == u"timing") return v.memoryTiming;
    if (name == u"zeroRpm") return QString::fromLatin1(v.zeroRpm ? kZeroRpmOn : kZeroRpmOff);
    if (name.size() == 2 && (name[0] == u't' || name[0] == u's') && name[1] >= u'0' && name[1] <= u'4') {
        const int k = name[1].unicode() - u'0';
        return name[0] == u't' ? v.fanTemperature[k] : v.fanSpeed[k];
    }
    Q_ASSERT_X(false, "ProfileText", "unknown slot in the layout");
    return {};
}

void AppendNarrowed(QByteArray& out, const QString& text) {
    for (const QChar c : text) out.append(static_cast<char>(c.unicode() & 0xFF));
}

QString IdAfter(const QString& pnp, QLatin1StringView marker, int length) {
    const qsizetype at = pnp.indexOf(marker);
    if (at < 0) return {};
    return pnp.mid(at + marker.size(), length);
}

// The searches of the reader. Every position is -1 once something was not found, and a search
// from -1 finds nothing, so one missing piece makes everything that hangs on it missing too.
class MarkerSearch {
public:
    explicit MarkerSearch(const QString& text) : m_text(text) {}

    qsizetype Find(QLatin1StringView what, qsizetype from) const {
        if (from < 0) return -1;
        return m_text.indexOf(what, from);
    }

    // The value of the first Value keyword at or after from. Its text starts just after the seven
    // characters of `Value="` and ends before the next double quote; endOut receives that quote's
    // position, or -1 when the value could not be taken.
    std::optional<QString> ValueAfter(qsizetype from, qsizetype* endOut) const {
        *endOut = -1;
        const qsizetype keyword = Find(QLatin1StringView("Value"), from);
        if (keyword < 0) return std::nullopt;
        const qsizetype first = keyword + 7;
        if (first > m_text.size()) return std::nullopt;
        const qsizetype end = m_text.indexOf(u'"', first);
        if (end < 0) return std::nullopt;
        *endOut = end;
        return m_text.mid(first, end - first);
    }

private:
    const QString& m_text;
};

}  // namespace

QByteArray ProfileText(const ProfileValues& values) {
    QByteArray out;
    out.reserve(3000);
    const QString layout = QString::fromLatin1(kLayout);
    qsizetype i = 0;
    while (i < layout.size()) {
        const qsizetype open = layout.indexOf(u'{', i);
        if (open < 0) {
            AppendNarrowed(out, layout.mid(i));
            break;
        }
        const qsizetype close = layout.indexOf(u'}', open);
        AppendNarrowed(out, layout.mid(i, open - i));
        AppendNarrowed(out, SlotText(values, QStringView(layout).mid(open + 1, close - open - 1)));
        i = close + 1;
    }
    return out;
}

QString PnpDeviceId(const QString& pnp) { return IdAfter(pnp, QLatin1StringView("DEV_"), 4); }

QString PnpRevisionId(const QString& pnp) { return IdAfter(pnp, QLatin1StringView("REV_"), 2); }

QString ProfileFileName(const QString& chosen) {
    const QString extension = QFileInfo(chosen).suffix();
    if (extension == u"xml" || extension == u"XML") return chosen;
    return chosen + QStringLiteral(".xml");
}

QString ProfileTextFromBytes(const QByteArray& bytes) {
    const qsizetype zero = bytes.indexOf('\0');
    return QString::fromLocal8Bit(zero < 0 ? bytes : bytes.left(zero));
}

bool HasProfileDeclaration(const QString& text) {
    return text.contains(QLatin1StringView(R"(xml version="1.0" encoding="UTF-8")"));
}

ProfileReading ReadProfileValues(const QString& text) {
    const MarkerSearch search(text);
    ProfileReading r;
    qsizetype end = -1;

    auto feature = [&](const char* marker) {
        const qsizetype at = search.Find(QLatin1StringView(marker), 0);
        if (at >= 0) ++r.featuresFound;
        return at;
    };

    r.powerOffset = search.ValueAfter(feature(R"(FEATURE ID="3")"), &end);

    // The engine clocks sit in states 3 and 4; the zero states before them are skipped by
    // starting at the state marker.
    const qsizetype clocks = feature(R"(FEATURE ID="26")");
    r.minEngineClock = search.ValueAfter(search.Find(QLatin1StringView(R"(STATE ID="3")"), clocks), &end);
    r.maxEngineClock = search.ValueAfter(end, &end);

    r.engineVoltage = search.ValueAfter(feature(R"(FEATURE ID="12")"), &end);

    r.maxMemoryClock = search.ValueAfter(feature(R"(FEATURE ID="5")"), &end);
    r.memorySecond = search.ValueAfter(end, &end);

    r.memoryTiming = search.ValueAfter(feature(R"(FEATURE ID="17")"), &end);

    // Only the state's Value counts; its Enabled attribute is not read.
    r.zeroRpm = search.ValueAfter(feature(R"(FEATURE ID="18")"), &end);

    end = feature(R"(FEATURE ID="22")");
    for (int k = 0; k < 5; ++k) {
        r.fanTemperature[k] = search.ValueAfter(end, &end);
        r.fanSpeed[k] = search.ValueAfter(end, &end);
    }
    return r;
}

QString ProfileAttribute(const QString& text, const QString& attribute) {
    const QString opening = attribute + QStringLiteral("=\"");
    const qsizetype start = text.indexOf(opening);
    if (start < 0) return {};
    const qsizetype first = start + opening.size();
    const qsizetype end = text.indexOf(u'"', first);
    return end < 0 ? QString() : text.mid(first, end - first);
}
