#include "devicelist/device_listing.h"

#include "devicelist/device_export.h"
#include "devicelist/device_table.h"
#include "devicelist/header_format.h"
#include "devicelist/json_string.h"
#include "devicelist/visible_text.h"

using namespace Qt::StringLiterals;

namespace DeviceListing {
namespace {

QList<qsizetype> columnWidths()
{
    QList<qsizetype> widths;
    for (const HeaderSegment &segment : headerSegments(DeviceTable::HeaderFormat))
        widths << segment.text.size();
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

QByteArray json(const QList<DeviceRecord> &devices, const QStringList &statuses, const QStringList &matched)
{
    if (devices.isEmpty())
        return "[]\n";
    QString text = u"[\n"_s;
    for (qsizetype r = 0; r < devices.size(); ++r) {
        const DeviceRecord &device = devices[r];
        text += u"  {"_s;
        for (int f = 0; f < DeviceRecord::FieldCount; ++f) {
            if (f > 0)
                text += u", "_s;
            text += jsonString(DeviceRecord::fieldKey(DeviceRecord::Field(f))) + u": "_s + jsonString(device.fields[f]);
        }
        const ReplyOrigin &origin = device.origin;
        text += u", \"interface\": "_s
                + (origin.interfaceName.isEmpty() ? u"null"_s : jsonString(origin.interfaceName));
        text += u", \"time\": "_s
                + (origin.time.isValid() ? jsonString(origin.time.toUTC().toString(Qt::ISODateWithMs)) : u"null"_s);
        if (origin.otherSubnet)
            text += u", \"reachable\": false"_s;
        if (r < statuses.size())
            text += u", \"status\": "_s + jsonString(statuses[r]);
        if (const QString note = matched.value(r); !note.isEmpty())
            text += u", \"matched\": "_s + jsonString(note);
        text += r + 1 < devices.size() ? u"},\n"_s : u"}\n"_s;
    }
    return (text + u"]\n"_s).toUtf8();
}

} // namespace DeviceListing
