#pragma once

#include <QByteArray>
#include <QString>

// One JSON object on one line, keys in the order added: what --watch prints
// per event. Values are strings, escaped as the JSON listing escapes them
// (jsonString()).
class JsonLine
{
public:
    JsonLine &add(const QString &key, const QString &value);
    // Another JsonLine as the value, e.g. the previous values of a change.
    JsonLine &addObject(const QString &key, const JsonLine &object);
    bool isEmpty() const { return m_text.isEmpty(); }
    // "{...}" and a line feed.
    QByteArray line() const;

private:
    QString object() const;

    QString m_text;
};
