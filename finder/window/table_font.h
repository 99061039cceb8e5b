#pragma once

#include <QFont>

// The Song (Ming) serif the table and the count label were laid out for;
// where none is installed, the nearest font with CJK glyphs (a CJK serif
// before any other); without one, the system's default serif.
QFont tableFont(qreal pointSize);
