#pragma once

#include "devicelist/device_roster.h"
#include "devicelist/site_row.h"
#include "devicelist/site_tally.h"

#include <QList>
#include <QStringList>

// Site rows made from what answered: the one place that lays a comparison
// out, for the window, the listings and the report alike.
namespace SiteRows {

// The key of a planned station's row while no device answers for it.
QString stationKey(qsizetype station);
// A device as the tally judged it; device keeps its number, fields and watch marks.
SiteRow judged(const SitePlan &plan, const SiteTally::Verdict &verdict, SiteRow device);
// A planned station no device answers for: its planned values, its name as the description.
SiteRow missing(const SitePlan &plan, qsizetype station);

struct Compared
{
    QList<SiteRow> rows;
    SiteTally::Summary summary;
};
// Devices against a plan: every station in the plan's order (answered,
// differs or missing), then the devices the plan does not have, in the order
// given. A device given twice counts once. A gone device (a watch's) no
// longer answers: its station is missing, with the device's watch marks;
// gone and not planned, it keeps its place as gone.
Compared compare(const SitePlan &plan, const QList<SiteRow> &devices);
// As compare(), with devices a tally has judged already as they came and
// went (a watch's, each once): only laid out, none decided again.
Compared arrange(const SiteTally &tally, QList<SiteRow> devices);

// A watch's roster in the order devices first answered, each answered, gone,
// or back once it has come back from being gone.
QList<SiteRow> watched(const DeviceRoster &roster);
// A table's devices as rows, numbered as the table numbers them.
SiteRow ofDevice(qsizetype number, const DeviceRecord::Fields &fields);

// On screen and in the report, translated: a device field's short name
// ("IP", "serial", "MAC", "version", "description"), the fields a
// Difference set names ("IP, version"), and the planned values' column
// names.
QString fieldLabel(DeviceRecord::Field field);
QString differencesText(quint8 differences);
QString plannedIpLabel();
QString plannedVersionLabel();

// Files and the clipboard: the table's columns, then "Status", "Differs",
// "Planned IP" and "Planned version".
QStringList exportHeader();
// A row under exportHeader(). shown: as the text table and the window show
// identifiers, through their display patterns; else as received or planned.
QStringList exportCells(const SiteRow &row, bool shown);

} // namespace SiteRows
