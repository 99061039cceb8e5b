#pragma once

#include <QCollator>
#include <QSortFilterProxyModel>

// The order the grid shows the device table in. Unsorted (column -1) it is
// the table's own order, which is arrival order; sorted, IP addresses compare
// by their numeric value, # by its number and the other columns as text with
// embedded numbers compared by value. Free rows (no MAC address) stay at the
// bottom either way. Only the view's order changes: the table keeps its rows.
class DeviceSortProxy : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit DeviceSortProxy(QObject *parent = nullptr);

    // The header tooltips tell the sort order and what the next click does.
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    QCollator m_collator;
};

class QTableView;

// Shows the table in the grid through a DeviceSortProxy. Clicking a column
// header sorts ascending, again descending, a third time back to arrival order.
void showSorted(QTableView &grid, QAbstractItemModel &table);
