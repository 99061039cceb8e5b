#include "finder/window/app_translations.h"
#include "finder/core/command_line.h"
#include "finder/window/main_window.h"
#include "finder/window/pdf_report_writer.h"
#include "finder/cli/run_without_window.h"

#include <QApplication>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    const QString programName = u"veltrin-finder"_s;
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine commandLine = parseCommandLine(arguments);
    if (commandLine.action != CommandLine::Action::Window) {
        const PdfReportWriter reportWriter;
        return runWithoutWindow(argc, argv, programName, commandLine, &reportWriter);
    }

    QApplication app(argc, argv);
    setApplicationIdentity(programName);
    QGuiApplication::setDesktopFileName(u"io.veltrin.Finder"_s);
    installTranslations(app);

    MainWindow window;   // its start-up broadcasts the first request
    window.show();
    return QApplication::exec();
}
