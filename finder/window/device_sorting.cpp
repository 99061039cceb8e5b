#include "finder/window/device_sorting.h"

#include "finder/window/device_sort_proxy.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTableView>

DeviceSorting::DeviceSorting(QTableView &grid, QAbstractItemModel &table)
    : QObject(&grid)
    , m_grid(grid)
    , m_table(table)
    , m_source(&table)
    , m_proxy(new DeviceSortProxy(this))
{
    QHeaderView *const header = m_grid.horizontalHeader();
    header->setSectionsClickable(true);
    // Shown from the start, so the columns' widths leave the arrow its room;
    // the sorted column's header tooltip also tells the order in words.
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    connect(header, &QHeaderView::sectionClicked, this, &DeviceSorting::onSectionClicked);
    m_grid.setModel(&table);
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
    m_filterText = text;
    m_proxy->setFilterText(text);
    apply();
}

QString DeviceSorting::filterText() const
{
    return m_filterText;
}

void DeviceSorting::setStatusFilter(quint32 statuses)
{
    m_proxy->setStatusFilter(statuses);
    apply();
}

bool DeviceSorting::isFiltering() const
{
    return m_proxy->isFiltering();
}

void DeviceSorting::apply()
{
    if (m_column < 0 && !m_proxy->isFiltering()) {
        switchModel(m_source);
        showSortIndicator();
        emit shownRowsChanged();
        return;
    }
    if (m_proxy->sourceModel() != m_source) {
        m_proxy->setSourceModel(m_source);
        switchModel(m_proxy);
    }
    // Sorting keeps the selection: the proxy moves it with the rows. Column
    // -1 is the model's own order.
    m_proxy->prepareSort(m_column);
    m_proxy->sort(m_column, m_order);
    showSortIndicator();
    emit shownRowsChanged();
}

void DeviceSorting::showSortIndicator()
{
    QHeaderView *const header = m_grid.horizontalHeader();
    const QSignalBlocker blocker(header);
    // A layout kept by an older version may have had it off.
    header->setSortIndicatorShown(true);
    header->setSortIndicator(m_column, m_order);
}

QModelIndex DeviceSorting::toSource(const QModelIndex &index) const
{
    return index.model() == m_proxy ? m_proxy->mapToSource(index) : index;
}

void DeviceSorting::select(const QList<QPersistentModelIndex> &rows, const QPersistentModelIndex &current)
{
    const QAbstractItemModel *const model = m_grid.model();
    const auto fromSource = [this, model](const QModelIndex &index) {
        return model == m_proxy ? m_proxy->mapFromSource(index) : QModelIndex(index);
    };
    QItemSelection selection;
    for (const QPersistentModelIndex &index : rows) {
        const QModelIndex row = fromSource(index);
        if (row.isValid())
            selection.select(row, row);
    }
    m_grid.selectionModel()->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (current.isValid())
        m_grid.selectionModel()->setCurrentIndex(fromSource(current), QItemSelectionModel::NoUpdate);
}

void DeviceSorting::switchModel(QAbstractItemModel *model)
{
    QAbstractItemModel *const old = m_grid.model();
    if (old == model)
        return;
    QHeaderView *const header = m_grid.horizontalHeader();
    const QByteArray headerState = header->saveState();
    QList<QPersistentModelIndex> selected;
    for (const QModelIndex &index : m_grid.selectionModel()->selectedRows())
        selected << toSource(index);
    const QPersistentModelIndex current = toSource(m_grid.currentIndex());

    QItemSelectionModel *const oldSelection = m_grid.selectionModel();
    m_grid.setModel(model);
    delete oldSelection;  // the view leaves its old selection model alone
    if (model != m_proxy) {
        // Unsorted and unfiltered, replies skip the proxy; it forgets its
        // column too, or taking the model back would sort by it again.
        m_proxy->setSourceModel(nullptr);
        m_proxy->sort(-1);
    }
    header->restoreState(headerState);
    select(selected, current);
}

DeviceSorting::Kept DeviceSorting::keep() const
{
    Kept kept;
    kept.header = m_grid.horizontalHeader()->saveState();
    kept.column = m_column;
    kept.order = m_order;
    kept.filter = m_filterText;
    kept.statuses = m_proxy->statusFilter();
    for (const QModelIndex &index : m_grid.selectionModel()->selectedRows())
        kept.selected << toSource(index);
    kept.current = toSource(m_grid.currentIndex());
    kept.scrollX = m_grid.horizontalScrollBar()->value();
    kept.scrollY = m_grid.verticalScrollBar()->value();
    return kept;
}

void DeviceSorting::showModel(QAbstractItemModel &model)
{
    if (&model == m_source)
        return;
    m_kept.insert(m_source, keep());
    const Kept kept = m_kept.value(&model);
    m_source = &model;
    m_column = kept.column;
    m_order = kept.order;

    // Straight to the model, so the header's sections are the new model's,
    // then through the proxy if it sorts or filters.
    QItemSelectionModel *const oldSelection = m_grid.selectionModel();
    m_proxy->setSourceModel(nullptr);
    m_grid.setModel(&model);
    delete oldSelection;
    m_proxy->sort(-1);
    if (!kept.header.isEmpty())
        m_grid.horizontalHeader()->restoreState(kept.header);
    // Taken in when apply() gives the proxy its source, if either is set.
    m_filterText = kept.filter;
    m_proxy->setFilterText(kept.filter);
    m_proxy->setStatusFilter(kept.statuses);
    apply();
    select(kept.selected, kept.current);
    m_grid.horizontalScrollBar()->setValue(kept.scrollX);
    m_grid.verticalScrollBar()->setValue(kept.scrollY);
    emit modelShown();
}

DeviceSorting *showSorted(QTableView &grid, QAbstractItemModel &table)
{
    return new DeviceSorting(grid, table);
}
