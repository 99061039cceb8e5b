#include "devicelist/device_export.h"

#include "devicelist/device_table.h"
#include "devicelist/header_format.h"
#include "devicelist/visible_text.h"

using namespace Qt::StringLiterals;

namespace DeviceExport {
namespace {

// Cells as the table draws them: a terminal acts on control characters
// before the shell or a spreadsheet sees any quoting (a pasted ESC [201~
// ends a bracketed paste, ^O runs the line), so none may leave the finder.
QString joinLine(const QStringList &cells, const auto &convert, QChar separator)
{
    QString line;
    for (qsizetype c = 0; c < cells.size(); ++c) {
        if (c > 0)
            line += separator;
        line += convert(visibleText(cells[c]));
    }
    return line;
}

QString asItIs(const QString &cell)
{
    return cell;
}

} // namespace

QStringList headerLabels()
{
    QStringList labels;
    for (const HeaderSegment &segment : headerSegments(DeviceTable::HeaderFormat))
        labels << segment.text.trimmed();
    return labels;
}

QString withoutTrailingLineBreaks(const QString &cell)
{
    qsizetype end = cell.size();
    while (end > 0 && isLineBreak(cell.at(end - 1)))
        --end;
    return cell.first(end);
}

QString toTabSeparated(const QList<QStringList> &rows, bool withHeader)
{
    QString text;
    if (withHeader)
        text += joinLine(headerLabels(), asItIs, u'\t') + u'\n';
    for (const QStringList &row : rows)
        text += joinLine(row, asItIs, u'\t') + u'\n';
    return text;
}

bool isFormulaStart(QChar first)
{
    return first == u'=' || first == u'+' || first == u'-' || first == u'@' || first == u'\t' || first == u'\r';
}

QString csvField(const QString &value)
{
    const bool formula = !value.isEmpty() && isFormulaStart(value.front());
    const bool quote = formula || value.contains(u',') || value.contains(u'"') || value.contains(u'\n')
            || value.contains(u'\r');
    if (!quote)
        return value;
    QString field = value;
    field.replace(u"\""_s, u"\"\""_s);
    return u'"' + (formula ? u"'"_s : QString()) + field + u'"';
}

QByteArray toCsv(const QList<QStringList> &rows, bool withHeader)
{
    QString text;
    if (withHeader)
        text += joinLine(headerLabels(), csvField, u',') + u"\r\n"_s;
    for (const QStringList &row : rows)
        text += joinLine(row, csvField, u',') + u"\r\n"_s;
    return text.toUtf8();
}

} // namespace DeviceExport
