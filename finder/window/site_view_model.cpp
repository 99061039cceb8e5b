#include "finder/window/site_view_model.h"

#include "devicelist/device_export.h"
#include "devicelist/device_roles.h"
#include "devicelist/site_rows.h"
#include "devicelist/visible_text.h"

#include <QDateTime>

using namespace Qt::StringLiterals;

namespace {

const QString Separator = u" \u00b7 "_s;

QString clockTime(qint64 timeMs)
{
    return QDateTime::fromMSecsSinceEpoch(timeMs).toString(u"hh:mm:ss"_s);
}

// "45 s", "3 min 20 s", "2 h 5 min".
QString duration(qint64 ms)
{
    const qint64 seconds = std::max<qint64>(0, ms / 1000);
    if (seconds < 60)
        return SiteViewModel::tr("%1 s").arg(seconds);
    if (seconds < 3600)
        return SiteViewModel::tr("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
    return SiteViewModel::tr("%1 h %2 min").arg(seconds / 3600).arg(seconds / 60 % 60);
}

} // namespace

SiteViewModel::SiteViewModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void SiteViewModel::setRows(QList<SiteRow> rows)
{
    const qsizetype common = std::min(rows.size(), m_rows.size());
    bool sameOrder = rows.size() >= m_rows.size();
    for (qsizetype r = 0; sameOrder && r < common; ++r)
        sameOrder = rows[r].isSameLine(m_rows[r]);
    if (!sameOrder) {
        beginResetModel();
        m_rows = std::move(rows);
        m_shown.clear();
        m_shown.resize(m_rows.size());
        endResetModel();
        return;
    }
    QList<std::pair<int, int>> changed;
    for (qsizetype r = 0; r < common; ++r) {
        if (rows[r] == m_rows[r])
            continue;
        if (!changed.isEmpty() && changed.back().second == r - 1)
            changed.back().second = int(r);
        else
            changed.append({int(r), int(r)});
    }
    for (const auto &[first, last] : std::as_const(changed)) {
        for (int r = first; r <= last; ++r)
            m_shown[r].reset();
    }
    const qsizetype old = m_rows.size();
    if (rows.size() > old) {
        beginInsertRows({}, int(old), int(rows.size() - 1));
        m_rows = std::move(rows);
        m_shown.resize(m_rows.size());
        endInsertRows();
    } else {
        m_rows = std::move(rows);
    }
    emitChanged(changed);
}

void SiteViewModel::emitChanged(const QList<std::pair<int, int>> &ranges)
{
    for (const auto &[first, last] : ranges)
        Q_EMIT dataChanged(index(first, 0), index(last, ColumnCount - 1));
}

QString SiteViewModel::statusLabel(SiteRow::Status status)
{
    switch (status) {
    case SiteRow::Status::Answered: return tr("answered");
    case SiteRow::Status::Missing: return tr("missing");
    case SiteRow::Status::Unexpected: return tr("unexpected");
    case SiteRow::Status::Differs: return tr("differs");
    case SiteRow::Status::Gone: return tr("gone");
    case SiteRow::Status::Back: return tr("back");
    }
    return {};
}

QString SiteViewModel::statusText(const SiteRow &row)
{
    QStringList parts;
    if (row.status == SiteRow::Status::Differs) {
        parts << tr("differs: %1").arg(SiteRows::differencesText(row.differences));
    } else if (row.status != SiteRow::Status::Back) {
        parts << statusLabel(row.status);
    }
    if (row.gone && row.status != SiteRow::Status::Gone)
        parts << statusLabel(SiteRow::Status::Gone);
    if (row.gone)
        parts << tr("last seen %1").arg(clockTime(row.lastSeenMs));
    else if (row.goneCount > 0)
        parts << tr("back after %1").arg(duration(row.awayMs));
    if (row.goneCount > 0)
        parts << (row.goneCount == 1 ? tr("went away once") : tr("went away %1 times").arg(row.goneCount));
    if (row.isNew && !row.gone)
        parts << tr("new");
    QStringList fields;
    for (int f = 0; f < DeviceRecord::FieldCount; ++f) {
        if (row.changedFields & (1u << f))
            fields << SiteRows::fieldLabel(DeviceRecord::Field(f));
    }
    if (!fields.isEmpty())
        parts << tr("changed: %1").arg(fields.join(u", "_s));
    return parts.join(Separator);
}

QString SiteViewModel::toolTip(const SiteRow &row)
{
    QStringList notes;
    if (row.planned >= 0 && !row.plannedName.isEmpty())
        notes << tr("Planned as %1").arg(visibleText(row.plannedName));
    if (row.differences)
        notes << tr("Planned IP %1, version %2").arg(visibleText(row.plannedIp), visibleText(row.plannedVersion));
    // A match that held only by forgiving a spreadsheet's habit says so.
    if (row.matched & SitePlan::MatchNote::SerialWithoutLeadingZeros)
        notes << tr("Matched the planned serial number without its leading zeros");
    if (row.matched & SitePlan::MatchNote::VersionWithLeadingV)
        notes << tr("Matched the planned version without its leading \"v\"");
    for (int f = 0; f < DeviceRecord::FieldCount; ++f) {
        if (!row.previous[f].isEmpty())
            notes << tr("%1 was %2").arg(SiteRows::fieldLabel(DeviceRecord::Field(f)), visibleText(row.previous[f]));
    }
    return notes.join(u'\n');
}

QString SiteViewModel::cellText(const SiteRow &row, int column) const
{
    switch (column) {
    case DeviceTable::NumberColumn: return row.number > 0 ? QString::number(row.number) : QString();
    case StatusColumn: return statusText(row);
    case PlannedIpColumn: return row.plannedIp;
    case PlannedVersionColumn: return row.plannedVersion;
    default: {
        const auto field = DeviceRecord::Field(column - DeviceTable::IpColumn);
        return DeviceTable::shownCell(DeviceTable::Column(column), row.fields[field], m_locale);
    }
    }
}

const std::array<QString, SiteViewModel::ColumnCount> &SiteViewModel::shownCells(int row) const
{
    std::optional<std::array<QString, ColumnCount>> &cells = m_shown[row];
    if (!cells) {
        cells.emplace();
        for (int column = 0; column < ColumnCount; ++column)
            (*cells)[column] = cellText(m_rows[row], column);
    }
    return *cells;
}

QString SiteViewModel::receivedText(const SiteRow &row, int column) const
{
    if (column == StatusColumn)
        return SiteRow::keyword(row.status);
    if (column >= DeviceTable::IpColumn && column < DeviceTable::ColumnCount)
        return row.fields[column - DeviceTable::IpColumn];
    return cellText(row, column);
}

int SiteViewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int SiteViewModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SiteViewModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const SiteRow &row = m_rows[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return shownCells(index.row())[index.column()];
    case DeviceRoles::ReceivedText:
        return receivedText(row, index.column());
    case Qt::ToolTipRole: {
        const QString tip = toolTip(row);
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    case Qt::TextAlignmentRole:
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    case DeviceRoles::Listed:
        return true;
    case DeviceRoles::RowStatus:
        return int(row.status);
    case DeviceRoles::Attention:
        return row.status == SiteRow::Status::Missing || row.status == SiteRow::Status::Gone;
    case DeviceRoles::ExportCells:
        return index.column() == 0 ? QVariant(SiteRows::exportCells(row, false)) : QVariant();
    default:
        return {};
    }
}

QVariant SiteViewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == DeviceRoles::ExportCells)
        return section == 0 ? QVariant(SiteRows::exportHeader()) : QVariant();
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case StatusColumn: return tr("Status");
    case PlannedIpColumn: return SiteRows::plannedIpLabel();
    case PlannedVersionColumn: return SiteRows::plannedVersionLabel();
    default: return DeviceExport::headerLabels().value(section);
    }
}

Qt::ItemFlags SiteViewModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}
