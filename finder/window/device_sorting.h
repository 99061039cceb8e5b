#pragma once

#include <QObject>

class DeviceSortProxy;
class QAbstractItemModel;
class QTableView;

// Sorting the grid by a header click: ascending, then descending, then back
// to arrival order; and filtering it. Unsorted and unfiltered, the grid shows
// the table itself, so replies and refreshes cost no proxy work; otherwise it
// shows a DeviceSortProxy. The header's state (widths, order, hidden
// columns), the selection and the current row survive each switch.
class DeviceSorting : public QObject
{
    Q_OBJECT

public:
    DeviceSorting(QTableView &grid, QAbstractItemModel &table);

    void sortBy(int column, Qt::SortOrder order);
    void showArrivalOrder();
    // -1 in arrival order; the layout memory keeps both.
    int sortColumn() const { return m_column; }
    Qt::SortOrder sortOrder() const { return m_order; }

    void setFilterText(const QString &text);
    bool isFiltering() const;

signals:
    // The grid shows another model, or the same one with other rows.
    void shownRowsChanged();

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
