#include "finder/core/command_line.h"

#include "finder/core/device_watch.h"
#include "discovery/target_sweep.h"

#include <QCommandLineParser>
#include <QLocale>

#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Long enough for a slow link; a longer wait is a mistake, not a choice.
constexpr double MaxWaitSeconds = 3600;
// A day of the shortest rounds; more is no watch anyone waits for.
constexpr double MaxGoneAfter = 43200;

struct Options
{
    // Qt's own help option also offers Qt's options, which the finder does not take.
    QCommandLineOption help{{u"h"_s, u"help"_s}, u"Displays help on commandline options."_s};
    QCommandLineOption list{u"list"_s, u"List the devices that answer, without a window, and exit."_s};
    QCommandLineOption wait{u"wait"_s, u"With --list: collect replies for SECONDS after the last request "
                                       u"(default %1; fractions allowed)."_s.arg(CommandLine::DefaultWaitSeconds),
                            u"SECONDS"_s};
    QCommandLineOption json{u"json"_s, u"With --list: print a JSON array instead of a table."_s};
    QCommandLineOption csv{u"csv"_s, u"With --list: print CSV, as the window saves it."_s};
    QCommandLineOption prometheus{u"prometheus"_s, u"With --list: print Prometheus metrics, for node exporter's "
                                                   u"textfile collector."_s};
    QCommandLineOption output{u"output"_s, u"With --list: write to FILE instead, replacing it only once the scan "
                                           u"has finished. A failed scan leaves FILE as it was; with --prometheus "
                                           u"it writes one that says the scan failed."_s, u"FILE"_s};
    QCommandLineOption target{u"target"_s, u"With --list: also send the request to ADDRESSES: an address, a CIDR "
                                           u"block (10.5.0.0/24) or a range (10.5.0.10-10.5.0.99), for devices "
                                           u"behind a router. Repeatable; at most %1 addresses."_s.arg(TargetList::MaxAddresses), u"ADDRESSES"_s};
    QCommandLineOption rate{u"rate"_s, u"With --target: send at most N requests per second, 1 or more "
                                       u"(default %1)."_s.arg(TargetSweep::DefaultRate),
                            u"N"_s};
    QCommandLineOption interface{u"interface"_s, u"With --list or --watch: broadcast only through interface NAME. "
                                                 u"Repeatable; names may also be separated by commas."_s, u"NAME"_s};
    QCommandLineOption watch{u"watch"_s, u"Send the request every few seconds and print one JSON object per line "
                                         u"for each device that appears, changes, is gone or is back, until "
                                         u"interrupted."_s};
    QCommandLineOption interval{u"interval"_s, u"With --watch: seconds between requests (default %1, %2 to %3)."_s.arg(
                                        DeviceWatch::DefaultIntervalSeconds).arg(DeviceWatch::MinIntervalSeconds).arg(
                                        DeviceWatch::MaxIntervalSeconds),
                                u"SECONDS"_s};
    QCommandLineOption goneAfter{u"gone-after"_s, u"With --watch: a device that misses ROUNDS requests in a row is "
                                                  u"gone (default %1)."_s.arg(DeviceRoster::DefaultGoneAfter),
                                 u"ROUNDS"_s};
    QCommandLineOption expect{u"expect"_s, u"With --list or --watch: compare with the site's plan, a CSV file "
                                           u"naming a MAC, serial or IP column (a saved list will do). Adds a "
                                           u"status; --list exits with 3 when a planned device is missing."_s,
                              u"FILE"_s};

    void addTo(QCommandLineParser &parser) const
    {
        parser.setApplicationDescription(u"Finds the IP door phones on the local network."_s);
        parser.addOption(help);
        parser.addVersionOption();
        parser.addOptions({list, wait, json, csv, prometheus, target, rate, interface, output, watch, interval,
                           goneAfter, expect});
    }
};

std::optional<double> parseNumber(const QString &text, double min, double max)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value) || value < min || value > max)
        return std::nullopt;
    return value;
}

CommandLine failure(const QString &error)
{
    CommandLine line;
    line.action = CommandLine::Action::Error;
    line.error = error;
    return line;
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    const Options options;
    options.addTo(parser);
    if (!parser.parse(arguments))
        return failure(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return failure(u"Unexpected argument: %1"_s.arg(parser.positionalArguments().constFirst()));

    CommandLine line;
    if (parser.isSet(options.help)) {
        line.action = CommandLine::Action::Help;
        return line;
    }
    if (parser.isSet(u"version"_s)) {
        line.action = CommandLine::Action::Version;
        return line;
    }

    const bool watching = parser.isSet(options.watch);
    if (watching && parser.isSet(options.list))
        return failure(u"--list and --watch cannot be used together"_s);
    if (!parser.isSet(options.list)) {
        for (const QCommandLineOption *listOnly : {&options.wait, &options.json, &options.csv, &options.prometheus,
                                                   &options.target, &options.rate, &options.interface,
                                                   &options.output, &options.expect}) {
            const bool alsoWatch = listOnly == &options.interface || listOnly == &options.expect;
            if (parser.isSet(*listOnly) && !(watching && alsoWatch)) {
                return failure(u"--%1 works only with --list%2"_s.arg(listOnly->names().constFirst(),
                                                                      alsoWatch ? u" or --watch"_s : QString()));
            }
        }
    }
    for (const QCommandLineOption *watchOnly : {&options.interval, &options.goneAfter}) {
        if (parser.isSet(*watchOnly) && !watching)
            return failure(u"--%1 works only with --watch"_s.arg(watchOnly->names().constFirst()));
    }
    line.expectFile = parser.value(options.expect);
    if (parser.isSet(options.expect) && line.expectFile.isEmpty())
        return failure(u"--expect needs a file name"_s);
    if (watching) {
        line.action = CommandLine::Action::Watch;
        if (parser.isSet(options.interval)) {
            const std::optional<double> seconds = parseNumber(parser.value(options.interval),
                    DeviceWatch::MinIntervalSeconds, DeviceWatch::MaxIntervalSeconds);
            if (!seconds || *seconds != std::floor(*seconds)) {
                return failure(u"--interval needs a whole number of seconds from %1 to %2, got \"%3\""_s.arg(
                        QString::number(DeviceWatch::MinIntervalSeconds), QString::number(DeviceWatch::MaxIntervalSeconds),
                        parser.value(options.interval).left(64)));
            }
            line.intervalSeconds = static_cast<int>(*seconds);
        }
        if (parser.isSet(options.goneAfter)) {
            const std::optional<double> rounds = parseNumber(parser.value(options.goneAfter), 1, MaxGoneAfter);
            if (!rounds || *rounds != std::floor(*rounds)) {
                return failure(u"--gone-after needs a whole number of rounds from 1 to %1, got \"%2\""_s.arg(
                        QString::number(MaxGoneAfter), parser.value(options.goneAfter).left(64)));
            }
            line.goneAfter = static_cast<int>(*rounds);
        }
    }
    // Commas separate names as they separate targets.
    for (const QString &value : parser.values(options.interface)) {
        const QStringList names = value.split(u',', Qt::SkipEmptyParts);
        for (const QString &name : names) {
            if (!name.trimmed().isEmpty())
                line.interfaceNames << name.trimmed();
        }
        if (names.isEmpty() || line.interfaceNames.isEmpty())
            return failure(u"--interface needs an interface name"_s);
    }
    if (!parser.isSet(options.list))
        return line;

    line.action = CommandLine::Action::List;
    QStringList formats;
    for (const auto &[option, format] : {std::pair{&options.json, CommandLine::Format::Json},
                                         std::pair{&options.csv, CommandLine::Format::Csv},
                                         std::pair{&options.prometheus, CommandLine::Format::Prometheus}}) {
        if (parser.isSet(*option)) {
            formats << u"--"_s + option->names().constFirst();
            line.format = format;
        }
    }
    if (formats.size() > 1)
        return failure(u"%1 cannot be used together"_s.arg(formats.join(u" and "_s)));
    if (parser.isSet(options.output)) {
        line.outputPath = parser.value(options.output);
        if (line.outputPath.isEmpty())
            return failure(u"--output needs a file name"_s);
    }

    if (parser.isSet(options.wait)) {
        const std::optional<double> seconds = parseNumber(parser.value(options.wait), 0, MaxWaitSeconds);
        if (!seconds) {
            return failure(u"--wait needs a number of seconds from 0 to %1, got \"%2\""_s.arg(
                    QString::number(MaxWaitSeconds), parser.value(options.wait).left(64)));
        }
        line.waitSeconds = *seconds;
    }
    if (parser.isSet(options.rate)) {
        // Below one request a second a sweep would outlast any wait.
        const std::optional<double> rate = parseNumber(parser.value(options.rate), 1, TargetSweep::MaxRate);
        if (!rate) {
            return failure(u"--rate needs a number of requests per second from 1 to %1, got \"%2\""_s.arg(
                    QString::number(TargetSweep::MaxRate, 'f', 0), parser.value(options.rate).left(64)));
        }
        line.ratePerSecond = *rate;
    }
    if (parser.isSet(options.target)) {
        line.targets = parseTargetAddresses(parser.values(options.target));
        if (!line.targets.error.isEmpty())
            return failure(u"--target: "_s + line.targets.error);
    }
    return line;
}

QString commandLineHelp()
{
    QCommandLineParser parser;
    Options().addTo(parser);
    return parser.helpText();
}
