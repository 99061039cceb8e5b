#include "devicelist/csv_reader.h"

#include "devicelist/device_export.h"

std::optional<QStringList> CsvReader::next()
{
    QStringList fields;
    for (;;) {
        QString field;
        bool quoted = false;
        if (m_pos < m_text.size() && m_text[m_pos] == u'"') {
            quoted = true;
            ++m_pos;
            for (;;) {
                if (m_pos >= m_text.size())
                    return std::nullopt;
                const QChar c = m_text[m_pos++];
                if (c == u'"') {
                    if (m_pos < m_text.size() && m_text[m_pos] == u'"') {
                        field += u'"';
                        ++m_pos;
                        continue;
                    }
                    break;
                }
                if (c == u'\n')
                    ++m_line;
                field += c;
            }
        }
        // Unquoted text, or whatever follows a closing quote.
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos] != u',' && m_text[m_pos] != u'\n')
            ++m_pos;
        field += QStringView(m_text).sliced(start, m_pos - start);
        if (field.endsWith(u'\r'))
            field.chop(1);
        if (quoted && field.size() > 1 && field.front() == u'\'' && DeviceExport::isFormulaStart(field[1]))
            field.remove(0, 1);
        fields << field;
        if (m_pos >= m_text.size())
            return fields;
        if (m_text[m_pos++] == u'\n') {
            ++m_line;
            return fields;
        }
    }
}
