#pragma once

#include <QLocale>
#include <QString>

// Lays a numeric value into a "#" display pattern: "#" digit positions,
// "," grouping, the first "." the decimal point, anything else printed as
// is. A value that is not a number comes back unchanged.
QString formatPattern(const QString &value, const QString &pattern, const QLocale &locale = QLocale());
