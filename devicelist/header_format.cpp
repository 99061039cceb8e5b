#include "devicelist/header_format.h"

QList<HeaderSegment> headerSegments(const QString &format)
{
    QList<HeaderSegment> segments;
    for (const QString &segment : format.split(u'|')) {
        const bool left = segment.startsWith(u'<');
        segments.append({left ? segment.sliced(1) : segment, left});
    }
    return segments;
}
