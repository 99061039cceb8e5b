#pragma once

#include <QString>

// Text for a tooltip that must never be read as markup (device text, a
// plan's header, a file name): escaped, its spaces and lines kept, a long
// line wrapped rather than running off the screen.
QString plainToolTip(const QString &text);
