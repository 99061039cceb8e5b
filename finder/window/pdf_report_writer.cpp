#include "finder/window/pdf_report_writer.h"

#include "finder/window/app_translations.h"
#include "finder/window/site_report_pdf.h"

#include <QGuiApplication>

std::unique_ptr<QCoreApplication> PdfReportWriter::application(int &argc, char **argv) const
{
    // Fonts come from fontconfig; nothing is shown, wherever the finder runs.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    auto app = std::make_unique<QGuiApplication>(argc, argv);
    installTranslations(*app);
    return app;
}

QString PdfReportWriter::write(const SiteReport &report, const QString &path) const
{
    return SiteReportPdf::write(report, path);
}
