#include "finder/cli/json_line.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace Qt::StringLiterals;

namespace {

// Qt's own escaping: a one-element array, brackets taken off.
QString quoted(const QString &value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.sliced(1, array.size() - 2));
}

} // namespace

JsonLine &JsonLine::add(const QString &key, const QString &value)
{
    if (!m_text.isEmpty())
        m_text += u',';
    m_text += quoted(key) + u':' + quoted(value);
    return *this;
}

JsonLine &JsonLine::addObject(const QString &key, const JsonLine &object)
{
    if (!m_text.isEmpty())
        m_text += u',';
    m_text += quoted(key) + u':' + object.object();
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
