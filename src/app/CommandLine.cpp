// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include <QStringList>

namespace {

// A GPU position: plain decimal digits, within reason.
std::optional<unsigned> GpuPosition(const QString& text) {
    if (text.isEmpty() || text.size() > 4) return std::nullopt;
    for (QChar c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
    }
    return text.toUInt();
}

CommandLine Invalid(const QString& error) {
    CommandLine line;
    line.mode = CommandMode::Invalid;
    line.error = error;
    return line;
}

// --persist PROFILE.xml, --forget NAME, --persisted: each the whole command line.
template <class TakeValue>
std::optional<CommandLine> ParseBootProfileOption(const QString& name, const std::optional<QString>& value,
                                                  TakeValue&& takeValue) {
    CommandLine line;
    if (name == QStringLiteral("--persisted") && !value) {
        line.mode = CommandMode::Persisted;
        return line;
    }
    if (name != QStringLiteral("--persist") && name != QStringLiteral("--forget")) return std::nullopt;
    const std::optional<QString> operand = takeValue();
    if (!operand || operand->isEmpty()) {
        return Invalid(name == QStringLiteral("--persist") ? QStringLiteral("--persist needs a profile file")
                                                           : QStringLiteral("--forget needs the name of a kept "
                                                                            "profile (see --persisted)"));
    }
    line.mode = name == QStringLiteral("--persist") ? CommandMode::Persist : CommandMode::Forget;
    (line.mode == CommandMode::Persist ? line.profile : line.name) = *operand;
    return line;
}

}  // namespace

CommandLine ParseCommandLine(int argc, char* argv[]) {
    CommandLine line;
    if (argc <= 1) return line;
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);

    bool status = false;
    // "--name value" and "--name=value" alike; value is empty when the option has none.
    for (int i = 0; i < args.size(); ++i) {
        QString name = args[i];
        std::optional<QString> value;
        if (name.startsWith(QStringLiteral("--")) && name.contains(u'=')) {
            value = name.mid(name.indexOf(u'=') + 1);
            name = name.left(name.indexOf(u'='));
        }
        auto takeValue = [&]() -> std::optional<QString> {
            if (value) return value;
            if (i + 1 < args.size()) return args[++i];
            return std::nullopt;
        };
        if ((name == QStringLiteral("--help") || name == QStringLiteral("-h")) && !value) {
            line.mode = CommandMode::Help;
            return line;
        }
        if (name == QStringLiteral("--version") && !value) {
            line.mode = CommandMode::Version;
            return line;
        }
        if (name == QStringLiteral("--apply")) {
            const std::optional<QString> profile = takeValue();
            if (!profile || profile->isEmpty())
                return Invalid(QStringLiteral("--apply needs a profile file"));
            if (line.mode == CommandMode::Apply) return Invalid(QStringLiteral("--apply given twice"));
            line.mode = CommandMode::Apply;
            line.profile = *profile;
            continue;
        }
        if (const std::optional<CommandLine> boot = ParseBootProfileOption(name, value, takeValue)) {
            if (boot->mode == CommandMode::Invalid) return *boot;
            if (line.mode != CommandMode::Window || line.gpu || status || line.json || args.size() > i + 1)
                return Invalid(QStringLiteral("%1 goes alone").arg(name));
            return *boot;
        }
        if (name == QStringLiteral("--gpu")) {
            const std::optional<QString> text = takeValue();
            const std::optional<unsigned> position = text ? GpuPosition(*text) : std::nullopt;
            if (!position) return Invalid(QStringLiteral("--gpu needs a GPU number (0 is the first GPU)"));
            if (line.gpu) return Invalid(QStringLiteral("--gpu given twice"));
            line.gpu = position;
            continue;
        }
        if (name == QStringLiteral("--status") && !value) {
            if (status) return Invalid(QStringLiteral("--status given twice"));
            status = true;
            continue;
        }
        if (name == QStringLiteral("--json") && !value) {
            if (line.json) return Invalid(QStringLiteral("--json given twice"));
            line.json = true;
            continue;
        }
        return Invalid(QStringLiteral("unknown option %1").arg(args[i]));
    }
    if (status) {
        if (line.mode == CommandMode::Apply) return Invalid(QStringLiteral("--status and --apply do not go together"));
        line.mode = CommandMode::Status;
        return line;
    }
    if (line.json) return Invalid(QStringLiteral("--json only goes with --status"));
    if (line.mode != CommandMode::Apply) return Invalid(QStringLiteral("--gpu only goes with --apply or --status"));
    return line;
}

QString UsageText() {
    return QStringLiteral(
        "Usage: tachyon                              open the window\n"
        "       tachyon --apply PROFILE.xml [--gpu N] apply a profile's Tuning and Fan values, no window\n"
        "       tachyon --status [--gpu N] [--json]   print each GPU's settings and sensors, no window\n"
        "       tachyon --persist PROFILE.xml         keep a profile: applied at every boot and resume\n"
        "       tachyon --forget NAME                stop applying a kept profile\n"
        "       tachyon --persisted                  list the kept profiles and the GPU each names\n"
        "       tachyon --help | --version\n"
        "\n"
        "--apply    reads PROFILE.xml as Load does, applies it to the GPU it was saved from (or to\n"
        "           GPU N of the list, 0 being the first), reads the values back and prints what the\n"
        "           card kept. Exit status: 0 every value kept, 1 a value was refused, 3 the profile\n"
        "           was refused, 4 no such GPU, 255 the runtime did not start.\n"
        "--status   reads every GPU (or GPU N) once: its name, PCI ids, whether overdrive is on, the\n"
        "           tuning values the window shows, and its sensors (temperatures, fan, clocks, power,\n"
        "           load, memory). A sleeping GPU is reported as asleep, not woken. Exit status: 0 all\n"
        "           read, 1 a reading the GPU offers failed, 4 no such GPU, 255 the runtime did not start.\n"
        "--json     with --status: one JSON document for scripts (keys in man tachyon).\n"
        "--gpu N    the GPU to apply to or read, in the order of the window's GPU list.\n"
        "--persist  checks PROFILE.xml as Load does and, after one administrator authentication,\n"
        "           keeps it in the boot folder as NAME (its file name, letters, digits, - and _),\n"
        "           enables the boot service and re-arms the boot guard. --forget removes one; with\n"
        "           none left the service is disabled. Exit status: 0 done, 3 the profile or name\n"
        "           was refused, 5 authentication was cancelled or failed (nothing changed), 6 it\n"
        "           could not be done.\n"
        "Every command exits with 2 when its command line is wrong.\n");
}
