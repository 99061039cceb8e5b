#pragma once

#include <QCollator>
#include <QCollatorSortKey>
#include <QList>
#include <QMetaObject>
#include <QSortFilterProxyModel>

#include <optional>
#include <vector>

// The order and the filter the grid shows the device table in. Unsorted
// (column -1) it is the table's own order, which is arrival order; sorted, IP
// and MAC addresses compare by their numeric value, # by its number and the other
// columns as text with embedded numbers compared by value ("Tower 997" before
// "Tower 9969"). Free rows (no MAC address) stay at the bottom either way and
// are hidden while a filter is set. Only the view's order changes: the table
// keeps its rows.
//
// Sorting 32767 rows compares each row some thirty times, and a filter looks
// at every row on each keystroke: both read keys made once per row and kept
// until the row changes, never the cells and the collator themselves.
class DeviceSortProxy : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit DeviceSortProxy(QObject *parent = nullptr);

    void setSourceModel(QAbstractItemModel *source) override;

    // The header tooltips tell the sort order and what the next click does.
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Rows with any cell containing text, ignoring case; a MAC address or a
    // serial number also matches typed with other separators or none. Empty shows every row.
    void setFilterText(const QString &text);
    QString filterText() const { return m_filter; }
    // Rows whose DeviceRoles::RowStatus is one of these, one bit per status
    // (the site view's status toggles); 0 shows every status.
    void setStatusFilter(quint32 statuses);
    quint32 statusFilter() const { return m_statuses; }
    bool isFiltering() const { return !m_filter.isEmpty() || m_statuses != 0; }

    // Makes the keys of every row for a sort by column, top to bottom:
    // made in the sort's own random order they take several times longer.
    void prepareSort(int column);

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    struct RowKeys
    {
        bool made = false;
        bool free = false;
        QString folded;     // the cells, case-folded, one per line
        QString compact;    // MAC address and serial number without separators
    };
    struct SortKey
    {
        bool made = false;
        bool free = false;
        std::optional<quint64> number;  // #, IPv4 and MAC addresses
        std::optional<QCollatorSortKey> text;
    };

    const RowKeys &rowKeys(int row) const;
    const SortKey &sortKey(int row, int column) const;
    void forgetKeys();
    void forgetRows(int first, int last);

    QCollator m_collator;
    QString m_filter;
    QString m_filterCompact;
    quint32 m_statuses = 0;
    mutable std::vector<RowKeys> m_rowKeys;
    mutable std::vector<SortKey> m_sortKeys;
    mutable int m_sortKeyColumn = -1;
    QList<QMetaObject::Connection> m_sourceConnections;
};
