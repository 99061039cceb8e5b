#pragma once

#include <QString>

class ReportWriter;
struct CommandLine;

// The program's name and version for messages and --version, and the
// organisation Qt files settings under.
void setApplicationIdentity(const QString &programName);

// --help, --version, a command-line error, --list or --watch: everything but the
// window, under a QCoreApplication, so no display and no GUI library is
// needed. A --report is written by reportWriter, under its application
// object; without one, --report is refused. Returns the exit status.
int runWithoutWindow(int argc, char *argv[], const QString &programName, const CommandLine &commandLine,
                     const ReportWriter *reportWriter = nullptr);
