#pragma once

#include <QChar>

// MAC addresses and serial numbers are written with dashes, colons, dots or
// spaces between groups of digits, or with none: "00:1A-2b" and "001a2b"
// name the same device wherever the finder compares them.
inline bool isGroupSeparator(QChar c)
{
    return c == u'-' || c == u':' || c == u'.' || c.isSpace();
}
