#include "single_line_delegate.h"

#include <algorithm>

namespace {

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

} // namespace

QString SingleLineDelegate::displayText(const QVariant &value, const QLocale &locale) const
{
    QString text = QStyledItemDelegate::displayText(value, locale);
    if (std::none_of(text.cbegin(), text.cend(), isLineBreak))
        return text;
    qsizetype end = text.size();
    while (end > 0 && isLineBreak(text.at(end - 1)))
        --end;
    text.truncate(end);
    std::replace_if(text.begin(), text.end(), isLineBreak, u' ');
    return text;
}
