#pragma once

#include "devicelist/answer_marks.h"
#include "devicelist/device_record.h"
#include "devicelist/device_roles.h"
#include "devicelist/device_sink.h"
#include "devicelist/packed_row.h"
#include "discovery/discovery_messages.h"

#include <QAbstractTableModel>
#include <QList>
#include <QLocale>
#include <QString>

#include <array>

// The list of found devices. Rows are numbered as the grid shows them:
// row 0 is the header row (shown by the view's horizontal header, not stored
// as a model row), data rows are 1 .. tableRowCount() - 1. Data row r is model
// row r - 1. Readers outside the grid take a row's device() rather than its
// cells.
class DeviceTable : public QAbstractTableModel, public DeviceSink
{
    Q_OBJECT

public:
    enum Column {
        NumberColumn,
        IpColumn,
        SerialColumn,
        MacColumn,
        VersionColumn,
        DescriptionColumn,
        ColumnCount
    };
    // The "#" display pattern a column's value is laid into (see
    // formatPattern()); empty for the columns shown as they came.
    static QString displayPattern(Column column);
    // A received value as its column shows it: through the column's
    // pattern, if it has one; a MAC address that the pattern would cut stays
    // as it came.
    static QString shownCell(Column column, const QString &received, const QLocale &locale);
    static Column columnOf(DeviceRecord::Field field) { return Column(int(field) + int(IpColumn)); }
    // Whether the row of index, in this table or in a proxy of it, is in use
    // (see the other isInUse()).
    static bool isInUse(const QModelIndex &index);

    static const QString HeaderFormat;

    explicit DeviceTable(QObject *parent = nullptr);

    // One column per segment (see headerSegments()), at most ColumnCount.
    void setHeaderFormat(const QString &format);
    QString headerText(int column) const;
    // Left | VCenter for "<" columns; empty where the view's default applies.
    Qt::Alignment columnAlignment(int column) const;

    // Locale of the display patterns' grouping, decimal point and minus sign.
    void setLocale(const QLocale &locale);
    QLocale locale() const;

    // Rows counted with the header, as the grid counts them.
    int tableRowCount() const;
    QString cellText(int row, int column) const;
    void setCellText(int row, int column, const QString &text);
    void addEmptyRow();
    void removeDataRow(int row);
    // Cells keep at most PackedRow::MaxCellLength characters of a value,
    // then an ellipsis; the tooltip and accessible texts say so.
    bool cellIsShortened(int row, int column) const;
    // The cell as the device sent it, before any display pattern: what
    // matching and exports use. The same as cellText() for all but the
    // serial and MAC columns. DeviceRoles::ReceivedText gives it to views
    // and proxies.
    QString receivedText(int row, int column) const;

    // Where and when a reply came in: kept beside the shown cells, which
    // stay the six columns; any cell of the row gives them under
    // DeviceRoles::Interface and ArrivalTime.
    ReplyOrigin replyOrigin(int row) const;
    // The device a filled row holds, as received, with its origin.
    DeviceRecord device(int row) const;

    // Two optional columns after the header format's, off by default: the
    // interface and the local time of each reply. Exports of the six
    // columns use the header format and never see them.
    enum OriginColumn { InterfaceOriginColumn, TimeOriginColumn, OriginColumnCount };
    void setOriginColumnsShown(bool shown);
    bool originColumnsShown() const { return m_originColumnsShown; }
    // The header of an origin column gives its OriginColumn under
    // DeviceRoles::OriginColumn, through any proxy; exports leave those
    // columns out. Every cell of a row whose ReplyOrigin::otherSubnet is set
    // gives true under DeviceRoles::OtherSubnet.
    // What the IP cell's tooltip says of such a row.
    static QString otherSubnetNote(const QString &interfaceName);
    static bool isOriginColumn(const QAbstractItemModel &model, int column)
    {
        return model.headerData(column, Qt::Horizontal, DeviceRoles::OriginColumn).isValid();
    }
    // The origin column a model column is, or -1.
    int originColumnAt(int column) const;
    QString originHeaderText(OriginColumn column) const;

    // Writes the reply into the first free row. Returns false, writing
    // nothing, when the table is full and no row is free.
    bool fillDeviceRow(const DeviceReply &reply, const QString &senderAddress, const ReplyOrigin &origin);
    bool fillDeviceRow(const DeviceReply &reply, const QString &senderAddress)
    {
        return fillDeviceRow(reply, senderAddress, ReplyOrigin());
    }
    // Frees every row in use; the row count stays as it was.
    void emptyRows();
    // Repeats and address conflicts among the rows filled since the last
    // emptying; data() gives them under DeviceRoles::AnswerKinds and in the
    // tooltip.
    const AnswerMarks &answerMarks() const { return m_marks; }

    // DeviceSink: the controller's start-up sets the header format, a
    // refresh empties the rows, an accepted reply fills one.
    void setUp() override { setHeaderFormat(HeaderFormat); }
    void clearDevices() override { emptyRows(); }
    bool takeDevice(const DeviceReply &reply, const QString &senderAddress, const ReplyOrigin &origin) override
    {
        return fillDeviceRow(reply, senderAddress, origin);
    }

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    // Past the shown cells: the received serial and MAC, empty when they
    // are the same as the shown ones.
    static_assert(PackedRow::CellCount == ColumnCount + 2);
    static int receivedCell(int column);

    // A row is in use when its MAC cell holds text; the others are free and
    // are filled first.
    static bool isInUse(QStringView macCell) { return !macCell.isEmpty(); }

    // Model index of the first row whose MAC cell is empty, or the model row
    // count when every row is in use.
    qsizetype firstFreeRow() const;
    QVariant alignmentData(int column) const;

    QList<PackedRow> m_rows;
    // One per row of m_rows, in the same order.
    QList<ReplyOrigin> m_origins;
    bool m_originColumnsShown = false;
    QVariant originData(int row, int originColumn, int role) const;
    int m_columnCount = ColumnCount;
    std::array<QString, ColumnCount> m_headerTexts;
    std::array<Qt::Alignment, ColumnCount> m_alignments{};
    QLocale m_locale;
    // Every model row before the hint is in use; the search for a free row
    // moves it forward. Fills keep the rows in use one block from the top, so
    // the search takes at most one step; setCellText and removeDataRow only
    // ever move the hint back.
    mutable qsizetype m_freeHint = 0;
    // Rows holding any text; when only the block in use does, emptying is
    // a clear in place.
    qsizetype m_nonBlankRows = 0;
    AnswerMarks m_marks;
};
