#pragma once

#include "finder/core/device_watch.h"
#include "devicelist/plan_columns.h"
#include "discovery/target_addresses.h"
#include "discovery/target_sweep.h"

#include <QString>
#include <QStringList>

// What the command line asks for. Parsed before any application object
// exists, so that --list and --help never need a display.
struct CommandLine
{
    enum class Action { Window, List, Watch, Help, Version, Error };
    enum class Format { Text, Json, Csv, Prometheus };

    Action action = Action::Window;
    QString error;   // for Action::Error: one line naming what is wrong

    // --list
    static constexpr double DefaultWaitSeconds = 2;
    double waitSeconds = DefaultWaitSeconds;
    Format format = Format::Text;
    TargetList targets;
    double ratePerSecond = TargetSweep::DefaultRate;
    QStringList interfaceNames;   // also --watch
    QString outputPath;   // empty: standard output
    // --list --expect: the hand-over report's PDF; empty: none
    QString reportPath;

    // --watch
    int intervalSeconds = DeviceWatch::DefaultIntervalSeconds;
    int goneAfter = DeviceRoster::DefaultGoneAfter;
    // --list or --watch: the site's plan to compare with, and its columns
    // where the plan's header does not name them as the finder knows
    QString expectFile;
    PlanColumns::Choice expectColumns;
    // --list or --watch: say on standard error what was read, such as the
    // plan's columns
    bool verbose = false;
};

// arguments as main() got them, the program's name first.
CommandLine parseCommandLine(const QStringList &arguments);

// The --help text. Needs the application object (for the program's name).
QString commandLineHelp();
