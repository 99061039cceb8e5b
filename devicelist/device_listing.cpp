#include "devicelist/device_listing.h"

#include "devicelist/device_export.h"
#include "devicelist/device_table.h"
#include "devicelist/visible_text.h"

#include <array>

using namespace Qt::StringLiterals;

namespace DeviceListing {
namespace {

// Widths of the header format's segments, without the "<" marks.
QList<qsizetype> columnWidths()
{
    QList<qsizetype> widths;
    for (const QString &segment : DeviceTable::HeaderFormat.split(u'|'))
        widths << segment.size() - (segment.startsWith(u'<') ? 1 : 0);
    return widths;
}

QByteArray alignedLine(const QStringList &cells)
{
    const QList<qsizetype> widths = columnWidths();
    QString line;
    for (qsizetype c = 0; c < cells.size(); ++c) {
        if (c > 0)
            line += u' ';
        line += cells[c];
        if (c + 1 < cells.size())
            line += QString(std::max<qsizetype>(0, widths.value(c) - cells[c].size()), u' ');
    }
    while (line.endsWith(u' '))
        line.chop(1);
    return (line + u'\n').toUtf8();
}

QString jsonEscape(char32_t code)
{
    const auto unit = [](char16_t u) { return u"\\u%1"_s.arg(uint(u), 4, 16, QChar(u'0')); };
    if (QChar::requiresSurrogates(code))
        return unit(QChar::highSurrogate(code)) + unit(QChar::lowSurrogate(code));
    return unit(char16_t(code));
}

// The value stays exact for programs that read it; whatever the table would
// show as an escape (controls, DEL, C1, bidi and other format characters,
// line separators) is written as a \u escape, so no such character reaches a
// terminal either.
QString jsonString(const QString &value)
{
    QString quoted = value;
    quoted.replace(u'\\', u"\\\\"_s).replace(u'"', u"\\\""_s);
    return u'"' + withEscapes(quoted, jsonEscape) + u'"';
}

} // namespace

QByteArray textHeader()
{
    return alignedLine(DeviceExport::headerLabels());
}

QString withOtherSubnetMark(const QString &ipCell)
{
    return ipCell + OtherSubnetMark.toString();
}

QByteArray textLine(const QStringList &row)
{
    // As the window draws it: one line, with every control, bidi and
    // invisible character escaped, so a reply can neither drive the
    // terminal nor disguise a value.
    QStringList shown;
    for (const QString &cell : row)
        shown << visibleText(cell);
    return alignedLine(shown);
}

QByteArray json(const QList<QStringList> &rows, const QList<DeviceTable::ReplyOrigin> &origins)
{
    static constexpr std::array<QStringView, 6> keys{u"ip", u"serial", u"mac", u"version", u"description",
                                                     u"status"};
    if (rows.isEmpty())
        return "[]\n";
    QString text = u"[\n"_s;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        text += u"  {"_s;
        // Column 0 is the row number, which the array's order already gives.
        // A status follows the six cells only where a plan was compared.
        const qsizetype count = rows[r].size() > DeviceTable::ColumnCount ? qsizetype(keys.size()) : 5;
        for (qsizetype k = 0; k < count; ++k) {
            if (k > 0)
                text += u", "_s;
            text += jsonString(keys[k].toString()) + u": "_s
                    + jsonString(DeviceExport::withoutTrailingLineBreaks(rows[r].value(k + 1)));
            if (k == 4) {
                const DeviceTable::ReplyOrigin origin = origins.value(r);
                text += u", \"interface\": "_s
                        + (origin.interfaceName.isEmpty() ? u"null"_s : jsonString(origin.interfaceName));
                text += u", \"time\": "_s
                        + (origin.time.isValid() ? jsonString(origin.time.toUTC().toString(Qt::ISODateWithMs))
                                                 : u"null"_s);
                if (origin.otherSubnet)
                    text += u", \"reachable\": false"_s;
            }
        }
        // A match that forgave a spreadsheet's habit says which.
        if (const QString note = rows[r].value(DeviceTable::ColumnCount + 1); !note.isEmpty())
            text += u", \"matched\": "_s + jsonString(note);
        text += r + 1 < rows.size() ? u"},\n"_s : u"}\n"_s;
    }
    return (text + u"]\n"_s).toUtf8();
}

} // namespace DeviceListing
