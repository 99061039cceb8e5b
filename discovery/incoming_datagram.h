#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

// One datagram as the endpoint hands it over: its text and where and when
// it came from, all kept with it, so nothing needs the endpoint afterwards.
struct IncomingDatagram
{
    // The whole payload as text, decoded as datagram_text decodes it.
    QString text;
    // Dotted IPv4 (IPv4-mapped senders unwrapped), else the IPv6 text.
    QString senderAddress;
    // The sender as a number; 0 when it is not IPv4.
    quint32 senderIPv4 = 0;
    // The interface it came in on; empty when the system did not say.
    QString interfaceName;
    // When the reader took it from the socket, UTC.
    QDateTime arrivalTime;
    // False when an IPv4 sender lies outside every IPv4 subnet of the
    // arrival interface: this host has no route of its own to it. True when
    // that cannot be told.
    bool senderOnArrivalSubnet = true;
};
