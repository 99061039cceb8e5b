#include "finder/window/plain_tool_tip.h"

using namespace Qt::StringLiterals;

QString plainToolTip(const QString &text)
{
    return u"<p style=\"white-space:pre-wrap\">"_s + text.toHtmlEscaped() + u"</p>"_s;
}
