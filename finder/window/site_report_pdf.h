#pragma once

#include <QPageSize>
#include <QString>

class QLocale;
class SiteReport;

// The hand-over report as a PDF, with Qt's own writer: no printer, no
// QtPrintSupport. Its text goes in as plain text, never as markup; tables
// break across pages with their header repeated. Needs a QGuiApplication
// (fonts), not a display.
namespace SiteReportPdf {

// Letter where people print on it, A4 elsewhere.
QPageSize::PageSizeId pageSize(const QLocale &locale);

// Writes the whole file or nothing. Returns why it failed, or an empty string.
QString write(const SiteReport &report, const QString &path);

} // namespace SiteReportPdf
