#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Records of an RFC 4180 file, with the delimiter the file uses; LF or CRLF
// line ends, quoted fields may hold line breaks. The leading apostrophe the
// finder's own CSV puts before a formula-like quoted field is taken off
// again. A record is bounded in fields and characters, so one hostile line
// cannot fill memory.
class CsvReader
{
public:
    static constexpr qsizetype MaxFields = 1024;
    static constexpr qsizetype MaxRecordLength = 64 * 1024;
    // The delimiters people's tools write, in the order ties go.
    static constexpr QChar Delimiters[] = {u'\t', u';', u','};

    enum class Error { None, OpenQuote, TooManyFields, TooLong };

    explicit CsvReader(const QString &text, QChar delimiter = u',') : m_text(text), m_delimiter(delimiter) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    int line() const { return m_line; }
    void setDelimiter(QChar delimiter) { m_delimiter = delimiter; }
    QChar delimiter() const { return m_delimiter; }

    // The record starting at the current line; nullopt and error() set when
    // it is not one.
    std::optional<QStringList> next();
    Error error() const { return m_error; }
    // "a quoted field is not closed." and the like, without the line.
    QString errorText() const;
    // "Line 3: " and text: how a message names a record.
    static QString atLine(qsizetype line, const QString &text);
    // Nothing but spaces in any field: a line to skip.
    static bool isBlank(const QStringList &fields);

    // The delimiter the physical line at the current position uses most,
    // outside quotes; a comma when it has none.
    QChar likelyDelimiter() const;

    // Where the reader is, to read a record again with another delimiter.
    struct Mark
    {
        qsizetype pos = 0;
        int line = 1;
    };
    Mark mark() const { return {m_pos, m_line}; }
    void reset(Mark mark)
    {
        m_pos = mark.pos;
        m_line = mark.line;
        m_error = Error::None;
    }

private:
    bool readQuoted(QString &field, qsizetype limit);
    std::optional<QStringList> fail(Error error);

    const QString &m_text;
    QChar m_delimiter;
    qsizetype m_pos = 0;
    int m_line = 1;
    Error m_error = Error::None;
};
