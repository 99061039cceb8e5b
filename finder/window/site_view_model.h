#pragma once

#include "devicelist/device_table.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>

#include <array>

// What the grid's place shows while watching or comparing with a plan:
// the table's six columns, then a status column whose text carries every
// mark (new, changed, gone, and the plan's statuses), so none needs colour.
// Rows are given whole; a new list that keeps the old rows' order only
// updates them, so the selection and scroll position stay.
class SiteViewModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int StatusColumn = DeviceTable::ColumnCount;

    struct Row
    {
        QString key;   // the same device keeps the same key across updates
        std::array<QString, DeviceTable::ColumnCount> cells;
        QString status;
        QString toolTip;
        bool greyed = false;
    };

    explicit SiteViewModel(QObject *parent = nullptr);

    void setRows(QList<Row> rows);
    const QList<Row> &rows() const { return m_rows; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<Row> m_rows;
    const QString m_statusHeader;
};
