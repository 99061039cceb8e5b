#include "visible_text.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

bool isHidden(QChar c)
{
    switch (c.category()) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

QString escape(char32_t code)
{
    return u"<U+%1>"_s.arg(static_cast<uint>(code), 4, 16, QChar(u'0')).toUpper();
}

} // namespace

QString visibleText(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && isLineBreak(text.at(end - 1)))
        --end;
    const QStringView value = QStringView(text).first(end);
    const auto plain = [](QChar c) { return !isHidden(c) && !c.isSurrogate(); };
    if (end == text.size() && std::all_of(value.cbegin(), value.cend(), plain))
        return text;

    QString shown;
    shown.reserve(value.size() + 16);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c.isHighSurrogate() && i + 1 < value.size() && value.at(i + 1).isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(c, value.at(i + 1));
            // Tag characters and the like are format characters too.
            if (QChar::category(code) == QChar::Other_Format)
                shown += escape(code);
            else
                shown.append(value.sliced(i, 2));
            ++i;
        } else if (c.isSurrogate() || isHidden(c)) {
            shown += escape(c.unicode());
        } else {
            shown += c;
        }
    }
    return shown;
}
