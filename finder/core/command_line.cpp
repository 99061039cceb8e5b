#include "finder/core/command_line.h"

#include "finder/core/device_watch.h"
#include "finder/core/exit_status.h"
#include "discovery/target_sweep.h"

#include <QCommandLineParser>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Long enough for a slow link; a longer wait is a mistake, not a choice.
constexpr double MaxWaitSeconds = 3600;

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
                                           u"status; --list exits with %1 when a planned device is missing."_s.arg(ExitStatus::Missing),
                              u"FILE"_s};
    QCommandLineOption expectColumns{u"expect-columns"_s, u"With --expect: the plan's columns, where its header "
                                                          u"names them in words the finder does not know, as "
                                                          u"FIELD=HEADER pairs; the fields are mac, serial, ip, "
                                                          u"version and name (mac=Hardware,name=Wohnung)."_s,
                                     u"COLUMNS"_s};
    QCommandLineOption report{u"report"_s, u"With --list and --expect: also write the hand-over report, a PDF of "
                                           u"the site against its plan, to FILE. Needs the desktop package."_s,
                              u"FILE"_s};
    QCommandLineOption verbose{u"verbose"_s, u"With --list or --watch: also say on standard error which columns of "
                                             u"the --expect plan were used."_s};

    void addTo(QCommandLineParser &parser) const
    {
        parser.setApplicationDescription(u"Finds the IP door phones on the local network."_s);
        parser.addOption(help);
        parser.addVersionOption();
        parser.addOptions({list, wait, json, csv, prometheus, target, rate, interface, output, watch, interval,
                           goneAfter, expect, expectColumns, report, verbose});
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

// Qt's own options for the window (QGuiApplication's and QApplication's),
// taken with their values: "-style fusion", "-style=fusion", "--style fusion".
struct ToolkitOption
{
    QLatin1StringView name;
    bool takesValue;
};
constexpr ToolkitOption ToolkitOptions[] = {
    {"platform"_L1, true}, {"platformpluginpath"_L1, true}, {"platformtheme"_L1, true}, {"plugin"_L1, true},
    {"qmljsdebugger"_L1, true}, {"qwindowgeometry"_L1, true}, {"geometry"_L1, true}, {"qwindowicon"_L1, true},
    {"icon"_L1, true}, {"qwindowtitle"_L1, true}, {"title"_L1, true}, {"style"_L1, true},
    {"stylesheet"_L1, true}, {"session"_L1, true}, {"display"_L1, true}, {"name"_L1, true},
    {"reverse"_L1, false}, {"widgetcount"_L1, false}, {"nograb"_L1, false}, {"dograb"_L1, false},
    {"sync"_L1, false}, {"visual"_L1, true}, {"testability"_L1, false},
};

// arguments without Qt's options, which QApplication takes itself; the
// first of them is put in toolkitOption.
QStringList withoutToolkitOptions(const QStringList &arguments, QString *toolkitOption)
{
    QStringList rest;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        const QStringView dashed = argument.startsWith(u"--"_s) ? QStringView(argument).sliced(1) : QStringView(argument);
        const QStringView tail = dashed.sliced(std::min<qsizetype>(1, dashed.size()));
        const QStringView name = tail.left(tail.indexOf(u'='));
        const auto option = std::find_if(std::begin(ToolkitOptions), std::end(ToolkitOptions),
                                         [name](const ToolkitOption &o) { return name == o.name; });
        if (i == 0 || !dashed.startsWith(u'-') || option == std::end(ToolkitOptions)) {
            rest << argument;
            continue;
        }
        if (toolkitOption->isEmpty())
            *toolkitOption = u'-' + name.toString();
        if (option->takesValue && !dashed.contains(u'='))
            ++i;
    }
    return rest;
}

CommandLine failure(const QString &error)
{
    CommandLine line;
    line.action = CommandLine::Action::Error;
    line.error = error;
    return line;
}

// What a number option takes: "--wait needs a number of seconds from 0 to 3600".
struct NumberRange
{
    double min;
    double max;
    bool whole;
    QStringView what;
};

// The option's number into value when it is set; the error, if any.
QString readNumber(const QCommandLineParser &parser, const QCommandLineOption &option, const NumberRange &range,
                   double &value)
{
    if (!parser.isSet(option))
        return {};
    const QString text = parser.value(option);
    const std::optional<double> number = parseNumber(text, range.min, range.max);
    if (!number || (range.whole && *number != std::floor(*number))) {
        return u"--%1 needs %2 from %3 to %4, got \"%5\""_s.arg(
                option.names().constFirst(), range.what.toString(), QString::number(range.min, 'f', 0),
                QString::number(range.max, 'f', 0), text.left(64));
    }
    value = *number;
    return {};
}

// Each step reads its options into the line, or says what is wrong.
using Step = QString (*)(const QCommandLineParser &parser, const Options &options, CommandLine &line);

// Options given without the mode they belong to.
QString checkModes(const QCommandLineParser &parser, const Options &options, CommandLine &)
{
    const bool watching = parser.isSet(options.watch);
    if (watching && parser.isSet(options.list))
        return u"--list and --watch cannot be used together"_s;
    if (!parser.isSet(options.list)) {
        for (const QCommandLineOption *listOnly : {&options.wait, &options.json, &options.csv, &options.prometheus,
                                                   &options.target, &options.rate, &options.interface,
                                                   &options.output, &options.expect, &options.expectColumns,
                                                   &options.report, &options.verbose}) {
            const bool alsoWatch = listOnly == &options.interface || listOnly == &options.expect
                    || listOnly == &options.expectColumns || listOnly == &options.verbose;
            if (parser.isSet(*listOnly) && !(watching && alsoWatch)) {
                return u"--%1 works only with --list%2"_s.arg(listOnly->names().constFirst(),
                                                             alsoWatch ? u" or --watch"_s : QString());
            }
        }
    }
    for (const QCommandLineOption *watchOnly : {&options.interval, &options.goneAfter}) {
        if (parser.isSet(*watchOnly) && !watching)
            return u"--%1 works only with --watch"_s.arg(watchOnly->names().constFirst());
    }
    return {};
}

// --expect, --expect-columns and --verbose into line; the error, if any.
QString takePlanOptions(const QCommandLineParser &parser, const Options &options, CommandLine &line)
{
    line.expectFile = parser.value(options.expect);
    if (parser.isSet(options.expect) && line.expectFile.isEmpty())
        return u"--expect needs a file name"_s;
    if (parser.isSet(options.expectColumns)) {
        if (!parser.isSet(options.expect))
            return u"--expect-columns works only with --expect"_s;
        QString error;
        line.expectColumns = PlanColumns::Choice::fromText(parser.value(options.expectColumns), &error);
        if (!error.isEmpty())
            return u"--expect-columns: "_s + error;
    }
    line.verbose = parser.isSet(options.verbose);
    return {};
}

QString readWatch(const QCommandLineParser &parser, const Options &options, CommandLine &line)
{
    if (!parser.isSet(options.watch))
        return {};
    line.action = CommandLine::Action::Watch;
    double interval = line.intervalSeconds;
    double goneAfter = line.goneAfter;
    QString error = readNumber(parser, options.interval, {DeviceWatch::MinIntervalSeconds,
                               DeviceWatch::MaxIntervalSeconds, true, u"a whole number of seconds"}, interval);
    if (error.isEmpty())
        error = readNumber(parser, options.goneAfter, {1, DeviceRoster::MaxGoneAfter, true, u"a whole number of rounds"}, goneAfter);
    line.intervalSeconds = static_cast<int>(interval);
    line.goneAfter = static_cast<int>(goneAfter);
    return error;
}

// Commas separate names as they separate targets.
QString readInterfaces(const QCommandLineParser &parser, const Options &options, CommandLine &line)
{
    for (const QString &value : parser.values(options.interface)) {
        const QStringList names = value.split(u',', Qt::SkipEmptyParts);
        for (const QString &name : names) {
            if (!name.trimmed().isEmpty())
                line.interfaceNames << name.trimmed();
        }
        if (names.isEmpty() || line.interfaceNames.isEmpty())
            return u"--interface needs an interface name"_s;
    }
    return {};
}

QString readOutputs(const QCommandLineParser &parser, const Options &options, CommandLine &line)
{
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
        return u"%1 cannot be used together"_s.arg(formats.join(u" and "_s));
    if (parser.isSet(options.output)) {
        line.outputPath = parser.value(options.output);
        if (line.outputPath.isEmpty())
            return u"--output needs a file name"_s;
    }
    if (parser.isSet(options.report)) {
        line.reportPath = parser.value(options.report);
        if (line.reportPath.isEmpty())
            return u"--report needs a file name"_s;
        if (line.expectFile.isEmpty())
            return u"--report works only with --expect: the report compares the site with its plan"_s;
    }
    return {};
}

QString readList(const QCommandLineParser &parser, const Options &options, CommandLine &line)
{
    line.action = CommandLine::Action::List;
    if (QString error = readOutputs(parser, options, line); !error.isEmpty())
        return error;
    QString error = readNumber(parser, options.wait, {0, MaxWaitSeconds, false, u"a number of seconds"},
                               line.waitSeconds);
    // Below one request a second a sweep would outlast any wait.
    if (error.isEmpty()) {
        error = readNumber(parser, options.rate, {1, TargetSweep::MaxRate, false,
                           u"a number of requests per second"}, line.ratePerSecond);
    }
    if (error.isEmpty() && parser.isSet(options.target)) {
        line.targets = parseTargetAddresses(parser.values(options.target));
        if (!line.targets.error.isEmpty())
            error = u"--target: "_s + line.targets.error;
    }
    return error;
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    const Options options;
    options.addTo(parser);
    QString toolkitOption;
    if (!parser.parse(withoutToolkitOptions(arguments, &toolkitOption)))
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
    // Qt's own options are the window's alone.
    if (!toolkitOption.isEmpty() && (parser.isSet(options.watch) || parser.isSet(options.list)))
        return failure(u"%1 works only with the window"_s.arg(toolkitOption));
    for (const Step step : {checkModes, takePlanOptions, readWatch, readInterfaces}) {
        if (const QString error = step(parser, options, line); !error.isEmpty())
            return failure(error);
    }
    if (!parser.isSet(options.list))
        return line;
    if (const QString error = readList(parser, options, line); !error.isEmpty())
        return failure(error);
    return line;
}

QString commandLineHelp()
{
    QCommandLineParser parser;
    Options().addTo(parser);
    return parser.helpText();
}
