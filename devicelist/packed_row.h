#pragma once

#include <QString>

#include <array>
#include <cstdint>

// One table row of eight cells (the six shown, then the serial and MAC as
// received where they differ from the shown ones) kept as a single string
// with the end offset of each cell: 48 bytes a row however many rows there
// are, one allocation for a filled row and none for an empty one.
//
// A cell keeps at most MaxCellLength characters of its text, then an
// ellipsis: one host on the LAN must not be able to fill memory with long
// values, 32,767 rows of them.
class PackedRow
{
public:
    static constexpr int CellCount = 8;
    static constexpr qsizetype MaxCellLength = 256;
    static constexpr QChar Ellipsis = QChar(u'\u2026');
    using Cells = std::array<QString, CellCount>;

    // text as a cell keeps it: whole, or its first MaxCellLength characters
    // (never half a surrogate pair) and an ellipsis.
    static QString bounded(const QString &text);

    PackedRow() = default;
    explicit PackedRow(const Cells &cells);

    // The stored text: the whole value, or its first MaxCellLength
    // characters and an ellipsis when it was shortened.
    QString cell(int column) const;
    QStringView cellView(int column) const { return QStringView(m_text).sliced(cellStart(column), cellLength(column)); }
    bool cellIsShortened(int column) const { return (m_shortened >> column) & 1u; }
    bool isBlank() const { return m_text.isEmpty(); }
    void setCell(int column, const QString &text);

private:
    qsizetype cellStart(int column) const { return column == 0 ? 0 : m_end[column - 1]; }
    qsizetype cellLength(int column) const { return m_end[column] - cellStart(column); }
    // The part of text that is stored, without the ellipsis.
    static QStringView storedPart(const QString &text);

    QString m_text;
    // Cells are bounded, so 16-bit offsets suffice.
    std::array<std::uint16_t, CellCount> m_end{};
    std::uint8_t m_shortened = 0;
};

static_assert((PackedRow::MaxCellLength + 1) * PackedRow::CellCount < 0xffff);
