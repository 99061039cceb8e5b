#include "devicelist/device_listing.h"

#include "devicelist/device_export.h"
#include "devicelist/device_table.h"
#include "devicelist/header_format.h"
#include "devicelist/json_string.h"
#include "devicelist/packed_row.h"
#include "devicelist/visible_text.h"

using namespace Qt::StringLiterals;

namespace DeviceListing {
namespace {

// Widths of the header format's segments, then of a comparison's columns
// (SiteRows::exportHeader()). The same for every line: worked out once.
const QList<qsizetype> &columnWidths()
{
    static const QList<qsizetype> widths = [] {
        QList<qsizetype> segments;
        for (const HeaderSegment &segment : headerSegments(DeviceTable::HeaderFormat))
            segments << segment.text.size();
        qsizetype status = 0;
        for (int s = 0; s < SiteRow::StatusCount; ++s)
            status = std::max(status, SiteRow::keyword(SiteRow::Status(s)).size() + 1);
        const qsizetype differs =
                SiteRow::differenceKeys(SitePlan::IpDiffers | SitePlan::VersionDiffers).join(u',').size() + 1;
        return segments << status << differs << segments[DeviceTable::IpColumn]
                        << segments[DeviceTable::VersionColumn];
    }();
    return widths;
}

QByteArray alignedLine(const QStringList &cells)
{
    const QList<qsizetype> &widths = columnWidths();
    QString line;
    for (qsizetype c = 0; c < cells.size(); ++c) {
        if (c > 0)
            line += u' ';
        const qsizetype width = widths.value(c);
        // A description, whatever it holds, keeps the columns after it in
        // line; an identifier is never cut, however it was disguised.
        if (c != DeviceTable::DescriptionColumn || c + 1 == cells.size() || cells[c].size() <= width) {
            line += cells[c];
            if (c + 1 < cells.size())
                line += QString(std::max<qsizetype>(0, width - cells[c].size()), u' ');
            continue;
        }
        const QStringView kept = leadingPart(cells[c], width - 1);
        line += kept;
        line += PackedRow::Ellipsis;
        line += QString(width - kept.size() - 1, u' ');
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

namespace {

QString jsonOrNull(const QString &value)
{
    return value.isEmpty() ? u"null"_s : jsonString(value);
}

// A comparison's fields of one device or station.
QString comparedJson(const SiteRow &row)
{
    QString text = u", \"status\": "_s + jsonString(SiteRow::keyword(row.status));
    if (row.differences) {
        QStringList keys;
        for (const QString &key : SiteRow::differenceKeys(row.differences))
            keys << jsonString(key);
        text += u", \"differs\": ["_s + keys.join(u", "_s) + u']';
    }
    if (row.planned >= 0) {
        text += u", \"planned\": {\"ip\": "_s + jsonOrNull(row.plannedIp) + u", \"version\": "_s
                + jsonOrNull(row.plannedVersion) + u'}';
    }
    if (row.matched)
        text += u", \"matched\": "_s + jsonString(SitePlan::matchNoteText(row.matched));
    return text;
}

} // namespace

QByteArray json(const QList<DeviceRecord> &devices, const QList<SiteRow> &compared)
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
        if (r < compared.size())
            text += comparedJson(compared[r]);
        text += r + 1 < devices.size() ? u"},\n"_s : u"}\n"_s;
    }
    return (text + u"]\n"_s).toUtf8();
}

} // namespace DeviceListing
