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

// Sorting the grid by a header click: ascending, then descending, then back
// to arrival order. Unsorted, the grid shows the table itself, so replies and
// refreshes cost no proxy work; sorted, it shows a DeviceSortProxy. The
// column widths, the selection and the current row survive each switch.
class DeviceSorting : public QObject
{
    Q_OBJECT

public:
    DeviceSorting(QTableView &grid, QAbstractItemModel &table);

    void sortBy(int column, Qt::SortOrder order);
    void showArrivalOrder();

private:
    void onSectionClicked(int section);
    void apply();
    void switchModel(QAbstractItemModel *model);

    QTableView &m_grid;
    QAbstractItemModel &m_table;
    DeviceSortProxy *m_proxy;
    int m_column = -1;
    Qt::SortOrder m_order = Qt::AscendingOrder;
};

// Shows the table in the grid, sortable by header clicks.
DeviceSorting *showSorted(QTableView &grid, QAbstractItemModel &table);
