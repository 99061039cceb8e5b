#include "app_translations.h"
#include "main_window.h"

#include <QApplication>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"veltrin-finder"_s);
    QApplication::setApplicationVersion(u"1.0"_s);
    QGuiApplication::setDesktopFileName(u"io.veltrin.Finder"_s);
    installTranslations(app);

    MainWindow window;   // its start-up broadcasts the first request
    window.show();
    return QApplication::exec();
}
