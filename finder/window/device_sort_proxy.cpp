#include "finder/window/device_sort_proxy.h"

#include "devicelist/device_export.h"
#include "devicelist/device_table.h"
#include "devicelist/group_separator.h"

#include <QHostAddress>

namespace {

// Shorter filters match a MAC address or serial number only as written:
// two or three characters would find a pair in nearly every one.
constexpr int MinCompactLength = 4;

QString cellText(const QAbstractItemModel &model, int row, int column)
{
    return DeviceExport::withoutTrailingLineBreaks(model.index(row, column).data().toString());
}

template<typename T>
int compareValues(T left, T right)
{
    return left < right ? -1 : (right < left ? 1 : 0);
}

std::optional<quint64> ipv4Value(const QString &text)
{
    bool ok = false;
    const quint32 value = QHostAddress(text).toIPv4Address(&ok);
    return ok ? std::optional<quint64>(value) : std::nullopt;
}

// Text without the separators MAC addresses and serial numbers are written
// with, in lower case.
QString compacted(const QString &text)
{
    QString compact;
    compact.reserve(text.size());
    for (const QChar c : text) {
        if (!isGroupSeparator(c))
            compact += c;
    }
    return compact.toCaseFolded();
}

// A MAC address's 48-bit value, in any notation, so that 00-..-0A sorts after
// 00-..-09 rather than before 00-..-01 as numeric collation would have it.
std::optional<quint64> macValue(const QString &text)
{
    const QString hex = compacted(text);
    bool ok = false;
    const quint64 value = hex.size() == 12 ? hex.toULongLong(&ok, 16) : 0;
    return ok ? std::optional<quint64>(value) : std::nullopt;
}

} // namespace

DeviceSortProxy::DeviceSortProxy(QObject *parent)
    : QSortFilterProxyModel(parent)
{
    // Replies keep arriving while the user looks at a sorted list.
    setDynamicSortFilter(true);
    // The C locale collates by code point, numbers and case included; any
    // other collates them as people read them.
    if (m_collator.locale().language() == QLocale::C)
        m_collator.setLocale(QLocale(QLocale::English));
    m_collator.setNumericMode(true);
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

void DeviceSortProxy::setSourceModel(QAbstractItemModel *source)
{
    for (const QMetaObject::Connection &connection : std::as_const(m_sourceConnections))
        disconnect(connection);
    m_sourceConnections.clear();
    forgetKeys();
    // Connected before the base class connects its own handlers, so the keys
    // follow the rows before the proxy sorts or filters the changed ones.
    if (source) {
        m_sourceConnections = {
            connect(source, &QAbstractItemModel::rowsInserted, this,
                    [this](const QModelIndex &, int first, int last) {
                        if (static_cast<size_t>(first) <= m_rowKeys.size())
                            m_rowKeys.insert(m_rowKeys.begin() + first, last - first + 1, RowKeys{});
                        if (static_cast<size_t>(first) <= m_sortKeys.size())
                            m_sortKeys.insert(m_sortKeys.begin() + first, last - first + 1, SortKey{});
                    }),
            connect(source, &QAbstractItemModel::rowsRemoved, this,
                    [this](const QModelIndex &, int first, int last) {
                        const auto erase = [first, last](auto &keys) {
                            const auto end = std::min(keys.size(), static_cast<size_t>(last) + 1);
                            if (static_cast<size_t>(first) < end)
                                keys.erase(keys.begin() + first, keys.begin() + static_cast<qsizetype>(end));
                        };
                        erase(m_rowKeys);
                        erase(m_sortKeys);
                    }),
            connect(source, &QAbstractItemModel::dataChanged, this,
                    [this](const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles) {
                        if (roles.isEmpty() || roles.contains(Qt::DisplayRole))
                            forgetRows(topLeft.row(), bottomRight.row());
                    }),
            connect(source, &QAbstractItemModel::modelReset, this, &DeviceSortProxy::forgetKeys),
            connect(source, &QAbstractItemModel::layoutChanged, this, &DeviceSortProxy::forgetKeys),
            connect(source, &QAbstractItemModel::rowsMoved, this, &DeviceSortProxy::forgetKeys),
            // The optional origin columns: a filter's keys hold every column.
            connect(source, &QAbstractItemModel::columnsInserted, this, &DeviceSortProxy::forgetKeys),
            connect(source, &QAbstractItemModel::columnsRemoved, this, &DeviceSortProxy::forgetKeys),
        };
    }
    QSortFilterProxyModel::setSourceModel(source);
}

void DeviceSortProxy::forgetKeys()
{
    m_rowKeys.clear();
    m_sortKeys.clear();
}

void DeviceSortProxy::forgetRows(int first, int last)
{
    for (int row = first; row <= last && static_cast<size_t>(row) < m_rowKeys.size(); ++row)
        m_rowKeys[static_cast<size_t>(row)] = RowKeys{};
    for (int row = first; row <= last && static_cast<size_t>(row) < m_sortKeys.size(); ++row)
        m_sortKeys[static_cast<size_t>(row)] = SortKey{};
}

const DeviceSortProxy::RowKeys &DeviceSortProxy::rowKeys(int row) const
{
    const QAbstractItemModel &model = *sourceModel();
    if (m_rowKeys.size() != static_cast<size_t>(model.rowCount()))
        m_rowKeys.resize(static_cast<size_t>(model.rowCount()));
    RowKeys &keys = m_rowKeys[static_cast<size_t>(row)];
    if (!keys.made) {
        keys.made = true;
        const QString mac = cellText(model, row, DeviceTable::MacColumn);
        keys.free = !DeviceTable::isInUse(model.index(row, DeviceTable::MacColumn));
        keys.folded.clear();
        for (int column = 0; column < model.columnCount(); ++column)
            keys.folded += cellText(model, row, column).toCaseFolded() + u'\n';
        keys.compact = compacted(mac) + u'\n' + compacted(cellText(model, row, DeviceTable::SerialColumn));
    }
    return keys;
}

const DeviceSortProxy::SortKey &DeviceSortProxy::sortKey(int row, int column) const
{
    const QAbstractItemModel &model = *sourceModel();
    if (column != m_sortKeyColumn) {
        m_sortKeys.clear();
        m_sortKeyColumn = column;
    }
    if (m_sortKeys.size() != static_cast<size_t>(model.rowCount()))
        m_sortKeys.resize(static_cast<size_t>(model.rowCount()));
    SortKey &key = m_sortKeys[static_cast<size_t>(row)];
    if (!key.made) {
        key.made = true;
        key.free = !DeviceTable::isInUse(model.index(row, DeviceTable::MacColumn));
        const QString text = cellText(model, row, column);
        if (column == DeviceTable::NumberColumn)
            key.number = text.toULongLong();
        else if (column == DeviceTable::IpColumn)
            key.number = ipv4Value(text);
        else if (column == DeviceTable::MacColumn)
            key.number = macValue(text);
        if (!key.number)
            key.text = m_collator.sortKey(text);
    }
    return key;
}

void DeviceSortProxy::prepareSort(int column)
{
    if (!sourceModel() || column < 0)
        return;
    const int rows = sourceModel()->rowCount();
    for (int row = 0; row < rows; ++row)
        sortKey(row, column);
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

void DeviceSortProxy::setFilterText(const QString &text)
{
    const QString folded = text.trimmed().toCaseFolded().remove(u'\n');
    if (folded == m_filter)
        return;
    m_filter = folded;
    m_filterCompact = compacted(folded);
    if (m_filterCompact.size() < MinCompactLength)
        m_filterCompact.clear();
    invalidateFilter();
}

void DeviceSortProxy::setStatusFilter(quint32 statuses)
{
    if (statuses == m_statuses)
        return;
    m_statuses = statuses;
    invalidateFilter();
}

bool DeviceSortProxy::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    if (m_statuses != 0) {
        const int status = sourceModel()->index(sourceRow, 0).data(DeviceRoles::RowStatus).toInt();
        if (!(m_statuses & (1u << status)))
            return false;
    }
    if (m_filter.isEmpty())
        return true;
    const RowKeys &keys = rowKeys(sourceRow);
    if (keys.free)
        return false;
    return keys.folded.contains(m_filter)
            || (!m_filterCompact.isEmpty() && keys.compact.contains(m_filterCompact));
}

bool DeviceSortProxy::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    // Descending order asks lessThan(right, left), so the free rows' place
    // depends on the order to stay at the bottom in both.
    const bool ascending = sortOrder() == Qt::AscendingOrder;
    // Both keys first: the second call never moves the first one.
    sortKey(right.row(), right.column());
    const SortKey &leftKey = sortKey(left.row(), left.column());
    const SortKey &rightKey = sortKey(right.row(), right.column());
    if (leftKey.free || rightKey.free) {
        if (leftKey.free != rightKey.free)
            return ascending ? rightKey.free : leftKey.free;
        return ascending ? left.row() < right.row() : left.row() > right.row();
    }

    int order = 0;
    if (leftKey.number && rightKey.number)
        order = compareValues(*leftKey.number, *rightKey.number);
    else if (leftKey.number || rightKey.number)
        order = leftKey.number ? -1 : 1;  // an address before text that is none
    else
        order = leftKey.text->compare(*rightKey.text);
    if (order != 0)
        return order < 0;
    // Equal values keep arrival order, in either direction.
    return ascending ? left.row() < right.row() : left.row() > right.row();
}
