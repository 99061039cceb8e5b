#pragma once

#include <QList>

class QFontMetrics;

// Pixels the text of the widest value a device table column can hold takes
// in the given font: the row number up to the table's row limit,
// 255.255.255.255, the column's display pattern filled, FF-FF-FF-FF-FF-FF.
// 0 for columns whose values have no bound (the description).
int widestValueWidth(const QFontMetrics &metrics, int column);

class QHeaderView;

// Pixels each section of a horizontal header needs for its text whole and,
// beside its words, the sort arrow: the spaces a header text ends with (the
// table's header format pads each word) give the arrow its room where they
// are wide enough, so the designed widths stay.
QList<int> headerSectionWidths(QHeaderView &header);
