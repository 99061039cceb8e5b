#pragma once

#include <QFont>

// The Song (Ming) serif the table and the count label were laid out for, or
// the closest CJK serif installed, at the given point size.
QFont songFont(qreal pointSize);
