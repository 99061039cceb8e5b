#include "column_widths.h"

#include <QFontMetrics>
#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// "#" stands for any decimal digit, "X" for any hexadecimal one.
QStringList shapes(int column)
{
    switch (column) {
    case 0:
        return {u"#####"_s};
    case 1:
        return {u"255.255.255.255"_s, u"###.###.###.###"_s};
    case 2:
        return {u"####-####-####"_s};
    case 3:
        return {u"FF-FF-FF-FF-FF-FF"_s, u"XX-XX-XX-XX-XX-XX"_s, u"##-##-##-##_##-##"_s};
    case 4:
        return {u"###.###.###.###.###"_s};
    default:
        return {};
    }
}

QChar widest(const QFontMetrics &metrics, QStringView candidates)
{
    return *std::max_element(candidates.cbegin(), candidates.cend(), [&metrics](QChar a, QChar b) {
        return metrics.horizontalAdvance(a) < metrics.horizontalAdvance(b);
    });
}

} // namespace

int widestValueWidth(const QFontMetrics &metrics, int column)
{
    const QChar digit = widest(metrics, u"0123456789");
    const QChar hexDigit = widest(metrics, u"0123456789ABCDEFabcdef");
    int width = 0;
    for (QString text : shapes(column)) {
        text.replace(u'#', digit).replace(u'X', hexDigit);
        width = std::max({width, metrics.horizontalAdvance(text), metrics.boundingRect(text).width()});
    }
    return width;
}
