#pragma once

#include "devicelist/device_table.h"
#include "devicelist/site_row.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>

#include <array>
#include <optional>

// What the window's one grid shows while watching or comparing with a plan:
// the table's six columns (identifiers through the table's display
// patterns), the status with every mark as text, so none needs colour, and
// the planned IP and version. Rows are given whole as values; a new list
// whose rows are the same lines in order (SiteRow::isSameLine()) only
// signals the rows that changed, so a sort, a filter, the selection and the
// scroll stay, and the proxy looks again at those rows alone.
class SiteViewModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        StatusColumn = DeviceTable::ColumnCount,
        PlannedIpColumn,
        PlannedVersionColumn,
        ColumnCount
    };

    explicit SiteViewModel(QObject *parent = nullptr);

    void setRows(QList<SiteRow> rows);
    const QList<SiteRow> &rows() const { return m_rows; }

    // The status column's text of a row, as the screen shows it.
    static QString statusText(const SiteRow &row);
    // The status's own word on screen: "missing", "gone", ...
    static QString statusLabel(SiteRow::Status status);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QString cellText(const SiteRow &row, int column) const;
    QString receivedText(const SiteRow &row, int column) const;
    static QString toolTip(const SiteRow &row);
    void emitChanged(const QList<std::pair<int, int>> &ranges);

    // Each row's cells as shown, made when first asked for and kept until
    // the row changes: a sort or a filter reads every row's cells.
    const std::array<QString, ColumnCount> &shownCells(int row) const;

    QList<SiteRow> m_rows;
    mutable QList<std::optional<std::array<QString, ColumnCount>>> m_shown;
    QLocale m_locale;
};
