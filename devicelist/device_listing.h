#pragma once

#include "devicelist/device_record.h"
#include "devicelist/site_row.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// The device list on a terminal or in a pipe: an aligned text table and a
// JSON array, each as UTF-8. Rows hold the table's six cells as the table
// shows them; CSV comes from DeviceExport, as the window's save writes it.
namespace DeviceListing {

// Text table: the header's labels, then one line per row, each column as
// wide as its header segment and one space between columns; a comparison's
// columns follow, as wide as their widest keyword or value. Device text
// goes through visibleText(), as in the window. A description too long for
// its column is cut with an ellipsis where columns follow it, so they stay
// in line.
QByteArray textHeader();
QByteArray textLine(const QStringList &row);
// The text table's IP cell of a device in another subnet of the interface
// its reply came in on, which this computer cannot reach: the address, then
// the mark.
inline constexpr QStringView OtherSubnetMark = u" !";
QString withOtherSubnetMark(const QString &ipCell);

// [ {"ip": ..., "serial": ..., "mac": ..., "version": ..., "description": ...,
//     "interface": ..., "time": ...}, ... ]
// one object per device and line: its fields, the interface and time of its
// reply (ISO 8601, UTC), null where unknown, and "reachable": false for a
// device in another subnet; then, where compared[r] is given, "status" (its
// keyword), "differs": ["ip", "version"] for a device that differs, and
// "planned": {"ip": ..., "version": ...} for a planned station, null where
// the plan has no value; and "matched" where the match with the plan
// forgave something.
QByteArray json(const QList<DeviceRecord> &devices, const QList<SiteRow> &compared = {});

} // namespace DeviceListing
