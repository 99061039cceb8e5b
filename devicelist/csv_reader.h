#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Records of an RFC 4180 file; LF or CRLF line ends, quoted fields may hold
// line breaks. The leading apostrophe the finder's own CSV puts before a
// formula-like quoted field is taken off again.
class CsvReader
{
public:
    explicit CsvReader(const QString &text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    int line() const { return m_line; }
    // The record starting at the current line; nullopt for an unclosed quote.
    std::optional<QStringList> next();

private:
    const QString &m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
};
