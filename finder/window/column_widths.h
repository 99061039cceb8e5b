#pragma once

class QFontMetrics;

// Pixels the text of the widest value a device table column can hold takes
// in the given font: the row number up to the table's row limit,
// 255.255.255.255, the column's display pattern filled, FF-FF-FF-FF-FF-FF.
// 0 for columns whose values have no bound (the description).
int widestValueWidth(const QFontMetrics &metrics, int column);
