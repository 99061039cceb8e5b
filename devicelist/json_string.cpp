#include "devicelist/json_string.h"

#include "devicelist/visible_text.h"

using namespace Qt::StringLiterals;

namespace {

QString jsonEscape(char32_t code)
{
    const auto unit = [](char16_t u) { return u"\\u%1"_s.arg(uint(u), 4, 16, QChar(u'0')); };
    if (QChar::requiresSurrogates(code))
        return unit(QChar::highSurrogate(code)) + unit(QChar::lowSurrogate(code));
    return unit(char16_t(code));
}

} // namespace

QString jsonString(const QString &value)
{
    QString quoted = value;
    quoted.replace(u'\\', u"\\\\"_s).replace(u'"', u"\\\""_s);
    return u'"' + withEscapes(quoted, jsonEscape) + u'"';
}
