#include "device_sort_proxy.h"

#include "device_export.h"
#include "device_table.h"

#include <QHeaderView>
#include <QHostAddress>
#include <QTableView>

#include <optional>

namespace {

QString cellText(const QModelIndex &index)
{
    return DeviceExport::withoutTrailingLineBreaks(index.data().toString());
}

template<typename T>
int compareValues(T left, T right)
{
    return left < right ? -1 : (right < left ? 1 : 0);
}

std::optional<quint32> ipv4Value(const QString &text)
{
    bool ok = false;
    const quint32 value = QHostAddress(text).toIPv4Address(&ok);
    return ok ? std::optional<quint32>(value) : std::nullopt;
}

} // namespace

DeviceSortProxy::DeviceSortProxy(QObject *parent)
    : QSortFilterProxyModel(parent)
{
    // Replies keep arriving while the user looks at a sorted list.
    setDynamicSortFilter(true);
    m_collator.setNumericMode(true);
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

QVariant DeviceSortProxy::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::ToolTipRole || orientation != Qt::Horizontal)
        return QSortFilterProxyModel::headerData(section, orientation, role);
    if (section != sortColumn())
        return tr("Click to sort by this column.");
    return sortOrder() == Qt::AscendingOrder ? tr("Sorted in ascending order. Click to sort in descending order.")
                                             : tr("Sorted in descending order. Click to show the arrival order.");
}

bool DeviceSortProxy::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    // Descending order asks lessThan(right, left), so the free rows' place
    // depends on the order to stay at the bottom in both.
    const bool ascending = sortOrder() == Qt::AscendingOrder;
    const bool leftFree = !DeviceTable::isInUse(left);
    const bool rightFree = !DeviceTable::isInUse(right);
    if (leftFree || rightFree) {
        if (leftFree != rightFree)
            return ascending ? rightFree : leftFree;
        return ascending ? left.row() < right.row() : left.row() > right.row();
    }

    const QString leftText = cellText(left);
    const QString rightText = cellText(right);
    int order = 0;
    if (left.column() == DeviceTable::NumberColumn) {
        order = compareValues(leftText.toLongLong(), rightText.toLongLong());
    } else if (left.column() == DeviceTable::IpColumn) {
        const std::optional<quint32> leftIp = ipv4Value(leftText);
        const std::optional<quint32> rightIp = ipv4Value(rightText);
        if (leftIp && rightIp)
            order = compareValues(*leftIp, *rightIp);
        else if (leftIp || rightIp)
            order = leftIp ? -1 : 1;  // IPv4 before anything else
        else
            order = m_collator.compare(leftText, rightText);
    } else {
        order = m_collator.compare(leftText, rightText);
    }
    if (order != 0)
        return order < 0;
    // Equal values keep arrival order, in either direction.
    return ascending ? left.row() < right.row() : left.row() > right.row();
}

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

void DeviceSorting::apply()
{
    if (m_column < 0) {
        switchModel(&m_table);
        return;
    }
    if (m_proxy->sourceModel() != &m_table) {
        m_proxy->setSourceModel(&m_table);
        switchModel(m_proxy);
    }
    // Sorting keeps the selection: the proxy moves it with the rows.
    m_proxy->sort(m_column, m_order);
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
    QList<int> widths;
    for (int column = 0; column < header->count(); ++column)
        widths << header->sectionSize(column);
    QList<QPersistentModelIndex> selected;
    for (const QModelIndex &index : m_grid.selectionModel()->selectedRows())
        selected << toTable(index);
    const QPersistentModelIndex current = toTable(m_grid.currentIndex());

    QItemSelectionModel *const oldSelection = m_grid.selectionModel();
    m_grid.setModel(model);
    delete oldSelection;  // the view leaves its old selection model alone
    if (model != m_proxy)
        m_proxy->setSourceModel(nullptr);  // unsorted, replies skip the proxy

    for (int column = 0; column < widths.size() && column < header->count(); ++column)
        header->resizeSection(column, widths[column]);
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
