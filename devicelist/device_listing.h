#pragma once

#include "devicelist/device_record.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// The device list on a terminal or in a pipe: an aligned text table and a
// JSON array, each as UTF-8. Rows hold the table's six cells as the table
// shows them; CSV comes from DeviceExport, as the window's save writes it.
namespace DeviceListing {

// Text table: the header's labels, then one line per row, each column as
// wide as its header segment and one space between columns. Device text
// goes through visibleText(), as in the window.
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
// device in another subnet; then "status": statuses[r] where given, and
// "matched": matched[r] where given and not empty (what the match with the
// plan forgave).
QByteArray json(const QList<DeviceRecord> &devices, const QStringList &statuses = {},
                const QStringList &matched = {});

} // namespace DeviceListing
