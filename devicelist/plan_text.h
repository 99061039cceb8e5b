#pragma once

#include <QByteArray>
#include <QString>

// The text of a plan file as spreadsheets and editors save it: UTF-8 with
// or without a byte order mark, UTF-16 with one (Excel's "Unicode Text").
// Anything else gets a message that says how to save it instead.
namespace PlanText {

struct Decoded
{
    QString text;
    QString error;   // set when the bytes are not such a text
};
Decoded decode(const QByteArray &bytes);

// A spreadsheet's own format (.xlsx, .xls, .ods) by its name.
bool hasSpreadsheetName(const QString &path);
// What to do with a spreadsheet file: save it as CSV.
QString spreadsheetAdvice();

} // namespace PlanText
