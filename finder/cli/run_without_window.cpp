#include "finder/cli/run_without_window.h"

#include "finder/core/command_line.h"
#include "finder/cli/list_mode.h"
#include "finder/cli/descriptor_writer.h"
#include "finder/core/exit_status.h"
#include "finder/cli/report_writer.h"
#include "finder/cli/watch_mode.h"

#include <QCoreApplication>

#include <unistd.h>

#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

void print(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

void setApplicationIdentity(const QString &programName)
{
    QCoreApplication::setApplicationName(programName);
    QCoreApplication::setApplicationVersion(u"1.0"_s);
    QCoreApplication::setOrganizationName(u"veltrin"_s);
}

int runWithoutWindow(int argc, char *argv[], const QString &programName, const CommandLine &commandLine,
                     const ReportWriter *reportWriter)
{
    const bool reporting = commandLine.action == CommandLine::Action::List && !commandLine.reportPath.isEmpty();
    if (reporting && !reportWriter) {
        print(stderr, u"%1: --report needs the desktop package: veltrin-finder writes the report, this program "
                      u"draws nothing\n"_s.arg(programName));
        return ExitStatus::Failed;
    }
    // Checked before anything opens a descriptor: a socket or the event
    // loop's own would take the free number and the listing would go there.
    const bool toStandardOutput = commandLine.action == CommandLine::Action::Watch
            || (commandLine.action == CommandLine::Action::List && commandLine.outputPath.isEmpty());
    if (toStandardOutput) {
        if (const QString failure = DescriptorWriter::closedFailure(STDOUT_FILENO); !failure.isEmpty()) {
            print(stderr, u"%1: %2\n"_s.arg(programName, failure));
            return ExitStatus::WriteFailed;
        }
    }
    const std::unique_ptr<QCoreApplication> app = reporting ? reportWriter->application(argc, argv)
                                                            : std::make_unique<QCoreApplication>(argc, argv);
    setApplicationIdentity(programName);
    switch (commandLine.action) {
    case CommandLine::Action::Help:
        print(stdout, commandLineHelp());
        return ExitStatus::Printed;
    case CommandLine::Action::Version:
        print(stdout, u"%1 %2\n"_s.arg(QCoreApplication::applicationName(), QCoreApplication::applicationVersion()));
        return ExitStatus::Printed;
    case CommandLine::Action::Error:
        print(stderr, u"%1: %2\n\n%3"_s.arg(QCoreApplication::applicationName(), commandLine.error,
                                             commandLineHelp()));
        return ExitStatus::Failed;
    case CommandLine::Action::Watch: {
        WatchMode watchMode(commandLine);
        return watchMode.exec();
    }
    case CommandLine::Action::List:
    case CommandLine::Action::Window:
        break;
    }
    ListMode listMode(commandLine, DiscoveryEndpoint::Settings{}, reportWriter);
    return listMode.exec();
}
