#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The device list as text that leaves the finder: the clipboard's tab-separated
// lines and CSV files. Rows hold the table's six cells; device text is
// untrusted, so every cell is written as the table draws it (visibleText():
// no control, format or line-break character, each shown as an escape such
// as <U+001B>), and nothing lets it change the shape of the output or run as
// a spreadsheet formula.
namespace DeviceExport {

// The header texts without their padding: "#", "IP Address", ...
QStringList headerLabels();

// A cell without the line breaks that end it (values keep the one that
// followed them in the reply).
QString withoutTrailingLineBreaks(const QString &cell);

// One line per row, cells joined by tabs; a tab or line break inside a cell
// is an escape, so every row stays one line.
QString toTabSeparated(const QList<QStringList> &rows, bool withHeader);

// RFC 4180: CRLF line ends, fields with a comma, quote or line break quoted,
// quotes doubled; UTF-8 without a byte order mark. A field a spreadsheet
// would read as a formula gets a leading apostrophe and is quoted.
QByteArray toCsv(const QList<QStringList> &rows, bool withHeader);
// One field of a value that is already escaped; exposed for its tests.
QString csvField(const QString &value);
// What spreadsheets take as the start of a formula (and tab and CR, which
// some strip before looking): such a field gets the apostrophe, which
// CsvReader takes off again.
bool isFormulaStart(QChar first);

} // namespace DeviceExport
