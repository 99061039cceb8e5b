#include "devicelist/visible_text.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString drawnEscape(char32_t code)
{
    return u"<U+%1>"_s.arg(static_cast<uint>(code), 4, 16, QChar(u'0')).toUpper();
}

} // namespace

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

QStringView leadingPart(QStringView text, qsizetype length)
{
    if (text.size() <= length)
        return text;
    if (length > 0 && text.at(length - 1).isHighSurrogate())
        --length;
    return text.first(length);
}

bool isShownAsEscape(char32_t code)
{
    switch (QChar::category(code)) {
    case QChar::Other_Control:
    case QChar::Other_Format:  // outside the BMP too: tag characters and the like
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

QString withEscapes(QStringView text, QString (*escape)(char32_t code))
{
    QString out;
    qsizetype plainFrom = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool pair = c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const char32_t code = pair ? QChar::surrogateToUcs4(c, text.at(i + 1)) : c.unicode();
        if (isShownAsEscape(code)) {
            out += text.sliced(plainFrom, i - plainFrom);
            out += escape(code);
            plainFrom = i + (pair ? 2 : 1);
        }
        if (pair)
            ++i;
    }
    if (plainFrom == 0)
        return text.toString();
    out += text.sliced(plainFrom);
    return out;
}

QString visibleText(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && isLineBreak(text.at(end - 1)))
        --end;
    // Most text has nothing to escape: share it. A surrogate pair takes the
    // slow path, which looks at whole code points.
    const auto plain = [](QChar c) { return !isShownAsEscape(c.unicode()); };
    if (end == text.size() && std::all_of(text.cbegin(), text.cend(), plain))
        return text;
    return withEscapes(QStringView(text).first(end), drawnEscape);
}
