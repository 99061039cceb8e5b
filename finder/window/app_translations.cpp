#include "finder/window/app_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

using namespace Qt::StringLiterals;

void installTranslations(QCoreApplication &app)
{
    // Embedded by the build under :/i18n (finder/window/translations).
    Q_INIT_RESOURCE(veltrin_translations);
    const QLocale locale;
    auto *const own = new QTranslator(&app);
    if (own->load(locale, u"veltrin-finder"_s, u"_"_s, u":/i18n"_s))
        QCoreApplication::installTranslator(own);
    // Qt's dialogs (the file dialog, message box buttons), from qt6-translations-l10n.
    auto *const qt = new QTranslator(&app);
    if (qt->load(locale, u"qtbase"_s, u"_"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
}
