#include "packed_row.h"

PackedRow::PackedRow(const Cells &cells)
{
    qsizetype total = 0;
    for (const QString &cell : cells)
        total += cell.size();
    if (total == 0)
        return;
    m_text.reserve(total);
    for (int c = 0; c < CellCount; ++c) {
        m_text.append(cells[c]);
        m_end[c] = static_cast<std::uint32_t>(m_text.size());
    }
}

QString PackedRow::cell(int column) const
{
    const qsizetype length = cellLength(column);
    return length == 0 ? QString() : m_text.sliced(cellStart(column), length);
}

void PackedRow::setCell(int column, const QString &text)
{
    const qsizetype delta = text.size() - cellLength(column);
    m_text.replace(cellStart(column), cellLength(column), text);
    for (int c = column; c < CellCount; ++c)
        m_end[c] = static_cast<std::uint32_t>(m_end[c] + delta);
    if (m_text.isEmpty())
        m_text = QString();  // a blank row holds no allocation
}
