#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// An IPv4 subnet as network address and prefix length, e.g. 192.168.1.0/24.
struct Ipv4Subnet
{
    quint32 network = 0;
    int prefixLength = 0;

    bool operator==(const Ipv4Subnet &) const = default;
    bool contains(quint32 address) const
    {
        const quint32 mask = prefixLength <= 0 ? 0 : ~quint32(0) << (32 - prefixLength);
        return (address & mask) == network;
    }
};

// An interface a limited broadcast can leave through: up, running,
// broadcast-capable, not loopback and holding an IPv4 address.
struct BroadcastInterface
{
    QString name;
    int index = 0;
    QList<Ipv4Subnet> subnets;
};

// The system's broadcast-capable interfaces, in the system's order.
QList<BroadcastInterface> broadcastInterfaces();
// Any interface by its index, whatever its flags; subnets empty when it
// holds no IPv4 address, name empty when there is no such interface.
BroadcastInterface interfaceByIndex(int index);
