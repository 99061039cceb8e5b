#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPersistentModelIndex>
#include <QString>

class DeviceSortProxy;
class QAbstractItemModel;
class QTableView;

// Sorting the grid by a header click: ascending, then descending, then back
// to arrival order; and filtering it. Unsorted and unfiltered, the grid shows
// the model itself, so replies and refreshes cost no proxy work; otherwise it
// shows a DeviceSortProxy. The header's state (widths, order, hidden
// columns), the selection and the current row survive each switch.
//
// The grid shows one model at a time: the device table, or the site view
// while watching or comparing. Each keeps its own sort, filter, header
// state, selection and scroll position, which come back when it is shown
// again.
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
    QString filterText() const;
    // DeviceSortProxy::setStatusFilter() of the model shown.
    void setStatusFilter(quint32 statuses);
    bool isFiltering() const;

    // Shows model in the grid with what it had when it was last shown;
    // showTable() the one the grid was set up with.
    void showModel(QAbstractItemModel &model);
    void showTable() { showModel(m_table); }
    QAbstractItemModel &shownModel() const { return *m_source; }
    // Whether model has been shown before (its header state is kept).
    bool hasShown(const QAbstractItemModel &model) const { return m_kept.contains(&model); }

signals:
    // The grid shows another model, or the same one with other rows.
    void shownRowsChanged();
    // Another model is shown; its filter text may differ.
    void modelShown();

private:
    // What a model had when another took its place.
    struct Kept
    {
        QByteArray header;
        int column = -1;
        Qt::SortOrder order = Qt::AscendingOrder;
        QString filter;
        quint32 statuses = 0;
        QList<QPersistentModelIndex> selected;
        QPersistentModelIndex current;
        int scrollX = 0;
        int scrollY = 0;
    };

    void onSectionClicked(int section);
    void apply();
    void switchModel(QAbstractItemModel *model);
    void showSortIndicator();
    QModelIndex toSource(const QModelIndex &index) const;
    Kept keep() const;
    void select(const QList<QPersistentModelIndex> &rows, const QPersistentModelIndex &current);

    QTableView &m_grid;
    QAbstractItemModel &m_table;
    QAbstractItemModel *m_source;
    DeviceSortProxy *m_proxy;
    int m_column = -1;
    Qt::SortOrder m_order = Qt::AscendingOrder;
    QString m_filterText;   // as typed
    QHash<const QAbstractItemModel *, Kept> m_kept;
};

// Shows the table in the grid, sortable by header clicks.
DeviceSorting *showSorted(QTableView &grid, QAbstractItemModel &table);
