#pragma once

#include <QList>
#include <QString>

// A header format (DeviceTable::HeaderFormat): one segment per column,
// split on "|"; a leading "<" marks a left-aligned column and is not part
// of its text, whose width the text table keeps.
struct HeaderSegment
{
    QString text;
    bool leftAligned = false;
};

QList<HeaderSegment> headerSegments(const QString &format);
