// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include <QCommandLineParser>
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

// The options that take a value, with what is said when it is missing or empty.
struct ValueOption {
    QString name;
    QString needs;
};

const QList<ValueOption>& ValueOptions() {
    static const QList<ValueOption> options{
        {QStringLiteral("apply"), QStringLiteral("--apply needs a profile file")},
        {QStringLiteral("gpu"), QStringLiteral("--gpu needs a GPU number (0 is the first GPU)")},
        {QStringLiteral("persist"), QStringLiteral("--persist needs a profile file")},
        {QStringLiteral("forget"), QStringLiteral("--forget needs the name of a kept profile (see --persisted)")},
    };
    return options;
}

const QStringList& Switches() {
    static const QStringList switches{QStringLiteral("status"), QStringLiteral("json"),
                                      QStringLiteral("persisted"), QStringLiteral("version"),
                                      QStringLiteral("help")};
    return switches;
}

// --persist PROFILE.xml, --forget NAME, --persisted: each the whole command line.
bool IsBootProfileOption(const QString& name) {
    return name == QStringLiteral("persist") || name == QStringLiteral("forget") || name == QStringLiteral("persisted");
}

// "--name=value" or "--name" as the option's name, dashes and value left off.
QString OptionName(const QString& argument) {
    if (!argument.startsWith(QStringLiteral("--"))) return {};
    return argument.mid(2).section(u'=', 0, 0);
}

// The parser's refusal in the program's own words: an unknown option named as it was typed, a
// value missing after the last option, a value given to a switch.
QString ParseError(const QCommandLineParser& parser, const QStringList& args) {
    if (!parser.unknownOptionNames().isEmpty()) {
        const QString name = parser.unknownOptionNames().constFirst();
        return QStringLiteral("unknown option %1%2").arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"),
                                                         name);
    }
    for (const ValueOption& option : ValueOptions()) {
        if (args.constLast() == QStringLiteral("--") + option.name) return option.needs;
    }
    for (const QString& argument : args) {
        if (argument.contains(u'=') && Switches().contains(OptionName(argument)))
            return QStringLiteral("unknown option %1").arg(argument);
    }
    return parser.errorText();
}

}  // namespace

CommandLine ParseCommandLine(int argc, char* argv[]) {
    CommandLine line;
    if (argc <= 1) return line;
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    // -h alone is the only short option; "--name value" and "--name=value" alike for the others.
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    for (const QString& name : Switches()) {
        if (name != QStringLiteral("help")) parser.addOption(QCommandLineOption(name));
    }
    for (const ValueOption& option : ValueOptions())
        parser.addOption(QCommandLineOption(option.name, QString(), QStringLiteral("value")));
    if (!parser.parse(args)) return Invalid(ParseError(parser, args.mid(1)));
    if (parser.isSet(QStringLiteral("help"))) {
        line.mode = CommandMode::Help;
        return line;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        line.mode = CommandMode::Version;
        return line;
    }
    const QStringList given = parser.optionNames();
    // "tachyon --" ends the options before any was given: the window, as without arguments.
    if (given.isEmpty()) return line;
    for (const ValueOption& option : ValueOptions()) {
        const QStringList values = parser.values(option.name);
        if (values.isEmpty()) continue;
        if (values.contains(QString())) return Invalid(option.needs);
    }
    for (const QString& name : given) {
        if (given.count(name) > 1 && !IsBootProfileOption(name))
            return Invalid(QStringLiteral("--%1 given twice").arg(name));
    }

    for (const QString& name : given) {
        if (!IsBootProfileOption(name)) continue;
        if (given.size() > 1 || !parser.positionalArguments().isEmpty())
            return Invalid(QStringLiteral("--%1 goes alone").arg(name));
        line.mode = name == QStringLiteral("persist")  ? CommandMode::Persist
                    : name == QStringLiteral("forget") ? CommandMode::Forget
                                                       : CommandMode::Persisted;
        (line.mode == CommandMode::Persist ? line.profile : line.name) = parser.value(name);
        return line;
    }

    if (!parser.positionalArguments().isEmpty())
        return Invalid(QStringLiteral("unknown option %1").arg(parser.positionalArguments().constFirst()));
    if (parser.isSet(QStringLiteral("gpu"))) {
        line.gpu = GpuPosition(parser.value(QStringLiteral("gpu")));
        if (!line.gpu) return Invalid(ValueOptions()[1].needs);
    }
    line.json = parser.isSet(QStringLiteral("json"));
    const bool apply = parser.isSet(QStringLiteral("apply"));
    if (parser.isSet(QStringLiteral("status"))) {
        if (apply) return Invalid(QStringLiteral("--status and --apply do not go together"));
        line.mode = CommandMode::Status;
        return line;
    }
    if (line.json) return Invalid(QStringLiteral("--json only goes with --status"));
    if (!apply) return Invalid(QStringLiteral("--gpu only goes with --apply or --status"));
    line.mode = CommandMode::Apply;
    line.profile = parser.value(QStringLiteral("apply"));
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
