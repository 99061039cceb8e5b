#include "devicelist/site_rows.h"

#include "devicelist/device_export.h"
#include "devicelist/device_table.h"

#include <QCoreApplication>
#include <QLocale>

#include <utility>

using namespace Qt::StringLiterals;

QString SiteRow::keyword(Status status)
{
    static_assert(int(Status::Differs) == int(SitePlan::Status::Differs), "the plan's statuses come first");
    switch (status) {
    case Status::Gone: return DeviceRoster::eventName(DeviceRoster::Event::Gone);
    case Status::Back: return DeviceRoster::eventName(DeviceRoster::Event::Back);
    default: return SitePlan::statusName(SitePlan::Status(int(status)));
    }
}

QStringList SiteRow::differenceKeys(quint8 differences)
{
    QStringList keys;
    if (differences & SitePlan::IpDiffers)
        keys << DeviceRecord::fieldKey(DeviceRecord::Ip);
    if (differences & SitePlan::VersionDiffers)
        keys << DeviceRecord::fieldKey(DeviceRecord::Version);
    return keys;
}

namespace SiteRows {

QString stationKey(qsizetype station)
{
    return u"plan %1"_s.arg(station);
}

SiteRow judged(const SitePlan &plan, const SiteTally::Verdict &verdict, SiteRow device)
{
    device.status = SiteRow::fromPlan(verdict.status);
    device.differences = verdict.differences;
    device.matched = verdict.notes;
    device.planned = verdict.planned;
    if (verdict.planned >= 0) {
        const SitePlan::Device &station = plan.devices()[verdict.planned];
        device.plannedName = station.name;
        device.plannedIp = station.ip;
        device.plannedVersion = station.version;
    }
    return device;
}

SiteRow missing(const SitePlan &plan, qsizetype station)
{
    const SitePlan::Device &device = plan.devices()[station];
    SiteRow row;
    row.key = stationKey(station);
    row.fields = {device.ip, device.serial, device.mac, device.version, device.name};
    return judged(plan, SiteTally::missingStation(station), row);
}

Compared compare(const SitePlan &plan, const QList<SiteRow> &devices)
{
    SiteTally tally(plan);
    QList<SiteRow> once;
    once.reserve(devices.size());
    for (const SiteRow &device : devices) {
        if (!device.gone) {
            if (tally.contains(device.fields))
                continue;
            tally.add(device.fields);
        }
        once << device;
    }
    return arrange(tally, std::move(once));
}

Compared arrange(const SiteTally &tally, QList<SiteRow> devices)
{
    const SitePlan &plan = tally.plan();
    // Which device each station shows, and how each device is laid out;
    // rows are made once, at the end.
    enum Place : quint8 { Station, Other, GoneStation, GoneOther };
    QList<qsizetype> shownBy(plan.devices().size(), -1);
    QList<Place> places(devices.size(), Other);
    QList<SiteTally::Verdict> verdicts(devices.size());
    for (qsizetype d = 0; d < devices.size(); ++d) {
        if (devices[d].gone)
            continue;
        verdicts[d] = tally.verdictOf(devices[d].fields).value_or(SiteTally::Verdict{SitePlan::Status::Unexpected, -1, 0, {}});
        if (verdicts[d].planned >= 0) {
            shownBy[verdicts[d].planned] = d;
            places[d] = Station;
        }
    }
    for (qsizetype d = 0; d < devices.size(); ++d) {
        if (!devices[d].gone)
            continue;
        const qsizetype p = plan.classify(devices[d].fields).planned;
        const bool station = p >= 0 && shownBy[p] < 0;
        if (station)
            shownBy[p] = d;
        places[d] = station ? GoneStation : GoneOther;
    }
    Compared compared;
    compared.rows.reserve(plan.devices().size() + devices.size());
    for (qsizetype p = 0; p < shownBy.size(); ++p) {
        const qsizetype d = shownBy[p];
        if (d >= 0 && places[d] == Station) {
            compared.rows << judged(plan, verdicts[d], std::move(devices[d]));
            continue;
        }
        SiteRow row = missing(plan, p);
        if (d >= 0) {
            row.gone = true;
            row.lastSeenMs = devices[d].lastSeenMs;
            row.goneCount = devices[d].goneCount;
        }
        compared.rows << std::move(row);
    }
    for (qsizetype d = 0; d < devices.size(); ++d) {
        if (places[d] == Other)
            compared.rows << judged(plan, verdicts[d], std::move(devices[d]));
        else if (places[d] == GoneOther)
            compared.rows << std::move(devices[d]);
    }
    compared.summary = tally.summary();
    return compared;
}

QList<SiteRow> watched(const DeviceRoster &roster)
{
    QList<SiteRow> rows;
    rows.reserve(roster.size());
    for (qsizetype i = 0; i < roster.size(); ++i) {
        const DeviceRoster::Entry &entry = roster.entry(i);
        SiteRow row = ofDevice(i + 1, entry.values);
        row.gone = entry.gone;
        row.isNew = roster.isNew(i);
        // Only a gone device shows it; the others' rows stay as they were
        // while they answer round after round.
        row.lastSeenMs = entry.gone ? entry.lastSeenMs : 0;
        row.goneCount = entry.goneCount;
        row.awayMs = entry.awayMs;
        row.previous = entry.previous;
        row.changedFields = entry.gone ? 0 : entry.changedFields;
        for (int f = 0; f < DeviceRecord::FieldCount; ++f) {
            if (!entry.gone && !entry.previous[f].isEmpty())
                row.changedFields |= quint8(1u << f);
        }
        row.status = entry.gone ? SiteRow::Status::Gone
                                : (entry.goneCount > 0 ? SiteRow::Status::Back : SiteRow::Status::Answered);
        rows << std::move(row);
    }
    return rows;
}

SiteRow ofDevice(qsizetype number, const DeviceRecord::Fields &fields)
{
    SiteRow row;
    row.key = DeviceRoster::key(fields);
    row.number = number;
    row.fields = fields;
    return row;
}

QString fieldLabel(DeviceRecord::Field field)
{
    switch (field) {
    case DeviceRecord::Ip: return QCoreApplication::translate("SiteRows", "IP");
    case DeviceRecord::Serial: return QCoreApplication::translate("SiteRows", "serial");
    case DeviceRecord::Mac: return QCoreApplication::translate("SiteRows", "MAC");
    case DeviceRecord::Version: return QCoreApplication::translate("SiteRows", "version");
    case DeviceRecord::Description: return QCoreApplication::translate("SiteRows", "description");
    case DeviceRecord::FieldCount: break;
    }
    return {};
}

QString differencesText(quint8 differences)
{
    QStringList fields;
    if (differences & SitePlan::IpDiffers)
        fields << fieldLabel(DeviceRecord::Ip);
    if (differences & SitePlan::VersionDiffers)
        fields << fieldLabel(DeviceRecord::Version);
    return fields.join(u", "_s);
}

QString plannedIpLabel()
{
    return QCoreApplication::translate("SiteRows", "Planned IP");
}

QString plannedVersionLabel()
{
    return QCoreApplication::translate("SiteRows", "Planned version");
}

QStringList exportHeader()
{
    return DeviceExport::headerLabels() << u"Status"_s << u"Differs"_s << u"Planned IP"_s << u"Planned version"_s;
}

QStringList exportCells(const SiteRow &row, bool shown)
{
    const QLocale locale;
    QStringList cells{row.number > 0 ? QString::number(row.number) : QString()};
    for (int f = 0; f < DeviceRecord::FieldCount; ++f) {
        const QString &value = row.fields[f];
        cells << (shown ? DeviceTable::shownCell(DeviceTable::columnOf(DeviceRecord::Field(f)), value, locale) : value);
    }
    return cells << SiteRow::keyword(row.status) << SiteRow::differenceKeys(row.differences).join(u',')
                 << row.plannedIp << row.plannedVersion;
}

} // namespace SiteRows
