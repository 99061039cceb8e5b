#include "devicelist/csv_reader.h"

#include "devicelist/device_export.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <iterator>

using namespace Qt::StringLiterals;

std::optional<QStringList> CsvReader::next()
{
    const qsizetype limit = std::min(m_text.size(), m_pos + MaxRecordLength);
    QStringList fields;
    for (;;) {
        QString field;
        bool quoted = false;
        if (m_pos < m_text.size() && m_text[m_pos] == u'"') {
            quoted = true;
            ++m_pos;
            if (!readQuoted(field, limit))
                return fail(m_pos >= m_text.size() ? Error::OpenQuote : Error::TooLong);
        }
        // Unquoted text, or whatever follows a closing quote.
        const qsizetype start = m_pos;
        while (m_pos < limit && m_text[m_pos] != m_delimiter && m_text[m_pos] != u'\n')
            ++m_pos;
        if (m_pos == limit && limit < m_text.size())
            return fail(Error::TooLong);
        field += QStringView(m_text).sliced(start, m_pos - start);
        if (field.endsWith(u'\r'))
            field.chop(1);
        if (quoted && field.size() > 1 && field.front() == u'\'' && DeviceExport::isFormulaStart(field[1]))
            field.remove(0, 1);
        if (fields.size() == MaxFields)
            return fail(Error::TooManyFields);
        fields << field;
        if (m_pos >= m_text.size())
            return fields;
        if (m_text[m_pos++] == u'\n') {
            ++m_line;
            return fields;
        }
    }
}

// Up to the closing quote, which it consumes; false when limit comes first.
bool CsvReader::readQuoted(QString &field, qsizetype limit)
{
    while (m_pos < limit) {
        const qsizetype quote = QStringView(m_text).sliced(m_pos, limit - m_pos).indexOf(u'"');
        const qsizetype end = quote < 0 ? limit : m_pos + quote;
        const QStringView part = QStringView(m_text).sliced(m_pos, end - m_pos);
        m_line += int(part.count(u'\n'));
        field += part;
        m_pos = end;
        if (quote < 0)
            return false;
        ++m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == u'"') {
            field += u'"';
            ++m_pos;
            continue;
        }
        return true;
    }
    return false;
}

std::optional<QStringList> CsvReader::fail(Error error)
{
    m_error = error;
    return std::nullopt;
}

QString CsvReader::errorText() const
{
    const QLocale english(QLocale::English);
    switch (m_error) {
    case Error::None: return {};
    case Error::OpenQuote: return u"a quoted field is not closed."_s;
    case Error::TooManyFields: return u"more than %1 fields in one row."_s.arg(english.toString(MaxFields));
    case Error::TooLong:
        return u"a row longer than %1 characters, or a quoted field that is not closed."_s.arg(
                english.toString(MaxRecordLength));
    }
    return {};
}

QString CsvReader::atLine(qsizetype line, const QString &text)
{
    return u"Line %1: %2"_s.arg(line).arg(text);
}

bool CsvReader::isBlank(const QStringList &fields)
{
    return std::all_of(fields.cbegin(), fields.cend(), [](const QString &f) { return f.trimmed().isEmpty(); });
}

QChar CsvReader::likelyDelimiter() const
{
    std::array<qsizetype, std::size(Delimiters)> counts{};
    bool quoted = false;
    const qsizetype end = std::min(m_text.size(), m_pos + MaxRecordLength);
    for (qsizetype i = m_pos; i < end && (quoted || m_text[i] != u'\n'); ++i) {
        const QChar c = m_text[i];
        if (c == u'"')
            quoted = !quoted;
        for (std::size_t d = 0; d < counts.size(); ++d)
            counts[d] += !quoted && c == Delimiters[d];
    }
    const auto most = std::max_element(counts.cbegin(), counts.cend());
    return *most > 0 ? Delimiters[most - counts.cbegin()] : u',';
}
