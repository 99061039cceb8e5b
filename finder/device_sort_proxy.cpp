#include "device_sort_proxy.h"

#include "device_export.h"
#include "device_table.h"

#include <QHeaderView>
#include <QHostAddress>
#include <QTableView>

#include <optional>

namespace {

constexpr int NumberColumn = 0;
constexpr int IpColumn = 1;

QString cellText(const QModelIndex &index)
{
    return DeviceExport::withoutTrailingLineBreaks(index.data().toString());
}

bool isFree(const QModelIndex &index)
{
    return index.siblingAtColumn(DeviceTable::MacColumn).data().toString().isEmpty();
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
    const bool leftFree = isFree(left);
    const bool rightFree = isFree(right);
    if (leftFree || rightFree) {
        if (leftFree != rightFree)
            return ascending ? rightFree : leftFree;
        return ascending ? left.row() < right.row() : left.row() > right.row();
    }

    const QString leftText = cellText(left);
    const QString rightText = cellText(right);
    int order = 0;
    if (left.column() == NumberColumn) {
        order = compareValues(leftText.toLongLong(), rightText.toLongLong());
    } else if (left.column() == IpColumn) {
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

void showSorted(QTableView &grid, QAbstractItemModel &table)
{
    auto *const proxy = new DeviceSortProxy(&grid);
    proxy->setSourceModel(&table);
    grid.setModel(proxy);
    QHeaderView *const header = grid.horizontalHeader();
    // No indicator at first: setSortingEnabled() sorts by it at once.
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->setSortIndicatorClearable(true);
    grid.setSortingEnabled(true);
    // The columns are as wide as their header texts, with no room for an
    // arrow; the sorted column's header tooltip tells the order instead.
    header->setSortIndicatorShown(false);
}
