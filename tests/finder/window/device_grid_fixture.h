#pragma once

// The device table shown in a grid the way the window shows it (sorted
// through DeviceSortProxy, with DeviceActions), filled directly: no socket,
// so rows can come from any address.

#include "finder/window/device_actions.h"
#include "finder/window/device_sort_proxy.h"
#include "finder/window/device_sorting.h"
#include "devicelist/device_table.h"

#include <QTableView>

#include <initializer_list>

struct DeviceGrid
{
    DeviceGrid()
    {
        table.setLocale(QLocale(QLocale::English));
        table.setHeaderFormat(DeviceTable::HeaderFormat);
        view.resize(720, 500);
        sorting = showSorted(view, table);
        actions = new DeviceActions(view);
    }

    // One answer, values ending with the line break replies carry.
    bool answer(const QString &ip, const QString &mac, const QString &description = QStringLiteral("Gate"),
                const QString &serial = QStringLiteral("123456789012"), const ReplyOrigin &origin = {})
    {
        DeviceReply reply;
        reply.accepted = true;
        reply.macAddress = mac + u'\n';
        reply.serialNumber = serial + u'\n';
        reply.swVersion = QStringLiteral("1.0.2\n");
        reply.description = description;
        return table.fillDeviceRow(reply, ip, origin);
    }

    // Column `column` of every row as the grid shows them, top to bottom.
    QStringList shown(int column) const
    {
        QStringList texts;
        for (int row = 0; row < view.model()->rowCount(); ++row)
            texts << view.model()->index(row, column).data().toString().remove(u'\n');
        return texts;
    }

    void selectRows(std::initializer_list<int> rows)
    {
        view.clearSelection();
        for (const int row : rows)
            view.selectionModel()->select(view.model()->index(row, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    DeviceTable table;
    QTableView view;
    DeviceSorting *sorting = nullptr;
    DeviceActions *actions = nullptr;
};
