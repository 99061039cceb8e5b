#include "devicelist/packed_row.h"

#include "devicelist/visible_text.h"

QStringView PackedRow::storedPart(const QString &text)
{
    return leadingPart(text, MaxCellLength);
}

QString PackedRow::bounded(const QString &text)
{
    if (text.size() <= MaxCellLength)
        return text;
    return storedPart(text).toString() + Ellipsis;
}

PackedRow::PackedRow(const Cells &cells)
{
    qsizetype total = 0;
    for (const QString &cell : cells)
        total += storedPart(cell).size() + (cell.size() > MaxCellLength ? 1 : 0);
    if (total == 0)
        return;
    m_text.reserve(total);
    for (int c = 0; c < CellCount; ++c) {
        m_text.append(storedPart(cells[c]));
        if (cells[c].size() > MaxCellLength) {
            m_text.append(Ellipsis);
            m_shortened |= std::uint8_t(1u << c);
        }
        m_end[c] = static_cast<std::uint16_t>(m_text.size());
    }
}

QString PackedRow::cell(int column) const
{
    const qsizetype length = cellLength(column);
    return length == 0 ? QString() : m_text.sliced(cellStart(column), length);
}

void PackedRow::setCell(int column, const QString &text)
{
    const QString stored = bounded(text);
    const bool shortened = text.size() > MaxCellLength;
    const qsizetype delta = stored.size() - cellLength(column);
    m_text.replace(cellStart(column), cellLength(column), stored);
    for (int c = column; c < CellCount; ++c)
        m_end[c] = static_cast<std::uint16_t>(m_end[c] + delta);
    m_shortened = std::uint8_t((m_shortened & ~(1u << column)) | (shortened ? 1u << column : 0u));
    if (m_text.isEmpty())
        m_text = QString();  // a blank row holds no allocation
}
