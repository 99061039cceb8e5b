#pragma once

#include <QLocale>
#include <QString>

// Lays a numeric value into a "#" display pattern the way the grid's classic
// formatter did; any value that is not a number comes back unchanged.
QString formatPattern(const QString &value, const QString &pattern, const QLocale &locale = QLocale());
