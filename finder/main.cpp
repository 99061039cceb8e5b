#include "app_translations.h"
#include "command_line.h"
#include "list_mode.h"
#include "list_output.h"
#include "main_window.h"
#include "watch_mode.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

void setApplicationIdentity()
{
    QCoreApplication::setApplicationName(u"veltrin-finder"_s);
    QCoreApplication::setApplicationVersion(u"1.0"_s);
    QCoreApplication::setOrganizationName(u"veltrin"_s);
}

void print(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// Everything but the window: no GUI application, so no display and no
// platform plugin is needed.
int runWithoutWindow(int argc, char *argv[], const CommandLine &commandLine)
{
    QCoreApplication app(argc, argv);
    setApplicationIdentity();
    switch (commandLine.action) {
    case CommandLine::Action::Help:
        print(stdout, commandLineHelp());
        return 0;
    case CommandLine::Action::Version:
        print(stdout, u"%1 %2\n"_s.arg(QCoreApplication::applicationName(), QCoreApplication::applicationVersion()));
        return 0;
    case CommandLine::Action::Error:
        print(stderr, u"%1: %2\n\n%3"_s.arg(QCoreApplication::applicationName(), commandLine.error,
                                             commandLineHelp()));
        return ListMode::Failed;
    case CommandLine::Action::Watch: {
        WatchMode watchMode(commandLine);
        return watchMode.exec();
    }
    case CommandLine::Action::List:
    case CommandLine::Action::Window:
        break;
    }
    ListMode listMode(commandLine);
    return listMode.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine commandLine = parseCommandLine(arguments);
    // Checked before anything opens a descriptor: a socket or the event
    // loop's own would take the free number and the listing would go there.
    if (commandLine.action == CommandLine::Action::List) {
        if (const QString failure = ListOutput::closedFailure(STDOUT_FILENO); !failure.isEmpty()) {
            print(stderr, u"veltrin-finder: %1\n"_s.arg(failure));
            return ListMode::WriteFailed;
        }
    }
    if (commandLine.action != CommandLine::Action::Window)
        return runWithoutWindow(argc, argv, commandLine);

    QApplication app(argc, argv);
    setApplicationIdentity();
    QGuiApplication::setDesktopFileName(u"io.veltrin.Finder"_s);
    installTranslations(app);

    MainWindow window;   // its start-up broadcasts the first request
    window.show();
    return QApplication::exec();
}
