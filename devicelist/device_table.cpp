#include "devicelist/device_table.h"

#include "devicelist/device_export.h"
#include "devicelist/display_pattern.h"
#include "devicelist/header_format.h"
#include "devicelist/visible_text.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

qsizetype digitCount(const QString &text)
{
    return std::count_if(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// The received value where it is not the shown one, else nothing to keep.
QString unlessShown(const QString &received, const QString &shown)
{
    return received == shown ? QString() : received;
}

} // namespace

const QString DeviceTable::HeaderFormat = QStringLiteral(
    "<#  |<IP Address          |<Serial Number          |<MAC Address         "
    "|< SW Version      |Description                ");

QString DeviceTable::displayPattern(Column column)
{
    switch (column) {
    case IpColumn:
        return u"###,###,###,###"_s;
    case SerialColumn:
        return u"####-####-####"_s;
    case MacColumn:
        return u"##-##-##-##_##-##"_s;
    case VersionColumn:
        return u"###.###.###.###.###"_s;
    case NumberColumn:
    case DescriptionColumn:
    case ColumnCount:
        break;
    }
    return {};
}

QString DeviceTable::shownCell(Column column, const QString &received, const QLocale &locale)
{
    const QString pattern = displayPattern(column);
    if (pattern.isEmpty())
        return received;
    const QString formatted = formatPattern(received, pattern, locale);
    // A MAC address is an identifier: where its display pattern would drop
    // digits (the leading zeros of "001122334455" read as a number), the
    // address is shown as it came.
    if (column == MacColumn && digitCount(formatted) != digitCount(received))
        return received;
    return formatted;
}

bool DeviceTable::isInUse(const QModelIndex &index)
{
    return index.isValid()
            && (isInUse(index.siblingAtColumn(MacColumn).data().toString())
                || index.data(DeviceRoles::Listed).toBool());
}

DeviceTable::DeviceTable(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void DeviceTable::setHeaderFormat(const QString &format)
{
    const QList<HeaderSegment> segments = headerSegments(format);
    // Rows store six cells; a longer format has nowhere to put the rest.
    const int count = static_cast<int>(std::min<qsizetype>(segments.size(), ColumnCount));
    if (count < m_columnCount) {
        beginRemoveColumns({}, count, m_columnCount - 1);
        m_columnCount = count;
        endRemoveColumns();
    } else if (count > m_columnCount) {
        beginInsertColumns({}, m_columnCount, count - 1);
        m_columnCount = count;
        endInsertColumns();
    }

    for (int c = 0; c < ColumnCount; ++c) {
        const HeaderSegment segment = c < count ? segments[c] : HeaderSegment();
        m_headerTexts[c] = segment.text;
        m_alignments[c] = segment.leftAligned ? Qt::AlignLeft | Qt::AlignVCenter : Qt::Alignment();
    }
    emit headerDataChanged(Qt::Horizontal, 0, m_columnCount - 1);
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, m_columnCount - 1), {Qt::TextAlignmentRole});
}

QString DeviceTable::headerText(int column) const
{
    return column >= 0 && column < m_columnCount ? m_headerTexts[column] : QString();
}

Qt::Alignment DeviceTable::columnAlignment(int column) const
{
    return column >= 0 && column < m_columnCount ? m_alignments[column] : Qt::Alignment();
}

void DeviceTable::setLocale(const QLocale &locale)
{
    m_locale = locale;
}

QLocale DeviceTable::locale() const
{
    return m_locale;
}

int DeviceTable::tableRowCount() const
{
    return static_cast<int>(m_rows.size()) + 1;
}

QString DeviceTable::cellText(int row, int column) const
{
    if (row == 0)
        return headerText(column);
    if (row < 1 || row > m_rows.size() || column < 0 || column >= m_columnCount)
        return {};
    return m_rows[row - 1].cell(column);
}

void DeviceTable::setCellText(int row, int column, const QString &text)
{
    if (column < 0 || column >= m_columnCount)
        return;
    if (row == 0) {
        m_headerTexts[column] = text;
        emit headerDataChanged(Qt::Horizontal, column, column);
        return;
    }
    if (row < 1 || row > m_rows.size())
        return;

    const qsizetype r = row - 1;
    PackedRow &target = m_rows[r];
    const bool wasBlank = target.isBlank();
    target.setCell(column, text);
    // A value set by hand is its own received value.
    if (const int received = receivedCell(column); received >= 0)
        target.setCell(received, QString());
    m_nonBlankRows += (wasBlank ? 1 : 0) - (target.isBlank() ? 1 : 0);
    if (column == MacColumn && text.isEmpty() && r < m_freeHint)
        m_freeHint = r;
    emit dataChanged(index(static_cast<int>(r), column), index(static_cast<int>(r), column));
}

void DeviceTable::addEmptyRow()
{
    if (m_rows.size() >= DeviceRecord::MaxDevices)
        return;
    const int r = static_cast<int>(m_rows.size());
    beginInsertRows({}, r, r);
    m_rows.append(PackedRow());
    m_origins.append(ReplyOrigin());
    endInsertRows();
}

void DeviceTable::removeDataRow(int row)
{
    if (row < 1 || row > m_rows.size())
        return;
    const int r = row - 1;
    beginRemoveRows({}, r, r);
    // The rows below move up, so the marks no longer name the right rows.
    m_marks.clear();
    if (!m_rows[r].isBlank())
        --m_nonBlankRows;
    if (r < m_freeHint)
        --m_freeHint;
    m_rows.remove(r);
    m_origins.remove(r);
    endRemoveRows();
}

bool DeviceTable::cellIsShortened(int row, int column) const
{
    if (row < 1 || row > m_rows.size() || column < 0 || column >= m_columnCount)
        return false;
    return m_rows[row - 1].cellIsShortened(column);
}

int DeviceTable::receivedCell(int column)
{
    switch (column) {
    case SerialColumn: return ColumnCount;
    case MacColumn: return ColumnCount + 1;
    default: return -1;
    }
}

QString DeviceTable::receivedText(int row, int column) const
{
    if (row < 1 || row > m_rows.size() || column < 0 || column >= m_columnCount)
        return {};
    const PackedRow &stored = m_rows[row - 1];
    const int received = receivedCell(column);
    return received < 0 || stored.cellView(received).isEmpty() ? stored.cell(column) : stored.cell(received);
}

qsizetype DeviceTable::firstFreeRow() const
{
    while (m_freeHint < m_rows.size() && isInUse(m_rows[m_freeHint].cellView(MacColumn)))
        ++m_freeHint;
    return m_freeHint;
}

QString DeviceTable::otherSubnetNote(const QString &interfaceName)
{
    return tr("Another subnet: this address is outside every subnet of %1, the interface its reply came in on, "
              "so this computer has no route to it and its web page will not open from here. "
              "\"Copy command to reach it\" gives this computer an address beside it, assuming a /24: "
              "the reply does not tell the device's own prefix.")
            .arg(interfaceName);
}

ReplyOrigin DeviceTable::replyOrigin(int row) const
{
    return row < 1 || row > m_origins.size() ? ReplyOrigin{} : m_origins[row - 1];
}

DeviceRecord DeviceTable::device(int row) const
{
    DeviceRecord::Fields received;
    for (int f = 0; f < DeviceRecord::FieldCount; ++f)
        received[f] = receivedText(row, columnOf(DeviceRecord::Field(f)));
    return DeviceRecord(received, replyOrigin(row));
}

bool DeviceTable::fillDeviceRow(const DeviceReply &reply, const QString &senderAddress, const ReplyOrigin &origin)
{
    const qsizetype free = firstFreeRow();
    const bool adding = free == m_rows.size();
    if (adding && m_rows.size() >= DeviceRecord::MaxDevices)
        return false;

    const int r = static_cast<int>(free);
    const QString serial = shownCell(SerialColumn, reply.serialNumber, m_locale);
    const QString mac = shownCell(MacColumn, reply.macAddress, m_locale);
    const PackedRow row({
        QString::number(r + 1),
        shownCell(IpColumn, senderAddress, m_locale),
        serial,
        mac,
        shownCell(VersionColumn, reply.swVersion, m_locale),
        reply.description,
        unlessShown(reply.serialNumber, serial),
        unlessShown(reply.macAddress, mac),
    });
    // Noted before the change signals, so views read the row with its mark.
    m_marks.note(r, senderAddress, reply.macAddress);
    if (adding) {
        beginInsertRows({}, r, r);
        m_rows.append(row);
        m_origins.append(origin);
        ++m_nonBlankRows;
        endInsertRows();
    } else {
        if (m_rows[r].isBlank())
            ++m_nonBlankRows;
        m_rows[r] = row;
        m_origins[r] = origin;
        emit dataChanged(index(r, 0), index(r, columnCount() - 1));
    }
    return true;
}

void DeviceTable::emptyRows()
{
    // The rows in use from row 1 on are the ones that go; the rest move up
    // and as many empty rows come in at the bottom.
    const qsizetype used = firstFreeRow();
    m_marks.clear();
    if (used == 0)
        return;

    if (m_nonBlankRows == used) {
        // Nothing below the block holds text, so the result is all blank.
        for (qsizetype r = 0; r < used; ++r) {
            m_rows[r] = PackedRow();
            m_origins[r] = {};
        }
        m_nonBlankRows = 0;
        m_freeHint = 0;
        emit dataChanged(index(0, 0), index(static_cast<int>(used) - 1, columnCount() - 1));
        return;
    }

    beginResetModel();
    std::rotate(m_rows.begin(), m_rows.begin() + used, m_rows.end());
    std::rotate(m_origins.begin(), m_origins.begin() + used, m_origins.end());
    for (qsizetype r = m_rows.size() - used; r < m_rows.size(); ++r) {
        m_rows[r] = PackedRow();
        m_origins[r] = {};
    }
    m_nonBlankRows -= used;
    m_freeHint = 0;
    endResetModel();
}

int DeviceTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int DeviceTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columnCount + (m_originColumnsShown ? OriginColumnCount : 0);
}

void DeviceTable::setOriginColumnsShown(bool shown)
{
    if (shown == m_originColumnsShown)
        return;
    if (shown) {
        beginInsertColumns({}, m_columnCount, m_columnCount + OriginColumnCount - 1);
        m_originColumnsShown = true;
        endInsertColumns();
    } else {
        beginRemoveColumns({}, m_columnCount, m_columnCount + OriginColumnCount - 1);
        m_originColumnsShown = false;
        endRemoveColumns();
    }
}

int DeviceTable::originColumnAt(int column) const
{
    const int origin = column - m_columnCount;
    return m_originColumnsShown && origin >= 0 && origin < OriginColumnCount ? origin : -1;
}

QString DeviceTable::originHeaderText(OriginColumn column) const
{
    return column == InterfaceOriginColumn ? tr("Interface") : tr("Time of reply");
}

QVariant DeviceTable::originData(int row, int originColumn, int role) const
{
    const ReplyOrigin &origin = m_origins[row];
    switch (role) {
    case Qt::DisplayRole:
    case DeviceRoles::ReceivedText:
        if (originColumn == InterfaceOriginColumn)
            return origin.interfaceName;
        return origin.time.isValid() ? origin.time.toLocalTime().toString(u"yyyy-MM-dd HH:mm:ss.zzz"_s) : QString();
    case Qt::TextAlignmentRole:
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    case DeviceRoles::Interface:
        return origin.interfaceName;
    case DeviceRoles::ArrivalTime:
        return origin.time;
    case DeviceRoles::OtherSubnet:
        return origin.otherSubnet;
    default:
        // The row's marks (tint, kinds) span these cells too.
        return role == Qt::ToolTipRole || role == Qt::AccessibleDescriptionRole ? QVariant()
                                                                                 : m_marks.data(row, role);
    }
}

QVariant DeviceTable::alignmentData(int column) const
{
    const Qt::Alignment alignment = columnAlignment(column);
    return alignment ? QVariant(static_cast<int>(alignment)) : QVariant();
}

QVariant DeviceTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    if (const int origin = originColumnAt(index.column()); origin >= 0)
        return originData(index.row(), origin, role);
    if (index.column() >= m_columnCount)
        return {};
    const PackedRow &row = m_rows[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return row.cell(index.column());
    case Qt::TextAlignmentRole:
        return alignmentData(index.column());
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: {
        // A row's mark, a cell's shortening and the digits its pattern
        // dropped can all apply; say each.
        QStringList notes;
        if (const QString mark = m_marks.data(index.row(), role).toString(); !mark.isEmpty())
            notes << mark;
        if (index.column() == IpColumn && m_origins[index.row()].otherSubnet)
            notes << otherSubnetNote(m_origins[index.row()].interfaceName);
        if (row.cellIsShortened(index.column()))
            notes << tr("Shortened: only the first %1 characters are kept.").arg(PackedRow::MaxCellLength);
        const QString shown = row.cell(index.column());
        const QString received = receivedText(index.row() + 1, index.column());
        if (digitCount(received) != digitCount(shown))
            notes << tr("Received: %1").arg(visibleText(DeviceExport::withoutTrailingLineBreaks(received)));
        return notes.isEmpty() ? QVariant() : QVariant(notes.join(u'\n'));
    }
    case DeviceRoles::ReceivedText:
        return receivedText(index.row() + 1, index.column());
    case DeviceRoles::Interface:
        return m_origins[index.row()].interfaceName;
    case DeviceRoles::ArrivalTime:
        return m_origins[index.row()].time;
    case DeviceRoles::OtherSubnet:
        return m_origins[index.row()].otherSubnet;
    case Qt::AccessibleTextRole:
        // Unset, screen readers read the display text as it is.
        if (row.cellIsShortened(index.column()))
            return row.cell(index.column()) + u" (shortened)"_s;
        return {};
    default:
        return m_marks.data(index.row(), role);
    }
}

QVariant DeviceTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (const int origin = originColumnAt(section); origin >= 0) {
        if (role == Qt::DisplayRole)
            return originHeaderText(OriginColumn(origin));
        if (role == DeviceRoles::OriginColumn)
            return origin;
        return role == Qt::TextAlignmentRole ? QVariant(int(Qt::AlignLeft | Qt::AlignVCenter)) : QVariant();
    }
    if (section < 0 || section >= m_columnCount)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_headerTexts[section];
    case Qt::TextAlignmentRole:
        return alignmentData(section);
    default:
        return {};
    }
}

Qt::ItemFlags DeviceTable::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
