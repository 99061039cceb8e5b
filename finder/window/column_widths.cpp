#include "finder/window/column_widths.h"

#include "devicelist/device_table.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// The widest values a column shows: its display pattern filled, and those
// values the pattern leaves as they came. "#" stands for any decimal digit,
// "X" for any hexadecimal one.
QStringList shapes(int column)
{
    QStringList shapes;
    switch (column) {
    case DeviceTable::NumberColumn:
        shapes << QString(QString::number(DeviceRecord::MaxDevices).size(), u'#');
        break;
    case DeviceTable::IpColumn:
        shapes << u"255.255.255.255"_s << u"###.###.###.###"_s;
        break;
    case DeviceTable::MacColumn:
        shapes << u"FF-FF-FF-FF-FF-FF"_s << u"XX-XX-XX-XX-XX-XX"_s;
        break;
    default:
        break;
    }
    if (column >= 0 && column < DeviceTable::ColumnCount)
        shapes << DeviceTable::displayPattern(static_cast<DeviceTable::Column>(column));
    return shapes;
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
        if (text.isEmpty())
            continue;
        text.replace(u'#', digit).replace(u'X', hexDigit);
        width = std::max({width, metrics.horizontalAdvance(text), metrics.boundingRect(text).width()});
    }
    return width;
}

QList<int> headerSectionWidths(QHeaderView &header)
{
    const bool shown = header.isSortIndicatorShown();
    QList<int> withArrow, without;
    for (const bool arrow : {true, false}) {
        header.setSortIndicatorShown(arrow);
        for (int section = 0; section < header.count(); ++section)
            (arrow ? withArrow : without) << header.sectionSizeHint(section);
    }
    header.setSortIndicatorShown(shown);
    const QFontMetrics metrics(header.font());
    QList<int> widths;
    for (int section = 0; section < header.count(); ++section) {
        const QString text = header.model() ? header.model()->headerData(section, Qt::Horizontal).toString() : QString();
        const int spaces = metrics.horizontalAdvance(text) - metrics.horizontalAdvance(text.trimmed());
        widths << std::max(without[section], withArrow[section] - spaces);
    }
    return widths;
}
