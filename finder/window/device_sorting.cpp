#include "finder/window/device_sorting.h"

#include "finder/window/device_sort_proxy.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

DeviceSorting::DeviceSorting(QTableView &grid, QAbstractItemModel &table)
    : QObject(&grid)
    , m_grid(grid)
    , m_table(table)
    , m_proxy(new DeviceSortProxy(this))
{
    QHeaderView *const header = m_grid.horizontalHeader();
    header->setSectionsClickable(true);
    // The columns are as wide as their header texts, with no room for an
    // arrow; the sorted column's header tooltip tells the order instead.
    header->setSortIndicatorShown(false);
    connect(header, &QHeaderView::sectionClicked, this, &DeviceSorting::onSectionClicked);
    m_grid.setModel(&m_table);
}

void DeviceSorting::onSectionClicked(int section)
{
    if (section != m_column)
        sortBy(section, Qt::AscendingOrder);
    else if (m_order == Qt::AscendingOrder)
        sortBy(section, Qt::DescendingOrder);
    else
        showArrivalOrder();
}

void DeviceSorting::sortBy(int column, Qt::SortOrder order)
{
    m_column = column;
    m_order = order;
    apply();
}

void DeviceSorting::showArrivalOrder()
{
    m_column = -1;
    m_order = Qt::AscendingOrder;
    apply();
}

void DeviceSorting::setFilterText(const QString &text)
{
    m_proxy->setFilterText(text);
    apply();
}

bool DeviceSorting::isFiltering() const
{
    return m_proxy->isFiltering();
}

void DeviceSorting::apply()
{
    if (m_column < 0 && !m_proxy->isFiltering()) {
        switchModel(&m_table);
        emit shownRowsChanged();
        return;
    }
    if (m_proxy->sourceModel() != &m_table) {
        m_proxy->setSourceModel(&m_table);
        switchModel(m_proxy);
    }
    // Sorting keeps the selection: the proxy moves it with the rows. Column
    // -1 is the table's own order.
    m_proxy->prepareSort(m_column);
    m_proxy->sort(m_column, m_order);
    emit shownRowsChanged();
}

void DeviceSorting::switchModel(QAbstractItemModel *model)
{
    QAbstractItemModel *const old = m_grid.model();
    if (old == model)
        return;
    const auto toTable = [this, old](const QModelIndex &index) {
        return old == m_proxy ? m_proxy->mapToSource(index) : index;
    };
    const auto fromTable = [this, model](const QModelIndex &index) {
        return model == m_proxy ? m_proxy->mapFromSource(index) : index;
    };

    QHeaderView *const header = m_grid.horizontalHeader();
    const QByteArray headerState = header->saveState();
    QList<QPersistentModelIndex> selected;
    for (const QModelIndex &index : m_grid.selectionModel()->selectedRows())
        selected << toTable(index);
    const QPersistentModelIndex current = toTable(m_grid.currentIndex());

    QItemSelectionModel *const oldSelection = m_grid.selectionModel();
    m_grid.setModel(model);
    delete oldSelection;  // the view leaves its old selection model alone
    if (model != m_proxy) {
        // Unsorted and unfiltered, replies skip the proxy; it forgets its
        // column too, or taking the table back would sort by it again.
        m_proxy->setSourceModel(nullptr);
        m_proxy->sort(-1);
    }

    header->restoreState(headerState);
    QItemSelection selection;
    for (const QPersistentModelIndex &index : selected) {
        const QModelIndex row = fromTable(index);
        selection.select(row, row);
    }
    m_grid.selectionModel()->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (current.isValid())
        m_grid.selectionModel()->setCurrentIndex(fromTable(current), QItemSelectionModel::NoUpdate);
}

DeviceSorting *showSorted(QTableView &grid, QAbstractItemModel &table)
{
    return new DeviceSorting(grid, table);
}
