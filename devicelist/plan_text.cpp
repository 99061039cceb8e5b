#include "devicelist/plan_text.h"

#include "devicelist/csv_reader.h"

#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace PlanText {
namespace {

QString saveAsUtf8()
{
    return u"Save it as \"CSV UTF-8 (Comma delimited)\" in Excel, or as Text CSV with the character set "
           u"\"Unicode (UTF-8)\" in LibreOffice."_s;
}

// The line of the first line that does not decode: a character never
// spans a line break, so each line decodes on its own.
qsizetype firstBadLine(QByteArrayView bytes)
{
    qsizetype line = 1;
    for (qsizetype start = 0; start < bytes.size(); ++line) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        [[maybe_unused]] const QString text = decoder.decode(bytes.sliced(start, end - start));
        if (decoder.hasError())
            return line;
        start = end + 1;
    }
    return line;
}

Decoded utf16(QByteArrayView bytes, QStringDecoder::Encoding encoding)
{
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError() || bytes.size() % 2 != 0)
        return {{}, u"The text is not valid UTF-16. "_s + saveAsUtf8()};
    return {std::move(text), {}};
}

} // namespace

Decoded decode(const QByteArray &bytes)
{
    // ZIP (.xlsx, .ods) and OLE (.xls) files, whatever their name.
    if (bytes.startsWith("PK\x03\x04") || bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return {{}, spreadsheetAdvice()};
    if (bytes.startsWith("\xFF\xFE"))
        return utf16(QByteArrayView(bytes).sliced(2), QStringDecoder::Utf16LE);
    if (bytes.startsWith("\xFE\xFF"))
        return utf16(QByteArrayView(bytes).sliced(2), QStringDecoder::Utf16BE);

    const QByteArrayView utf8 = bytes.startsWith("\xEF\xBB\xBF") ? QByteArrayView(bytes).sliced(3) : bytes;
    if (const qsizetype nul = utf8.indexOf('\0'); nul >= 0) {
        return {{}, CsvReader::atLine(utf8.first(nul).count('\n') + 1,
                              u"the text holds NUL characters: it is UTF-16 without a byte order mark, or not "
                              u"text at all. "_s + saveAsUtf8())};
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(utf8);
    if (decoder.hasError()) {
        return {{}, CsvReader::atLine(firstBadLine(utf8),
                              u"the text is not UTF-8. It may be Windows-1252 (\"ANSI\") or another code page. "_s
                                      + saveAsUtf8())};
    }
    return {std::move(text), {}};
}

bool hasSpreadsheetName(const QString &path)
{
    for (const QStringView suffix : {u".xlsx", u".xlsm", u".xls", u".ods"}) {
        if (path.endsWith(suffix, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString spreadsheetAdvice()
{
    return u"This is a spreadsheet, not a CSV file. Save it as CSV: \"CSV UTF-8 (Comma delimited)\" in Excel, "
           u"\"Text CSV\" in LibreOffice. On the command line, xlsx2csv from Debian's package of that name "
           u"converts an .xlsx file: xlsx2csv plan.xlsx plan.csv"_s;
}

} // namespace PlanText
