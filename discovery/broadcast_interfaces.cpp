#include "discovery/broadcast_interfaces.h"

#include <QNetworkInterface>

namespace {

QList<Ipv4Subnet> ipv4Subnets(const QNetworkInterface &interface)
{
    QList<Ipv4Subnet> subnets;
    const QList<QNetworkAddressEntry> entries = interface.addressEntries();
    for (const QNetworkAddressEntry &entry : entries) {
        if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol)
            continue;
        const int prefix = entry.prefixLength();
        const quint32 mask = prefix <= 0 ? 0 : 0xffffffffu << (32 - prefix);
        const Ipv4Subnet subnet{entry.ip().toIPv4Address() & mask, prefix};
        if (!subnets.contains(subnet))
            subnets.append(subnet);
    }
    return subnets;
}

} // namespace

QList<BroadcastInterface> broadcastInterfaces()
{
    constexpr auto required = QNetworkInterface::IsUp | QNetworkInterface::IsRunning
            | QNetworkInterface::CanBroadcast;

    QList<BroadcastInterface> usable;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        const auto flags = interface.flags();
        if ((flags & required) != required || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        QList<Ipv4Subnet> subnets = ipv4Subnets(interface);
        if (!subnets.isEmpty())
            usable.append({interface.name(), interface.index(), std::move(subnets)});
    }
    return usable;
}

BroadcastInterface interfaceByIndex(int index)
{
    const QNetworkInterface interface = QNetworkInterface::interfaceFromIndex(index);
    if (!interface.isValid())
        return {};
    return {interface.name(), index, ipv4Subnets(interface)};
}
