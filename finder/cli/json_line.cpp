#include "finder/cli/json_line.h"

#include "devicelist/json_string.h"

JsonLine &JsonLine::add(const QString &key, const QString &value)
{
    if (!m_text.isEmpty())
        m_text += u',';
    m_text += jsonString(key) + u':' + jsonString(value);
    return *this;
}

JsonLine &JsonLine::addObject(const QString &key, const JsonLine &object)
{
    if (!m_text.isEmpty())
        m_text += u',';
    m_text += jsonString(key) + u':' + object.object();
    return *this;
}

QString JsonLine::object() const
{
    return u'{' + m_text + u'}';
}

QByteArray JsonLine::line() const
{
    return (object() + u'\n').toUtf8();
}
