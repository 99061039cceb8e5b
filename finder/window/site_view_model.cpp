#include "finder/window/site_view_model.h"

#include "devicelist/device_export.h"
#include "devicelist/device_roles.h"

#include <QBrush>
#include <QPalette>

SiteViewModel::SiteViewModel(QObject *parent)
    : QAbstractTableModel(parent)
    , m_statusHeader(tr("Status"))
{
}

void SiteViewModel::setRows(QList<Row> rows)
{
    const qsizetype common = std::min(rows.size(), m_rows.size());
    bool sameOrder = rows.size() >= m_rows.size();
    for (qsizetype r = 0; sameOrder && r < common; ++r)
        sameOrder = rows[r].key == m_rows[r].key;
    if (!sameOrder) {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
        return;
    }
    const qsizetype old = m_rows.size();
    if (rows.size() > old) {
        beginInsertRows({}, int(old), int(rows.size() - 1));
        m_rows = std::move(rows);
        endInsertRows();
    } else {
        m_rows = std::move(rows);
    }
    if (common > 0)
        Q_EMIT dataChanged(index(0, 0), index(int(common) - 1, StatusColumn));
}

int SiteViewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int SiteViewModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : StatusColumn + 1;
}

QVariant SiteViewModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row &row = m_rows[index.row()];
    const bool status = index.column() == StatusColumn;
    switch (role) {
    case Qt::DisplayRole:
    case DeviceRoles::ReceivedText:
        return status ? row.status : row.cells[index.column()];
    case Qt::ToolTipRole:
        return row.toolTip.isEmpty() ? QVariant() : QVariant(row.toolTip);
    case Qt::ForegroundRole:
        return row.greyed ? QVariant(QPalette().brush(QPalette::Disabled, QPalette::Text)) : QVariant();
    default:
        return {};
    }
}

QVariant SiteViewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > StatusColumn)
        return {};
    return section == StatusColumn ? m_statusHeader : DeviceExport::headerLabels().value(section);
}
