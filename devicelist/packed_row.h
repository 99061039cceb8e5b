#pragma once

#include <QString>

#include <array>
#include <cstdint>

// One table row of six cells kept as a single string with the end offset of
// each cell: 48 bytes a row however many rows there are, one allocation for
// a filled row and none for an empty one.
class PackedRow
{
public:
    static constexpr int CellCount = 6;
    using Cells = std::array<QString, CellCount>;

    PackedRow() = default;
    explicit PackedRow(const Cells &cells);

    QString cell(int column) const;
    bool cellIsEmpty(int column) const { return cellLength(column) == 0; }
    bool isBlank() const { return m_text.isEmpty(); }
    void setCell(int column, const QString &text);

private:
    qsizetype cellStart(int column) const { return column == 0 ? 0 : m_end[column - 1]; }
    qsizetype cellLength(int column) const { return m_end[column] - cellStart(column); }

    QString m_text;
    // A cell's text comes from one datagram, so 32-bit offsets suffice.
    std::array<std::uint32_t, CellCount> m_end{};
};
