#pragma once

#include "discovery_messages.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QList>
#include <QString>

#include <array>

// The list of found devices. Row numbering follows the grid it stands for:
// row 0 is the header row (shown by the view's horizontal header, not stored
// as a model row), data rows are 1 .. tableRowCount() - 1. Data row r is model
// row r - 1.
class DeviceTable : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int COLUMN_COUNT = 6;
    static constexpr int MAC_COLUMN = 3;
    // The 16-bit row index cannot address more data rows than this.
    static constexpr int MAX_DATA_ROWS = 32767;

    static const QString HEADER_FORMAT;

    explicit DeviceTable(QObject *parent = nullptr);

    // Font used to size the columns to their header texts.
    void setFont(const QFont &font);
    QFont font() const;

    // Segments split on "|", a leading "<" means left alignment and is not shown.
    void setHeaderFormat(const QString &format);
    QString headerText(int column) const;
    int columnWidth(int column) const;  // pixels, in font()
    Qt::Alignment columnAlignment(int column) const;

    // Rows counted with the header, as the grid counts them.
    int tableRowCount() const;
    QString cellText(int row, int column) const;
    void setCellText(int row, int column, const QString &text);
    void addEmptyRow();
    void removeDataRow(int row);
    void repaint();

    // Writes the reply into the first free row. Returns false, writing
    // nothing, when the table is full and no row is free.
    bool fillDeviceRow(const DeviceReply &reply, const QString &senderAddress);
    // Frees every row in use; the row count stays as it was.
    void emptyRows();

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    using Row = std::array<QString, COLUMN_COUNT>;
    // (implementation detail left to the module)
};
