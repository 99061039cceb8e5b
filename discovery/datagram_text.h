#pragma once

#include <QByteArray>
#include <QString>

// Datagram payload <-> text in the system's code page (UTF-8 on Linux). A
// payload that is not valid in that code page is read as GB18030 instead, the
// code page devices write their descriptions in when they are not ASCII.
QString decodeDatagram(const QByteArray &payload);
QByteArray encodeDatagram(const QString &text);
